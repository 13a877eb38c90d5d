#include "split/JsonReport.h"

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

namespace fk {

namespace {

const QString kProgram = QStringLiteral("folioknife-split");
// Far above any real run's report: a larger file is not read whole to learn that it is not one.
constexpr qint64 kLargestReport = qint64(1) << 30;

// Every record has every field; what a document never got is null (or empty).
QJsonObject documentRecord(const QString& input, const QString& status, const QStringList& outputs,
                           const QJsonValue& pages, const QJsonValue& method, const QJsonValue& seconds) {
    return QJsonObject{{QStringLiteral("input"), input},
                       {QStringLiteral("status"), status},
                       {QStringLiteral("outputs"), QJsonArray::fromStringList(outputs)},
                       {QStringLiteral("pages"), pages},
                       {QStringLiteral("method"), method},
                       {QStringLiteral("failures"), QJsonArray()},
                       {QStringLiteral("seconds"), seconds}};
}

QJsonObject resultRecord(const DocumentResult& result) {
    // A document that failed before it was laid out has no page count, nor a method it was split by.
    const bool counted = result.split.pageCount > 0;
    QJsonObject record = documentRecord(
        result.path, DocumentStatus(result), result.outputs,
        counted ? QJsonValue(result.split.pageCount) : QJsonValue(QJsonValue::Null),
        result.split.method.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(result.split.method),
        std::round(result.seconds * 1000) / 1000);
    QJsonArray failures;
    for (const SplitFailure& failure : result.split.failures) {
        // Page 0 is the document as a whole.
        failures.append(QJsonObject{{QStringLiteral("stage"), StageIdentifier(failure.stage)},
                                    {QStringLiteral("page"), failure.page > 0 ? QJsonValue(failure.page)
                                                                              : QJsonValue(QJsonValue::Null)},
                                    {QStringLiteral("message"), failure.message}});
    }
    record.insert(QStringLiteral("failures"), failures);
    if (!result.verification.isEmpty()) {
        QJsonArray verification;
        for (const PageVerdict& verdict : result.verification)
            verification.append(
                QJsonObject{{QStringLiteral("output"), verdict.output},
                            {QStringLiteral("pages"), QJsonArray{verdict.firstPage, verdict.lastPage}},
                            {QStringLiteral("printed"), verdict.printedPages},
                            {QStringLiteral("similarity"), std::round(verdict.similarity * 1000) / 1000},
                            {QStringLiteral("faithful"), verdict.faithful()}});
        record.insert(QStringLiteral("verification"), verification);
    }
    if (!result.split.parts.isEmpty()) {
        QJsonArray parts;
        for (const SplitResult::Part& part : result.split.parts)
            parts.append(QJsonObject{{QStringLiteral("heading"), part.heading},
                                     {QStringLiteral("pages"), QJsonArray{part.firstPage, part.lastPage}}});
        record.insert(QStringLiteral("parts"), parts);
    }
    return record;
}

}  // namespace

QString DocumentStatus(const DocumentResult& result) {
    if (result.succeeded()) return QStringLiteral("split");
    if (result.interrupted) return QStringLiteral("interrupted");
    if (result.timedOut) return QStringLiteral("timed-out");
    return QStringLiteral("failed");
}

QString StageIdentifier(SplitStage stage) {
    return StageName(stage).replace(QLatin1Char(' '), QLatin1Char('-'));
}

QByteArray JsonReport(const RunRecord& run, const QString& version) {
    QJsonArray documents;
    for (const SkippedDocument& skipped : run.skipped) {
        const QJsonValue none(QJsonValue::Null);
        documents.append(documentRecord(skipped.input, QStringLiteral("skipped"), skipped.outputs,
                                        skipped.pages > 0 ? QJsonValue(skipped.pages) : none,
                                        skipped.method.isEmpty() ? none : QJsonValue(skipped.method), 0));
    }
    for (const DocumentResult& result : run.results) documents.append(resultRecord(result));
    for (const QString& input : run.notStarted) {
        const QJsonValue none(QJsonValue::Null);
        documents.append(documentRecord(input, QStringLiteral("not-started"), {}, none, none, none));
    }
    QJsonObject report;
    report.insert(QStringLiteral("schema"), kReportSchema);
    report.insert(QStringLiteral("program"), kProgram);
    report.insert(QStringLiteral("version"), version);
    report.insert(QStringLiteral("documents"), documents);
    report.insert(QStringLiteral("format"), FormatName(run.format));
    report.insert(QStringLiteral("problems"), QJsonArray::fromStringList(run.problems));
    report.insert(QStringLiteral("signal"), run.signalNumber);
    return QJsonDocument(report).toJson(QJsonDocument::Indented);
}

QJsonObject ReadJsonReport(const QString& path) {
    QFile file(path);
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kLargestReport || !file.open(QIODevice::ReadOnly)) return {};
    // Parsed, not matched by its bytes: reports of every version, however indented, are known.
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) return {};
    const QJsonObject report = document.object();
    if (report.value(QStringLiteral("program")).toString() != kProgram ||
        !report.value(QStringLiteral("documents")).isArray())
        return {};
    return report;
}

bool IsJsonReport(const QString& path) {
    return !ReadJsonReport(path).isEmpty();
}

QString JsonReportPathProblem(const QString& path, const QStringList& inputs, const QString& setting) {
    const QString given = setting + QStringLiteral(" '%1'").arg(path);
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
    if (IsStandardOutput(path)) {
        QFile standardOutput;
        if (standardOutput.open(stdout, QIODevice::WriteOnly) &&
            standardOutput.write(report) == report.size() && standardOutput.flush())
            return {};
        return QStringLiteral("the JSON report could not be written to standard output: ") +
               standardOutput.errorString();
    }
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

}  // namespace fk
