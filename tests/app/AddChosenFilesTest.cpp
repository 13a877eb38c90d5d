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
    EXPECT_EQ(prompts.fileDialogs[0].filter, AddFilesFilter());
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

// The first filter, the one the dialog opens with, shows every document the program splits; the Writer
// filter stays as the second.
TEST(AddChosenFiles, TheDialogOffersEveryDocumentTheProgramSplits) {
    const QStringList filters = AddFilesFilter().split('|');
    ASSERT_EQ(filters.size(), 4);
    EXPECT_TRUE(filters[0].startsWith("Word-processor documents (*.odt *.ott *.stw *.sxw *.fodt "));
    EXPECT_EQ(filters.mid(2), QStringList({"Open Office Writer Documents (*.odt)", "*.odt"}));
    const struct {
        const char* pattern;
        bool offered;
    } cases[] = {{"*.odt", true},  {"*.docx", true}, {"*.doc", true},  {"*.rtf", true},
                 {"*.fodt", true}, {"*.pdf", false}, {"*.ods", false}, {"*.odp", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(
            filters[0].contains(QString(c.pattern) + ' ') || filters[0].contains(QString(c.pattern) + ')'),
            c.offered)
            << c.pattern;
        EXPECT_EQ(filters[1].split(';').contains(c.pattern), c.offered) << c.pattern;
    }
}

TEST(AddChosenFiles, SeveralNamesOfEveryKindAreAllAdded) {
    FakePrompts prompts;
    DocumentListModel list;
    const QChar nul(0);
    prompts.fileDialogAnswers << QStringLiteral("/in") + nul + "a.odt" + nul + "b.docx" + nul + "c.RTF";
    PushButton1_Click(prompts, list);
    EXPECT_EQ(list.texts(), QStringList({"/in/a.odt", "/in/b.docx", "/in/c.RTF"}));
}
