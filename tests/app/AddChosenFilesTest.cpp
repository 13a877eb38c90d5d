#include <gtest/gtest.h>

#include "FakePrompts.h"
#include "app/AddChosenFiles.h"
#include "app/RuntimeError.h"

using namespace fk;
using fk::test::FakePrompts;

TEST(AddChosenFiles, CancelAddsNothing) {
    FakePrompts prompts;
    DocumentListModel list;
    PushButton1_Click(prompts, list);
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(prompts.messages.isEmpty());
    ASSERT_EQ(prompts.fileDialogs.size(), 1);
    EXPECT_EQ(prompts.fileDialogs[0].title, "Add File(s) - Hold Ctrl to select multiple files");
    EXPECT_EQ(prompts.fileDialogs[0].filter, "Open Office Writer Documents (*.odt)|*.odt");
    EXPECT_TRUE(prompts.fileDialogs[0].multiSelect);
}

TEST(AddChosenFiles, OneFileIsAppendedAsReturnedEvenTwice) {
    FakePrompts prompts;
    DocumentListModel list;
    prompts.fileDialogAnswers << "//odd//one.odt"
                              << "//odd//one.odt";
    PushButton1_Click(prompts, list);
    PushButton1_Click(prompts, list);
    EXPECT_EQ(list.texts(), QStringList({"//odd//one.odt", "//odd//one.odt"}));
}

TEST(AddChosenFiles, SeveralFilesAreJoinedAndNormalisedInDialogOrder) {
    FakePrompts prompts;
    DocumentListModel list;
    const QChar nul(0);
    prompts.fileDialogAnswers << QStringLiteral("/") + nul + "b.odt" + nul + "a.odt";
    prompts.fileDialogAnswers << QStringLiteral("/home/ann/Ünï") + nul + "x y.odt" + nul + "z.odt";
    PushButton1_Click(prompts, list);
    PushButton1_Click(prompts, list);
    EXPECT_EQ(list.texts(),
              QStringList({"/b.odt", "/a.odt", "/home/ann/Ünï/x y.odt", "/home/ann/Ünï/z.odt"}));
}

TEST(AddChosenFiles, TooManyFilesHasItsOwnMessageOtherErrorsTheReport) {
    FakePrompts prompts;
    DocumentListModel list;
    prompts.fileDialogError = kDialogBufferTooSmall;
    PushButton1_Click(prompts, list);
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(prompts.messages[0].text,
              "You've selected too many files to add.\r\rPlease try adding via the \"Add All\" button.");
    EXPECT_EQ(prompts.messages[0].style, kOkOnly);

    prompts.fileDialogError = 32755;
    PushButton1_Click(prompts, list);
    ASSERT_EQ(prompts.messages.size(), 2);
    EXPECT_TRUE(
        prompts.messages[1].text.contains("in Tamberlon2021/08/31.Form1.PushButton1_Click at line 102"));
    EXPECT_EQ(list.count(), 0);
}
