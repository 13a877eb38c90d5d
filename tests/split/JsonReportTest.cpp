#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "FullFileSystem.h"
#include "QtPrinters.h"
#include "ReportSchema.h"
#include "split/JsonReport.h"

using namespace fk;

namespace {

RunRecord sampleRun() {
    RunRecord run;
    DocumentResult split;
    split.path = "/in/report.odt";
    split.split.pageCount = 2;
    split.split.pagesStored = 2;
    split.outputs = QStringList{"/out/report_0001.odt", "/out/report_0002.odt"};
    split.split.method = "slice";
    split.seconds = 1.23456;
    DocumentResult failed;
    failed.path = "/in/broken.odt";
    failed.split.pageCount = 3;
    failed.split.pagesStored = 1;
    failed.outputs = QStringList{"/out/broken_0001.odt"};
    failed.split.method = "copy";
    failed.split.failures = {SplitFailure{SplitStage::Store, 2, "disk full"}};
    run.results = {split, failed};
    run.notStarted = QStringList{"/in/later.odt"};
    run.problems = QStringList{"/in/empty.odt: empty file, not split"};
    run.signalNumber = 15;
    return run;
}

QJsonObject parse(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return document.object();
}

TEST(JsonReport, OneRecordPerDocumentWithOutputsPagesMethodFailuresAndSeconds) {
    const QJsonObject report = parse(JsonReport(sampleRun(), "1.2.3"));
    EXPECT_EQ(report["version"].toString(), "1.2.3");
    EXPECT_EQ(report["signal"].toInt(), 15);
    const QJsonArray documents = report["documents"].toArray();
    ASSERT_EQ(documents.size(), 3);

    const QJsonObject split = documents[0].toObject();
    EXPECT_EQ(split["input"].toString(), "/in/report.odt");
    EXPECT_EQ(split["status"].toString(), "split");
    EXPECT_EQ(split["outputs"].toArray(), QJsonArray({"/out/report_0001.odt", "/out/report_0002.odt"}));
    EXPECT_EQ(split["pages"].toInt(), 2);
    EXPECT_EQ(split["method"].toString(), "slice");
    EXPECT_TRUE(split["failures"].toArray().isEmpty());
    EXPECT_DOUBLE_EQ(split["seconds"].toDouble(), 1.235);

    const QJsonObject failed = documents[1].toObject();
    EXPECT_EQ(failed["status"].toString(), "failed");
    ASSERT_EQ(failed["failures"].toArray().size(), 1);
    const QJsonObject failure = failed["failures"].toArray()[0].toObject();
    EXPECT_EQ(failure["stage"].toString(), "store");
    EXPECT_EQ(failure["page"].toInt(), 2);
    EXPECT_EQ(failure["message"].toString(), "disk full");

    const QJsonObject notStarted = documents[2].toObject();
    EXPECT_EQ(notStarted["input"].toString(), "/in/later.odt");
    EXPECT_EQ(notStarted["status"].toString(), "not-started");
    EXPECT_EQ(report["problems"].toArray(), QJsonArray({"/in/empty.odt: empty file, not split"}));
    EXPECT_EQ(report["format"].toString(), "odt");
}

// A run with a record of every status, every kind of failure and parts.
RunRecord runOfEveryKind() {
    RunRecord run = sampleRun();
    run.skipped = {SkippedDocument{"/in/done.odt", {"/out/done_0001.odt"}, 1, "slice"}};
    DocumentResult unreadable;
    unreadable.path = "/in/unreadable.odt";
    unreadable.split.failures = {SplitFailure{SplitStage::Open, 0, "not a document"}};
    DocumentResult timedOut;
    timedOut.path = "/in/slow.odt";
    timedOut.split.pageCount = 9;
    timedOut.split.method = "pdf";
    timedOut.timedOut = true;
    timedOut.split.failures = {SplitFailure{SplitStage::CountPages, 0, "no answer"}};
    DocumentResult interrupted;
    interrupted.path = "/in/book.odt";
    interrupted.split.pageCount = 5;
    interrupted.split.method = "slice";
    interrupted.split.parts = {{"", 1, 1}, {"1 Start", 2, 5}};
    interrupted.interrupted = true;
    DocumentResult verified;
    verified.path = "/in/checked.odt";
    verified.split.pageCount = 2;
    verified.split.pagesStored = 2;
    verified.split.method = "slice";
    verified.outputs = {"/out/checked_0001.odt", "/out/checked_0002.odt"};
    verified.verification = {PageVerdict{1, "/out/checked_0001.odt", 1, 1, 1, 0.9876, {}},
                             PageVerdict{2, "/out/checked_0002.odt", 2, 2, 2, 0.5, "prints as 2 pages"}};
    verified.split.failures = {SplitFailure{SplitStage::Verify, 2, "prints as 2 pages"}};
    run.results << unreadable << timedOut << interrupted << verified;
    return run;
}

QJsonObject recordOf(const QJsonObject& report, const QString& input) {
    for (const QJsonValue& record : report["documents"].toArray())
        if (record.toObject()["input"].toString() == input) return record.toObject();
    ADD_FAILURE() << "no record of " << input.toStdString();
    return {};
}

TEST(JsonReport, WhatADocumentNeverGotIsNull) {
    const QJsonObject report = parse(JsonReport(runOfEveryKind(), "1"));
    EXPECT_EQ(report["schema"].toString(), "folioknife-split-report/2.1");
    const QJsonValue null(QJsonValue::Null);
    struct Case {
        const char* input;
        const char* status;
        QJsonValue pages, method, seconds;
    } const cases[] = {
        {"/in/later.odt", "not-started", null, null, null}, {"/in/unreadable.odt", "failed", null, null, 0},
        {"/in/slow.odt", "timed-out", 9, "pdf", 0},         {"/in/done.odt", "skipped", 1, "slice", 0},
        {"/in/book.odt", "interrupted", 5, "slice", 0},
    };
    for (const Case& expected : cases) {
        const QJsonObject record = recordOf(report, expected.input);
        SCOPED_TRACE(expected.input);
        EXPECT_EQ(record["status"].toString(), expected.status);
        EXPECT_EQ(record["pages"], expected.pages);
        EXPECT_EQ(record["method"], expected.method);
        EXPECT_EQ(record["seconds"], expected.seconds);
        EXPECT_TRUE(record["outputs"].isArray() && record["failures"].isArray());
    }
}

TEST(JsonReport, FailuresNameTheirStageAsAnIdentifierAndTheWholeDocumentAsNoPage) {
    const QJsonObject report = parse(JsonReport(runOfEveryKind(), "1"));
    EXPECT_EQ(recordOf(report, "/in/slow.odt")["failures"].toArray()[0].toObject(),
              (QJsonObject{{"stage", "count-pages"}, {"page", QJsonValue::Null}, {"message", "no answer"}}));
    EXPECT_EQ(recordOf(report, "/in/broken.odt")["failures"].toArray()[0].toObject()["page"], 2);
    for (const SplitStage stage :
         {SplitStage::Connect, SplitStage::Open, SplitStage::CountPages, SplitStage::Mark, SplitStage::Copy,
          SplitStage::Store, SplitStage::NextPage, SplitStage::Close, SplitStage::Slice, SplitStage::Verify})
        EXPECT_TRUE(QRegularExpression("^[a-z]+(-[a-z]+)*$").match(StageIdentifier(stage)).hasMatch())
            << StageIdentifier(stage).toStdString();
}

TEST(JsonReport, CheckedOutputsEachHaveTheirVerdictAndTheOthersNone) {
    const QJsonObject report = parse(JsonReport(runOfEveryKind(), "1"));
    const QJsonArray verification = recordOf(report, "/in/checked.odt")["verification"].toArray();
    ASSERT_EQ(verification.size(), 2);
    EXPECT_EQ(verification[0].toObject(), (QJsonObject{{"output", "/out/checked_0001.odt"},
                                                       {"pages", QJsonArray{1, 1}},
                                                       {"printed", 1},
                                                       {"similarity", 0.988},
                                                       {"faithful", true}}));
    EXPECT_EQ(verification[1].toObject()["faithful"], false);
    EXPECT_EQ(recordOf(report, "/in/checked.odt")["failures"].toArray()[0].toObject()["stage"], "verify");
    EXPECT_FALSE(recordOf(report, "/in/slow.odt").contains("verification"));
}

TEST(JsonReport, ReportsOfEveryKindKeepTheInstalledSchema) {
    const QString missing = fk::test::ReportSchemaCheckerMissing();
    if (!missing.isEmpty()) GTEST_SKIP() << missing.toStdString();
    QTemporaryDir work;
    RunRecord headings = sampleRun();
    headings.results[0].split.parts = {{"", 1, 1}, {"1 Growth", 2, 2}};
    RunRecord docx;
    docx.format = fk::OutputFormat::Docx;
    const std::pair<const char*, RunRecord> runs[] = {
        {"every-kind.json", runOfEveryKind()}, {"headings.json", headings}, {"empty.json", docx}};
    QStringList reports;
    for (const auto& [name, run] : runs) {
        reports << work.filePath(name);
        ASSERT_EQ(WriteJsonReport(reports.last(), run, "1.2.3"), QString());
    }
    EXPECT_EQ(fk::test::ReportSchemaViolations(reports), QString());

    // The check itself catches a report that breaks the schema.
    QFile broken(work.filePath("broken.json"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(JsonReport(sampleRun(), "1").replace("not-started", "not started"));
    broken.close();
    EXPECT_TRUE(fk::test::ReportSchemaViolations({broken.fileName()}).contains("not started"));
}

TEST(JsonReport, AReportIsKnownByItsContentHoweverItIsLaidOut) {
    QTemporaryDir work;
    const QByteArray current = JsonReport(sampleRun(), "1");
    const struct {
        const char* name;
        QByteArray content;
        bool known;
    } cases[] = {
        {"current.json", current, true},
        {"compact.json", QJsonDocument::fromJson(current).toJson(QJsonDocument::Compact), true},
        {"older.json",
         R"({"documents": [{"input": "/a.odt", "status": "not started", "outputs": []}],
             "format": "odt", "problems": [], "program": "folioknife-split", "signal": 0, "version": "0.1.0"})",
         true},
        {"cut.json", current.left(current.size() / 2), false},
        {"other-program.json", R"({"documents": [], "program": "another"})", false},
        {"no-documents.json", R"({"program": "folioknife-split"})", false},
        {"list.json", "[1, 2]", false},
    };
    for (const auto& [name, content, known] : cases) {
        QFile file(work.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        EXPECT_EQ(IsJsonReport(file.fileName()), known) << name;
    }
    EXPECT_FALSE(IsJsonReport(work.path())) << "a folder";
}

TEST(JsonReport, RecordsTheFormatOfTheOutputs) {
    RunRecord run = sampleRun();
    run.format = fk::OutputFormat::Docx;
    EXPECT_EQ(parse(JsonReport(run, "1.2.3"))["format"].toString(), "docx");
}

TEST(JsonReport, ADocumentCutAtHeadingsListsEachPartWithHeadingAndPages) {
    RunRecord run = sampleRun();
    run.results[0].split.parts = {{"", 1, 1}, {"1 Growth \"so far\"", 2, 5}};
    const QJsonArray documents = parse(JsonReport(run, "1")).value("documents").toArray();
    const QJsonArray parts = documents[0].toObject()["parts"].toArray();
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[0].toObject(), (QJsonObject{{"heading", ""}, {"pages", QJsonArray{1, 1}}}));
    EXPECT_EQ(parts[1].toObject(),
              (QJsonObject{{"heading", "1 Growth \"so far\""}, {"pages", QJsonArray{2, 5}}}));
    EXPECT_FALSE(documents[1].toObject().contains("parts")) << "a document cut at pages has none";
}

TEST(JsonReport, StatusOfInterruptedAndTimedOutDocuments) {
    DocumentResult result;
    result.split.pageCount = 2;
    result.timedOut = true;
    EXPECT_EQ(DocumentStatus(result), "timed-out");
    result.interrupted = true;
    EXPECT_EQ(DocumentStatus(result), "interrupted");
}

TEST(JsonReport, WrittenToTheFileOrAnErrorThatNamesIt) {
    QTemporaryDir work;
    const QString path = work.filePath("run.json");
    EXPECT_EQ(WriteJsonReport(path, sampleRun(), "1.2.3"), QString());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(parse(file.readAll())["documents"].toArray().size(), 3);

    const QString unwritable = work.filePath("missing/run.json");
    EXPECT_TRUE(WriteJsonReport(unwritable, sampleRun(), "1.2.3").startsWith(unwritable + ": "));
}

TEST(JsonReport, AReportThatDoesNotFitOnTheDiskIsAnErrorAndLeavesNoFile) {
    QTemporaryDir work;
    const QString folder = work.filePath("full");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + "/run.json";
    const int status = fk::test::InFullFileSystem(folder, [&] {
        const QString error = WriteJsonReport(path, sampleRun(), "1.2.3");
        if (!error.startsWith(path + ": the JSON report could not be written: ")) return 1;
        if (QDir(folder).entryList(QDir::Files | QDir::Hidden) != QStringList{"fill"}) return 2;
        return 0;
    });
    if (status == fk::test::kNoFullFileSystem)
        GTEST_SKIP() << "no mount namespace here for a full file system";
    EXPECT_NE(status, 1) << "the report was taken as written";
    EXPECT_NE(status, 2) << "a file was left beside the full disk's filler";
    EXPECT_EQ(status, 0);
}

}  // namespace
