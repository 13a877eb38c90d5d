#include "cli/JsonReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <cmath>

namespace fk::cli {

namespace {

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
    report.insert(QStringLiteral("problems"), QJsonArray::fromStringList(run.problems));
    report.insert(QStringLiteral("signal"), run.signalNumber);
    return QJsonDocument(report).toJson(QJsonDocument::Indented);
}

QString WriteJsonReport(const QString& path, const RunRecord& run, const QString& version) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(JsonReport(run, version)) < 0 || !file.commit())
        return path + QStringLiteral(": the JSON report could not be written: ") + file.errorString();
    return {};
}

}  // namespace fk::cli
