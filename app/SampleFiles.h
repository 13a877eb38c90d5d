#pragma once

#include <QString>

#include "app/Prompts.h"
#include "gather/DocumentSink.h"

namespace fk {

inline const QString kOpenSamplesQuestion = QStringLiteral(
    "Would you like this software to open the folder where these sample files are stored (so that you can "
    "view them "
    "before working with them)?");

// Appends the sample files not listed yet, then offers to open their folder. Failures reach the caller.
void LoadSampleFiles(DocumentSink& list, const QString& programFolder, Prompts& prompts);

}  // namespace fk
