#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "FakeFileSystem.h"
#include "FakePrompts.h"
#include "app/FolderWalk.h"

using namespace fk;
using namespace fk::test;

namespace {

class WalkTest : public ::testing::Test {
protected:
    QStringList walk(QStringList folders, bool recurse = true) {
        GetSubDirectories2016(folders, recurse, fs, prompts, [this] { ++yields; });
        return folders;
    }
    FakeFileSystem fs;
    FakePrompts prompts;
    int yields = 0;
};

}  // namespace

TEST_F(WalkTest, GoesLevelByLevel) {
    fs.addFolder("/A/");
    fs.addFolder("/A/B/");
    fs.addFolder("/A/C/");
    fs.addFolder("/A/B/D/");
    fs.addFolder("/A/C/E/");
    fs.addFolder("/A/B/D/F/");
    EXPECT_EQ(walk({"/A/"}), QStringList({"/A/", "/A/B/", "/A/C/", "/A/B/D/", "/A/C/E/", "/A/B/D/F/"}));
    EXPECT_EQ(walk({"/A/"}, false), QStringList({"/A/", "/A/B/", "/A/C/"}));
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(WalkTest, EmptyListStaysEmptyWithoutYielding) {
    EXPECT_TRUE(walk({}).isEmpty());
    EXPECT_EQ(yields, 0);
}

TEST_F(WalkTest, HiddenSystemFoldersAreNeitherListedNorEntered) {
    fs.addFolder("/A/");
    fs.addFolder("/A/sys/", 22);
    fs.addFolder("/A/sys/inner/");
    fs.addFolder("/A/link/", 1046);
    fs.addFolder("/A/archived/", 54);
    fs.addFolder("/A/archived/inner/");
    EXPECT_EQ(walk({"/A/"}), QStringList({"/A/", "/A/archived/", "/A/archived/inner/"}));
    EXPECT_FALSE(fs.listed.contains("/A/sys/"));
}

TEST_F(WalkTest, RootIsListedWhateverItsAttributes) {
    fs.addFolder("/", 22).isRoot = true;
    fs.addFolder("/home/");
    EXPECT_EQ(walk({"/"}), QStringList({"/", "/home/"}));
}

TEST_F(WalkTest, NamesTheProgramCannotHandleAreSkippedWithTheirTrees) {
    fs.addFolder("/A/");
    for (const QString& name :
         {QStringLiteral("what?"), QStringLiteral("tab\there"), QStringLiteral("c1\u0085x"),
          QStringLiteral("bad\uFFFDutf8"), QString(platform::kMaxPathLength, 'n')}) {
        fs.addFolder("/A/" + name + "/");
        fs.addFolder("/A/" + name + "/below/");
    }
    fs.addFolder("/A/Отчёты 日本/");
    EXPECT_EQ(walk({"/A/"}), QStringList({"/A/", "/A/Отчёты 日本/"}));
}

TEST_F(WalkTest, UnsafeCharacterTest) {
    EXPECT_FALSE(HasUnsafeCharacters("Grüße, отчёт, 日本"));
    EXPECT_TRUE(HasUnsafeCharacters("a?b"));
    EXPECT_TRUE(HasUnsafeCharacters(QString(QChar(31))));
    EXPECT_TRUE(HasUnsafeCharacters(QString(QChar(127))));
    EXPECT_TRUE(HasUnsafeCharacters(QString(QChar(159))));
    EXPECT_FALSE(HasUnsafeCharacters(QString(QChar(160))));
}

TEST_F(WalkTest, FoldersThatCannotBeListedAreRemovedSilently) {
    fs.addFolder("/A/");
    fs.addFolder("/A/denied/").listError = 70;
    fs.addFolder("/A/gone/").listError = 76;
    fs.addFolder("/A/ok/");
    fs.addFolder("/A/ok/deep/");
    EXPECT_EQ(walk({"/A/"}), QStringList({"/A/", "/A/ok/", "/A/ok/deep/"}));
    EXPECT_TRUE(prompts.messages.isEmpty());

    // Another error number keeps the folder in the list.
    fs.nodes["/A/denied/"].listError = 5;
    EXPECT_EQ(walk({"/A/"}), QStringList({"/A/", "/A/denied/", "/A/ok/", "/A/ok/deep/"}));
}

TEST_F(WalkTest, TwoFailingStartFoldersAreBothRemoved) {
    fs.addFolder("/X/").listError = 70;
    fs.addFolder("/Y/").listError = 76;
    fs.addFolder("/Z/");
    EXPECT_EQ(walk({"/X/", "/Y/", "/Z/"}), QStringList({"/Z/"}));
}

TEST_F(WalkTest, MissingEntriesStayButAreNotListed) {
    fs.addFolder("/A/");
    EXPECT_EQ(walk({"/missing/", "/A/"}), QStringList({"/missing/", "/A/"}));
}

TEST_F(WalkTest, DuplicateEntriesAreListedTwice) {
    fs.addFolder("/A/");
    fs.addFolder("/A/B/");
    EXPECT_EQ(walk({"/A/", "/A/"}), QStringList({"/A/", "/A/", "/A/B/", "/A/B/"}));
}

TEST_F(WalkTest, YieldsForEveryEntrySubFolderAndMergedEntry) {
    fs.addFolder("/A/");
    fs.addFolder("/A/B/");
    fs.addFolder("/A/C/");
    walk({"/A/"});
    // /A/: entry + 2 sub-folders; level {B, C}: 2 entries; merge of 2.
    EXPECT_EQ(yields, 3 + 2 + 2);
}

TEST_F(WalkTest, LinksBackToAnAncestorAreNotFollowed) {
    fs.addFolder("/A/");
    fs.addFolder("/A/B/");
    fs.addFolder("/A/B/up/", 16 | 1024, true).canonical = "/A/";
    fs.addFolder("/A/B/self/", 16 | 1024, true).canonical = "/A/B/";
    fs.addFolder("/A/B/elsewhere/", 16 | 1024, true).canonical = "/X/";
    EXPECT_EQ(walk({"/A/"}), QStringList({"/A/", "/A/B/", "/A/B/elsewhere/"}));
}

TEST(FolderWalkOnDisk, RealTreeInBreadthFirstOrderWithoutLooping) {
    QTemporaryDir dir;
    const QString root = dir.path() + "/";
    for (const char* folder : {"a/b/c", "a/d", "e"}) QDir().mkpath(root + folder);
    ASSERT_TRUE(QFile::link(root + "a", root + "a/b/loop"));
    ASSERT_TRUE(QFile::link(dir.path(), root + "e/top"));
    LocalFileSystem fs;
    FakePrompts prompts;
    QStringList folders{root};
    GetSubDirectories2016(folders, true, fs, prompts, [] {});
    QStringList depthOne = folders.mid(1, 2);
    depthOne.sort();
    EXPECT_EQ(depthOne, QStringList({root + "a/", root + "e/"}));
    QStringList rest = folders.mid(3);
    rest.sort();
    EXPECT_EQ(rest, QStringList({root + "a/b/", root + "a/b/c/", root + "a/d/"}));
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST(FolderWalkOnDisk, DotFoldersAreNeitherListedNorEntered) {
    QTemporaryDir dir;
    const QString root = dir.path() + "/";
    for (const char* folder : {"Documents/.git/objects", ".cache/thumbnails", ".local/share/Trash", "a.b/c"})
        QDir().mkpath(root + folder);
    ASSERT_TRUE(QFile::link(root + ".cache", root + "Documents/.cache-link"));
    LocalFileSystem fs;
    FakePrompts prompts;
    QStringList folders{root};
    GetSubDirectories2016(folders, true, fs, prompts, [] {});
    folders.sort();
    EXPECT_EQ(folders, QStringList({root, root + "Documents/", root + "a.b/", root + "a.b/c/"}));
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST(BrowseForFolder, TrimsTheSeparatorButKeepsTheRoot) {
    FakePrompts prompts;
    prompts.folderAnswers << "/data/out/"
                          << "/"
                          << "";
    EXPECT_EQ(BrowseForFolder(prompts, "Please select folder:", "/start"), "/data/out");
    EXPECT_EQ(BrowseForFolder(prompts, "Please select folder:", ""), "/");
    EXPECT_EQ(BrowseForFolder(prompts, "Please select folder:", "/missing"), "");
    EXPECT_EQ(prompts.folderDialogStarts, QStringList({"/start", "", "/missing"}));
}
