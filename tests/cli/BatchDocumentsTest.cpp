#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "FakePrompts.h"
#include "QtPrinters.h"
#include "cli/BatchDocuments.h"

using namespace fk;
using namespace fk::cli;

namespace {

class BatchDocumentsTest : public ::testing::Test {
protected:
    QString touch(const QString& relative) {
        const QString path = work.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }
    BatchDocuments collect(const QStringList& inputs) {
        return CollectDocuments(inputs, work.path(), fileSystem, prompts);
    }
    QTemporaryDir work;
    LocalFileSystem fileSystem;
    test::FakePrompts prompts;
};

TEST_F(BatchDocumentsTest, FoldersGiveTheirWriterDocumentsFilesAreTakenAsGiven) {
    const QString report = touch("in/report.odt");
    const QString nested = touch("in/sub/letter.OTT");
    touch("in/notes.txt");
    touch("in/~lock.odt");
    touch("in/.hidden.odt");
    const QString word = touch("memo.docx");

    const BatchDocuments found = collect({"in/", "memo.docx", report, "./in/../in/report.odt"});
    EXPECT_TRUE(found.problems.isEmpty());
    EXPECT_EQ(found.documents, (QStringList{report, nested, word}))
        << "each document once, in the order given";
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(BatchDocumentsTest, MissingInputsAreProblemsAndTheRestStays) {
    const QString report = touch("report.odt");
    const BatchDocuments found = collect({"gone.odt", "report.odt", "gone/"});
    EXPECT_EQ(found.documents, QStringList{report});
    ASSERT_EQ(found.problems.size(), 2);
    EXPECT_TRUE(found.problems[0].startsWith("gone.odt: no such file"));
}

TEST(GroupBySharedOutputNames, SameOutputNamesShareAGroupInListOrder) {
    const QList<QStringList> groups = GroupBySharedOutputNames(
        {"/a/report.odt", "/b/letter.odt", "/c/report.ott", "/d/Report.odt", "/e/report.odt"});
    ASSERT_EQ(groups.size(), 3);
    EXPECT_EQ(groups[0], (QStringList{"/a/report.odt", "/c/report.ott", "/e/report.odt"}));
    EXPECT_EQ(groups[1], QStringList{"/b/letter.odt"});
    EXPECT_EQ(groups[2], QStringList{"/d/Report.odt"}) << "names differ in case on this file system";
}

}  // namespace
