#include <gtest/gtest.h>

#include "FakePrompts.h"
#include "app/AddChosenFiles.h"
#include "app/FileDialogAnswer.h"

using namespace fk;
using fk::test::FakePrompts;

namespace {

const QChar kNul(0);

QString answer(const QStringList& parts) {
    return parts.join(kNul);
}

// What the list shows after "Add Writer File(s)" when the dialog returned these paths.
QStringList listedAfterPicking(const QStringList& chosen) {
    FakePrompts prompts;
    DocumentListModel list;
    prompts.fileDialogAnswers << FileDialogAnswer(chosen);
    PushButton1_Click(prompts, list);
    EXPECT_TRUE(prompts.messages.isEmpty());
    return list.texts();
}

}  // namespace

TEST(FileDialogAnswer, OneFileOrNoneIsAnsweredAsItIs) {
    EXPECT_EQ(FileDialogAnswer({}), "");
    EXPECT_EQ(FileDialogAnswer({"/home/ann/a b.odt"}), "/home/ann/a b.odt");
}

TEST(FileDialogAnswer, FilesOfOneFolderKeepTheFolderAndNameForm) {
    EXPECT_EQ(FileDialogAnswer({"/home/ann/Docs/b.odt", "/home/ann/Docs/a.odt"}),
              answer({"/home/ann/Docs", "b.odt", "a.odt"}));
    EXPECT_EQ(FileDialogAnswer({"/b.odt", "/a.odt"}), answer({"/", "b.odt", "a.odt"}));
}

TEST(FileDialogAnswer, FilesOfSeveralFoldersAreNamedBelowTheFolderTheyShare) {
    EXPECT_EQ(FileDialogAnswer({"/home/ann/A.odt", "/home/ann/sub/b.odt"}),
              answer({"/home/ann", "A.odt", "sub/b.odt"}));
    EXPECT_EQ(FileDialogAnswer({"/home/ann/x/a.odt", "/home/ann/y/z/b.odt"}),
              answer({"/home/ann", "x/a.odt", "y/z/b.odt"}));
    // Folders are compared whole, not by their first letters.
    EXPECT_EQ(FileDialogAnswer({"/data/ab/x.odt", "/data/a/y.odt"}),
              answer({"/data", "ab/x.odt", "a/y.odt"}));
    EXPECT_EQ(FileDialogAnswer({"/home/a.odt", "/srv/b.odt"}), answer({"/", "home/a.odt", "srv/b.odt"}));
}

TEST(FileDialogAnswer, TheListGetsEveryChosenPathBack) {
    const QList<QStringList> choices{
        {"/home/ann/A.odt", "/home/ann/sub/b.odt"},
        {"/home/ann/sub/b.odt", "/home/ann/A.odt"},
        {"/home/a.odt", "/srv/Ünï/x y.odt", "/c.odt"},
        {"/home/ann/Docs/b.odt", "/home/ann/Docs/a.odt"},
    };
    for (const QStringList& chosen : choices) EXPECT_EQ(listedAfterPicking(chosen), chosen);
}
