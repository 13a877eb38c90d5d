#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

#include "cli/BatchSplit.h"

namespace fk::cli {

struct RunRecord {
    QList<DocumentResult> results;  // documents split or tried, in the order they ended
    QStringList notStarted;         // documents an interrupted run did not reach
    QStringList problems;           // inputs that were not split, one line each
    int signalNumber = 0;           // the signal that interrupted the run; 0 when none did
};

// One record per document: input, outputs, pages, method, status, failures (stage, page, message)
// and seconds; then the input problems. Indented JSON, keys in alphabetical order.
QByteArray JsonReport(const RunRecord& run, const QString& version);

// Writes the report at `path` atomically; returns an error text, empty on success.
QString WriteJsonReport(const QString& path, const RunRecord& run, const QString& version);

// "split", "failed", "timed out", "interrupted".
QString DocumentStatus(const DocumentResult& result);

}  // namespace fk::cli
