#pragma once

#include "base/Prompts.h"
#include "fsutil/FileSystem.h"
#include "gather/DocumentSink.h"

namespace fk {

inline const QString kOpenSamplesQuestion = QStringLiteral(
    "Would you like this software to open the folder where these sample files are stored (so that you can "
    "view them "
    "before working with them)?");

QString SamplesFolder(const QString& programFolder);

// Appends every file of the samples folder beside the program that is not listed yet, then offers to
// open that folder. Failures reach the caller.
void LoadSampleFiles(DocumentSink& list, const QString& programFolder, FileSystem& fileSystem,
                     Prompts& prompts);

}  // namespace fk
