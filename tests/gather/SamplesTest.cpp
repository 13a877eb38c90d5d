#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "FakePrompts.h"
#include "doclist/DocumentListModel.h"
#include "gather/Samples.h"

using namespace fk;
using fk::test::FakePrompts;

namespace {

class SamplesTest : public ::testing::Test {
protected:
    void SetUp() override { QDir().mkpath(programFolder.filePath("Samples")); }
    void sample(const QString& name) {
        QFile file(programFolder.filePath("Samples/" + name));
        file.open(QIODevice::WriteOnly);
        file.write("x");
    }
    QString path(const QString& name) const { return programFolder.path() + "/Samples/" + name; }

    QTemporaryDir programFolder;
    DocumentListModel list;
    LocalFileSystem fs;
    FakePrompts prompts;
};

}  // namespace

TEST_F(SamplesTest, AppendsEveryFileOnceAndAsksEachTime) {
    sample("Letter.odt");
    sample(".hidden.odt");
    sample("picture.png");
    QDir().mkdir(programFolder.filePath("Samples/folder.odt"));
    LoadSampleFiles(list, programFolder.path(), fs, prompts);
    QStringList rows = list.texts();
    rows.sort();
    EXPECT_EQ(rows, QStringList({path(".hidden.odt"), path("Letter.odt"), path("picture.png")}));

    list.AppendDocument(path("letter.odt"));  // other letter case: not the same row
    LoadSampleFiles(list, programFolder.path(), fs, prompts);
    EXPECT_EQ(list.count(), 4);
    ASSERT_EQ(prompts.messages.size(), 2);
    EXPECT_EQ(prompts.messages[1].text, kOpenSamplesQuestion);
    EXPECT_EQ(prompts.messages[1].style, kYesNo);
    EXPECT_TRUE(prompts.openedAddresses.isEmpty());
}

TEST_F(SamplesTest, YesOpensTheFolderEvenWhenEmpty) {
    prompts.messageAnswers.enqueue(MessageAnswer::Yes);
    LoadSampleFiles(list, programFolder.path(), fs, prompts);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(prompts.openedAddresses, QStringList{programFolder.path() + "/Samples/"});
}
