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
#include <QTemporaryDir>

#include "FullFileSystem.h"
#include "QtPrinters.h"
#include "cli/JsonReport.h"

using namespace fk;
using namespace fk::cli;

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
    EXPECT_EQ(notStarted["status"].toString(), "not started");
    EXPECT_EQ(report["problems"].toArray(), QJsonArray({"/in/empty.odt: empty file, not split"}));
    EXPECT_EQ(report["format"].toString(), "odt");
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
    EXPECT_EQ(DocumentStatus(result), "timed out");
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
