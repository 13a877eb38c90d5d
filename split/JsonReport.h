#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QStringList>

#include "split/SplitJob.h"

namespace fk {

// A document an earlier run split, left alone by a resumed run: what its report told of it.
struct SkippedDocument {
    QString input;
    QStringList outputs;
    int pages = 0;
    QString method;
};

struct RunRecord {
    QList<SkippedDocument> skipped;           // documents an earlier run split (--resume)
    QList<DocumentResult> results;            // documents split or tried, in the order they ended
    QStringList notStarted;                   // documents an interrupted run did not reach
    QStringList problems;                     // inputs that were not split, one line each
    int signalNumber = 0;                     // the signal that interrupted the run; 0 when none did
    OutputFormat format = OutputFormat::Odt;  // of every output of the run
};

// The report's own name and version, first of its fields: the major number rises whenever a field
// changes meaning, the minor one when fields are added.
inline const QString kReportSchema = QStringLiteral("folioknife-split-report/2.1");

// One record per document, each with every field: input, outputs, pages, method, status, failures
// (stage, page, message) and seconds, for a document cut at its headings its parts (heading, first and
// last page), and for outputs checked against the input (--verify) each one's verdict; then the input
// problems, the outputs' format and the signal. Indented JSON, keys in alphabetical order.
QByteArray JsonReport(const RunRecord& run, const QString& version);

// Writes the report at `path` atomically, or to standard output when `path` is "-"; returns an error
// text, empty on success.
QString WriteJsonReport(const QString& path, const RunRecord& run, const QString& version);

// Whether `report` names standard output rather than a file.
inline bool IsStandardOutput(const QString& report) {
    return report == QLatin1String("-");
}

// The report at `path` as an object, when it is one this program wrote (of any version); empty
// otherwise.
QJsonObject ReadJsonReport(const QString& path);
bool IsJsonReport(const QString& path);

// Why the report may not be written at `path` (absolute), a usage error; empty when it may. It may not
// replace an input of the run (`inputs`, absolute), a file that is not an earlier report, nor take a
// document's name: a forgotten report name must not cost the user a document.
// `given` is how the user named the report ("--json" on the command line, "Report" in the window's settings).
QString JsonReportPathProblem(const QString& path, const QStringList& inputs,
                              const QString& given = QStringLiteral("--json"));

// "split", "failed", "timed-out", "interrupted".
QString DocumentStatus(const DocumentResult& result);

// The stage as an identifier: "count-pages".
QString StageIdentifier(SplitStage stage);

}  // namespace fk
