#pragma once

#include <QString>

#include "gather/DocumentSink.h"

namespace fk {

QString SamplesFolder(const QString& programFolder);

// Appends every file of the samples folder beside the program that is not listed yet, in name order
// (see SortNamesAsListed); asks nothing. Failures reach the caller.
void AppendSampleFiles(DocumentSink& list, const QString& programFolder);

}  // namespace fk
