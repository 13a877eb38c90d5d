#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "FakePrompts.h"
#include "app/SampleFiles.h"
#include "doclist/DocumentListModel.h"

using namespace fk;
using fk::test::FakePrompts;

namespace {

class SampleFilesTest : public ::testing::Test {
protected:
    void SetUp() override { QDir().mkpath(programFolder.filePath("Samples")); }

    QTemporaryDir programFolder;
    DocumentListModel list;
    FakePrompts prompts;
};

}  // namespace

TEST_F(SampleFilesTest, AsksEachTimeAndOpensNothingOnNo) {
    QFile file(programFolder.filePath("Samples/Letter.odt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    LoadSampleFiles(list, programFolder.path(), prompts);
    LoadSampleFiles(list, programFolder.path(), prompts);
    EXPECT_EQ(list.count(), 1);
    ASSERT_EQ(prompts.messages.size(), 2);
    EXPECT_EQ(prompts.messages[1].text, kOpenSamplesQuestion);
    EXPECT_EQ(prompts.messages[1].style, kYesNo);
    EXPECT_TRUE(prompts.openedAddresses.isEmpty());
}

TEST_F(SampleFilesTest, YesOpensTheFolderEvenWhenEmpty) {
    prompts.messageAnswers.enqueue(MessageAnswer::Yes);
    LoadSampleFiles(list, programFolder.path(), prompts);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(prompts.openedAddresses, QStringList{programFolder.path() + "/Samples/"});
}
