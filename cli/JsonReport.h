#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

#include "split/SplitJob.h"

namespace fk::cli {

struct RunRecord {
    QList<DocumentResult> results;            // documents split or tried, in the order they ended
    QStringList notStarted;                   // documents an interrupted run did not reach
    QStringList problems;                     // inputs that were not split, one line each
    int signalNumber = 0;                     // the signal that interrupted the run; 0 when none did
    OutputFormat format = OutputFormat::Odt;  // of every output of the run
};

// One record per document: input, outputs, pages, method, status, failures (stage, page, message)
// and seconds, and for a document cut at its headings its parts (heading, first and last page); then
// the input problems and the outputs' format. Indented JSON, keys in alphabetical order.
QByteArray JsonReport(const RunRecord& run, const QString& version);

// Writes the report at `path` atomically; returns an error text, empty on success.
QString WriteJsonReport(const QString& path, const RunRecord& run, const QString& version);

// Whether the file at `path` is a report this program wrote, by its first and last bytes only.
bool IsJsonReport(const QString& path);

// Why the report may not be written at `path` (absolute), a usage error; empty when it may. It may not
// replace an input of the run (`inputs`, absolute), a file that is not an earlier report, nor take a
// document's name: a forgotten report name must not cost the user a document.
QString JsonReportPathProblem(const QString& path, const QStringList& inputs);

// "split", "failed", "timed out", "interrupted".
QString DocumentStatus(const DocumentResult& result);

}  // namespace fk::cli
