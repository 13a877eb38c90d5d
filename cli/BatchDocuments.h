#pragma once

#include <QList>
#include <QStringList>

#include "base/Prompts.h"
#include "fsutil/FileSystem.h"

namespace fk::cli {

struct BatchDocuments {
    QStringList documents;  // absolute, normalized, each once, in the order given
    QStringList problems;   // inputs that were not found or could not be read fully
};

// Documents as given; folders with every Writer document of their tree, as the folder scan with "*"
// finds them. Reports of the folder walk reach the prompts and are counted as problems.
BatchDocuments CollectDocuments(const QStringList& inputs, const QString& workingFolder,
                                FileSystem& fileSystem, Prompts& prompts);

// Documents whose outputs would have the same names, in list order; the groups in order of first
// appearance. Splitting a group in order keeps the outputs the same whatever the number of jobs.
QList<QStringList> GroupBySharedOutputNames(const QStringList& documents);

}  // namespace fk::cli
