#include "cli/JsonReport.h"

#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <system_error>

#include "files/StagedFile.h"
#include "gather/DocumentExtensions.h"
#include "split/ProtectedPaths.h"

namespace fk::cli {

namespace {

// The report's keys come in alphabetical order: "documents" opens it, "program" stands near its end.
const QByteArray kReportOpening = R"({ "documents": [)";
const QByteArray kReportProgram = R"("program": "folioknife-split")";
constexpr qint64 kReportEndSpan = 512;

QJsonObject documentRecord(const QString& input, const QString& status) {
    QJsonObject record;
    record.insert(QStringLiteral("input"), input);
    record.insert(QStringLiteral("status"), status);
    return record;
}

QJsonObject resultRecord(const DocumentResult& result) {
    QJsonObject record = documentRecord(result.path, DocumentStatus(result));
    record.insert(QStringLiteral("outputs"), QJsonArray::fromStringList(result.outputs));
    record.insert(QStringLiteral("pages"), result.split.pageCount);
    record.insert(QStringLiteral("method"), result.split.method);
    QJsonArray failures;
    for (const SplitFailure& failure : result.split.failures) {
        failures.append(QJsonObject{{QStringLiteral("stage"), StageName(failure.stage)},
                                    {QStringLiteral("page"), failure.page},
                                    {QStringLiteral("message"), failure.message}});
    }
    record.insert(QStringLiteral("failures"), failures);
    if (!result.split.parts.isEmpty()) {
        QJsonArray parts;
        for (const SplitResult::Part& part : result.split.parts)
            parts.append(QJsonObject{{QStringLiteral("heading"), part.heading},
                                     {QStringLiteral("pages"), QJsonArray{part.firstPage, part.lastPage}}});
        record.insert(QStringLiteral("parts"), parts);
    }
    record.insert(QStringLiteral("seconds"), std::round(result.seconds * 1000) / 1000);
    return record;
}

}  // namespace

QString DocumentStatus(const DocumentResult& result) {
    if (result.succeeded()) return QStringLiteral("split");
    if (result.interrupted) return QStringLiteral("interrupted");
    if (result.timedOut) return QStringLiteral("timed out");
    return QStringLiteral("failed");
}

QByteArray JsonReport(const RunRecord& run, const QString& version) {
    QJsonArray documents;
    for (const DocumentResult& result : run.results) documents.append(resultRecord(result));
    for (const QString& input : run.notStarted) {
        QJsonObject record = documentRecord(input, QStringLiteral("not started"));
        record.insert(QStringLiteral("outputs"), QJsonArray());
        documents.append(record);
    }
    QJsonObject report;
    report.insert(QStringLiteral("program"), QStringLiteral("folioknife-split"));
    report.insert(QStringLiteral("version"), version);
    report.insert(QStringLiteral("documents"), documents);
    report.insert(QStringLiteral("format"), FormatName(run.format));
    report.insert(QStringLiteral("problems"), QJsonArray::fromStringList(run.problems));
    report.insert(QStringLiteral("signal"), run.signalNumber);
    return QJsonDocument(report).toJson(QJsonDocument::Indented);
}

bool IsJsonReport(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return false;
    if (!file.read(kReportOpening.size() * 2).simplified().startsWith(kReportOpening)) return false;
    file.seek(std::max<qint64>(0, file.size() - kReportEndSpan));
    return file.read(kReportEndSpan).contains(kReportProgram);
}

QString JsonReportPathProblem(const QString& path, const QStringList& inputs) {
    const QString given = QStringLiteral("--json '%1'").arg(path);
    const ProtectedPaths protectedInputs(inputs);
    const QString target = QFileInfo(path).canonicalFilePath();
    if (protectedInputs.covers(path) || (!target.isEmpty() && protectedInputs.covers(target)))
        return given + QStringLiteral(
                           " names an input of this run; give the report a name of its own, "
                           "such as run.json.");
    const QFileInfo existing(path);
    // An empty file holds nothing to lose.
    const bool empty = existing.isFile() && existing.size() == 0;
    if (existing.exists() && !empty && !IsJsonReport(path))
        return given + QStringLiteral(
                           " is a file that is not a report of folioknife-split, and it is not "
                           "replaced; name another file.");
    if (HasDocumentExtension(QFileInfo(path).fileName()))
        return given + QStringLiteral(
                           " has a document's extension; give the report a name of its own, "
                           "such as run.json.");
    return {};
}

QString WriteJsonReport(const QString& path, const RunRecord& run, const QString& version) {
    const QByteArray report = JsonReport(run, version);
    // Under our one temporary name, so that a run killed while it writes leaves a file the next run
    // knows as its own leftover; the report has its name only once it is on the disk whole.
    try {
        files::StagedFile file(QFile::encodeName(path).toStdString());
        file.reserve();
        file.write(std::string_view(report.constData(), static_cast<std::size_t>(report.size())));
        file.commit();
    } catch (const std::system_error& error) {
        return path + QStringLiteral(": the JSON report could not be written: ") +
               QString::fromLocal8Bit(std::strerror(error.code().value()));
    }
    return {};
}

}  // namespace fk::cli
