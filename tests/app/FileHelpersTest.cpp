#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/FileSystem.h"
#include "app/WindowFileHelpers.h"
#include "base/Failure.h"

using namespace fk;

namespace {

const QChar kBackslash = QLatin1Char('\\');

void touch(const QString& path, const QByteArray& content = "x") {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

class FolderTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

}  // namespace

TEST(PathPieces, FileNameFromWindowsAndPosixPaths) {
    EXPECT_EQ(GetFileNameFromPath(QStringLiteral("C:\\docs\\report.odt"), kBackslash), "report.odt");
    EXPECT_EQ(GetFileNameFromPath(QStringLiteral("report.odt"), kBackslash), "report.odt");
    EXPECT_EQ(GetFileNameFromPath(QStringLiteral("C:\\docs\\"), kBackslash), "");
    EXPECT_EQ(GetFileNameFromPath(QStringLiteral("/home/ann/report.odt")), "report.odt");
    EXPECT_EQ(GetFileNameFromPath(QStringLiteral("/home/ann/")), "");
    EXPECT_EQ(GetFileNameFromPath(QString()), "");
    EXPECT_EQ(GetFileNameFromPath(QStringLiteral("/home/Ärger/Übersicht.odt")), "Übersicht.odt");
    // A backslash is an ordinary character in a POSIX name.
    EXPECT_EQ(GetFileNameFromPath(QStringLiteral("/tmp/a\\b.odt")), "a\\b.odt");
}

TEST(PathPieces, RemoveExtensionKeepsNamesWithoutARealExtension) {
    EXPECT_EQ(RemoveExtension(QStringLiteral("a.b.odt")), "a.b");
    EXPECT_EQ(RemoveExtension(QStringLiteral("minutes.final.sxw")), "minutes.final");
    EXPECT_EQ(RemoveExtension(QStringLiteral(".odt")), ".odt");
    EXPECT_EQ(RemoveExtension(QStringLiteral("README")), "README");
    EXPECT_EQ(RemoveExtension(QString()), "");
    EXPECT_EQ(RemoveExtension(QStringLiteral("trailing.")), "trailing");
    EXPECT_EQ(RemoveExtension(QStringLiteral("отчёт.odt")), "отчёт");
}

TEST(Wildcards, MatchLikeTheOriginalPlatform) {
    EXPECT_TRUE(MatchesWildcard(QStringLiteral("noextension"), QStringLiteral("*.*")));
    EXPECT_TRUE(MatchesWildcard(QStringLiteral("A.ODT"), QStringLiteral("*.odt")));
    EXPECT_FALSE(MatchesWildcard(QStringLiteral("a.odtx"), QStringLiteral("*.odt")));
    EXPECT_FALSE(MatchesWildcard(QStringLiteral("odt"), QStringLiteral("*.odt")));
    EXPECT_TRUE(MatchesWildcard(QStringLiteral("a.b.odt"), QStringLiteral("*.odt")));
    EXPECT_TRUE(MatchesWildcard(QStringLiteral("x1.txt"), QStringLiteral("x?.txt")));
}

TEST_F(FolderTest, ExistenceTestsAnswerFalseInsteadOfFailing) {
    touch(path("file.odt"));
    EXPECT_TRUE(FileExists(path("file.odt")));
    EXPECT_TRUE(FileExistsEx(path("file.odt")));
    EXPECT_FALSE(FolderExists(path("file.odt")));

    EXPECT_TRUE(FolderExists(dir.path()));
    EXPECT_TRUE(FolderExists(dir.path() + QLatin1Char('/')));
    EXPECT_FALSE(FileExistsEx(dir.path()));

    for (const QString& missing : {QString(), path("missing.odt"), QStringLiteral("\x01bad")}) {
        EXPECT_FALSE(FileExists(missing));
        EXPECT_FALSE(FileExistsEx(missing));
        EXPECT_FALSE(FolderExists(missing));
    }
}

TEST_F(FolderTest, FileExistsExDoesNotHangOnAPipe) {
    const QByteArray fifo = QFile::encodeName(path("pipe"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    EXPECT_TRUE(FileExistsEx(path("pipe")));
}

TEST_F(FolderTest, AttributesFollowThePlatformMapping) {
    touch(path("plain.odt"));
    touch(path(".hidden.odt"));
    QDir().mkdir(path("sub"));
    EXPECT_EQ(FileAttributes(path("plain.odt")), 32);
    EXPECT_EQ(FileAttributes(path(".hidden.odt")), 34);
    EXPECT_EQ(FileAttributes(path("sub")), 16);
    ASSERT_TRUE(QFile::link(path("sub"), path("alias")));
    EXPECT_EQ(FileAttributes(path("alias")), 16 | 1024);
    // Dot-folders count as hidden system folders, with or without the separator, and so do links to them.
    QDir().mkdir(path(".cache"));
    EXPECT_EQ(FileAttributes(path(".cache")), 16 | 2 | 4);
    EXPECT_EQ(FileAttributes(path(".cache/")), 16 | 2 | 4);
    ASSERT_TRUE(QFile::link(path(".cache"), path(".cache-link")));
    EXPECT_EQ(FileAttributes(path(".cache-link")), 16 | 2 | 4 | 1024);
    EXPECT_THROW(FileAttributes(path("missing")), Failure);
}

TEST_F(FolderTest, ListingKeepsRegularFilesOnly) {
    touch(path("a.odt"));
    touch(path("B.ODT"));
    touch(path(".hidden.odt"));
    touch(path("notes.txt"));
    QDir().mkdir(path("folder.odt"));
    const FileNameList odt = GetFilesInFolder(dir.path(), QStringLiteral("*.odt"));
    QStringList names = odt.names();
    names.sort();
    EXPECT_EQ(names, QStringList({".hidden.odt", "B.ODT", "a.odt"}));
    EXPECT_EQ(GetFilesInFolder(dir.path() + QLatin1Char('/'), QStringLiteral("*.*")).upperBound(), 4);
}

TEST_F(FolderTest, EmptyResultHasTheSingleIndexZero) {
    const FileNameList none = GetFilesInFolder(dir.path(), QStringLiteral("*.*"));
    EXPECT_EQ(none.upperBound(), 0);
    EXPECT_EQ(none.at(0), "");
    EXPECT_EQ(GetFilesInFolder(path("missing"), QStringLiteral("*.*")).upperBound(), 0);
}

TEST_F(FolderTest, ListHoldsEveryNamePastAHundred) {
    for (int i = 0; i < 101; ++i) touch(path(QStringLiteral("f%1.odt").arg(i)));
    FileNameList more = GetFilesInFolder(dir.path(), QStringLiteral("*.*"));
    EXPECT_EQ(more.upperBound(), 101);
    EXPECT_FALSE(more.at(101).isEmpty());
}

TEST_F(FolderTest, FilesAndSubFoldersComeInNameOrderWhateverTheirCase) {
    for (const char* name : {"doc 08.odt", "Doc 32.odt", "doc 05.odt", "beta.odt", "Alpha.odt", "alpha.odt"})
        touch(path(name));
    for (const char* name : {"zeta", "Alpha", "beta"}) ASSERT_TRUE(QDir(dir.path()).mkdir(name));

    EXPECT_EQ(GetFilesInFolder(dir.path(), "*.*").names(),
              (QStringList{"Alpha.odt", "alpha.odt", "beta.odt", "doc 05.odt", "doc 08.odt", "Doc 32.odt"}));
    LocalFileSystem fileSystem;
    QStringList folders;
    for (const FileSystem::SubFolder& folder : fileSystem.subFolders(dir.path())) folders << folder.name;
    EXPECT_EQ(folders, (QStringList{"Alpha", "beta", "zeta"}));
}
