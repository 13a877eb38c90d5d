#pragma once

#include <QList>
#include <QStringList>
#include <functional>

#include "cli/NativeNames.h"

namespace fk::cli {

struct BatchDocuments {
    QStringList documents;  // absolute, normalized, each once, in the order given
    QStringList problems;   // inputs not found, not read fully, or not documents; one line each
    // Every file the inputs name, documents or not, kept or left to another shard: no page may replace
    // one, whichever host splits it.
    QStringList inputFiles;
};

// Documents as given; folders with every Writer document of their tree (see GatherFolder), but for
// the pages this program cut from a document in the same folder, which are neither split nor
// protected as inputs (a document named on its own is split whatever it is). A file
// that is empty or not a word-processor document by its first bytes is a problem, not a document; so
// is an input whose name is not UTF-8 (`nonUtf8` names those, by the text Qt made of them). Only
// documents that `wanted` accepts (all when it is empty) are looked at and kept; the others are only
// listed among the input files.
BatchDocuments CollectDocuments(const QStringList& inputs, const QString& workingFolder,
                                const NonUtf8Arguments& nonUtf8 = {},
                                const std::function<bool(const QString& path)>& wanted = {});

}  // namespace fk::cli
