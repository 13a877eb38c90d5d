#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include "FakeOrphanOffices.h"
#include "cli/LibreOfficeJobOffice.h"
#include "cli/OfficeProfiles.h"
#include "split/LockFile.h"

using namespace fk::cli;

namespace {

class StaleLockFileTest : public ::testing::Test {
protected:
    void writeLock(const QString& content) {
        QFile lock(lockPath());
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write(content.toUtf8());
    }
    QString document() const { return work.filePath("Grüße #1.odt"); }
    QString lockPath() const { return work.filePath(".~lock.Grüße #1.odt#"); }
    QString profile() const { return work.filePath("offices/1"); }
    QString profileUrl() const { return QUrl::fromLocalFile(profile()).toString(QUrl::FullyEncoded); }
    QTemporaryDir work;
};

TEST_F(StaleLockFileTest, OnlyLocksOfProfilesThatCannotBeInUseAreRemoved) {
    const auto isStale = [this](const QString& folder) { return folder == profile(); };
    writeLock(",root,vm,07.12.2026 22:46," + profileUrl() + ";\n");
    EXPECT_TRUE(RemoveStaleLockFile(document(), isStale));
    EXPECT_FALSE(QFile::exists(lockPath()));

    writeLock(",anna,desk,07.12.2026 22:46,file:///home/anna/.config/libreoffice/4;\n");
    EXPECT_FALSE(RemoveStaleLockFile(document(), isStale));
    writeLock(",root,vm,07.12.2026 22:46," + profileUrl() + "0;\n");
    EXPECT_FALSE(RemoveStaleLockFile(document(), isStale)) << "offices/10 is another profile";
    writeLock("not a lock file at all");
    EXPECT_FALSE(RemoveStaleLockFile(document(), isStale));
    EXPECT_TRUE(QFile::exists(lockPath()));
    EXPECT_FALSE(RemoveStaleLockFile(work.filePath("other.odt"), isStale)) << "no lock file at all";
}

TEST_F(StaleLockFileTest, EveryStaleLockOfAFolderGoesTheRestStays) {
    const auto isStale = [this](const QString& folder) { return folder == profile(); };
    const QStringList names{"a_0001.odt", "a_0002.odt", "b_0001.odt"};
    for (const QString& name : names) {
        QFile lock(work.filePath(".~lock." + name + "#"));
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write(
            (",root,vm,07.12.2026 22:46," +
             (name.startsWith('b') ? QString("file:///home/anna/.config/libreoffice/4") : profileUrl()) +
             ";\n")
                .toUtf8());
    }
    EXPECT_EQ(RemoveStaleLockFilesIn(work.path(), isStale), 2);
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files | QDir::Hidden), QStringList{".~lock.b_0001.odt#"});
}

TEST(OfficeProfilesStaleness, OwnProfilesAndUnheldSlotsAreStaleOthersAreNot) {
    QTemporaryDir cache;
    const QString base = cache.filePath("offices");
    fk::test::FakeOrphanOffices orphans;
    OfficeProfiles mine(base, 1, orphans, {});
    EXPECT_TRUE(mine.isStale(base + "/1"));
    EXPECT_TRUE(mine.isStale(base + "/7")) << "a slot no run holds: its office was killed with its run";
    {
        OfficeProfiles other(base, 1, orphans, {});
        EXPECT_FALSE(mine.isStale(base + "/2")) << "held by a run that is still going";
    }
    EXPECT_TRUE(mine.isStale(base + "/2"));
    EXPECT_FALSE(mine.isStale(QDir::homePath() + "/.config/libreoffice/4")) << "the user's own office";
}

}  // namespace

TEST(LockHolder, AnOfficeOfOursThatWasStoppedIsNobodyElse) {
    QTemporaryDir dir;
    const QString document = dir.filePath("a.odt");
    QFile lock(dir.filePath(".~lock.a.odt#"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(",root,host,08.12.2026 10:00,file://" + dir.filePath("offices/2").toUtf8() + ";");
    lock.close();
    EXPECT_EQ(fk::LockFile::holderOf(document, dir.filePath("offices")), "");
    EXPECT_EQ(fk::LockFile::holderOf(document), "root on host since 08.12.2026 10:00");
    EXPECT_EQ(fk::LockFile::holderOf(document, dir.filePath("offices-other")),
              "root on host since 08.12.2026 10:00");
}

// The office writes "name,system user,host,date,profile URL;"; the name is empty until the user gives one.
TEST_F(StaleLockFileTest, HolderIsTheNameOrElseTheSystemUserOnTheHost) {
    const struct {
        const char* lock;
        const char* holder;
    } cases[] = {
        {",alice,desk7,08.12.2026 09:00,file:///home/alice/.config/libreoffice/4;",
         "alice on desk7 since 08.12.2026 09:00"},
        {"Alice Example,alice,desk7,08.12.2026 09:00,file:///home/alice/.config/libreoffice/4;",
         "Alice Example on desk7 since 08.12.2026 09:00"},
        {" ,bob , otherhost ,today,;", "bob on otherhost since today"},
        {"no fields at all", "another office"},
    };
    for (const auto& c : cases) {
        writeLock(QString::fromUtf8(c.lock));
        EXPECT_EQ(fk::LockFile::holderOf(document()), QString::fromUtf8(c.holder)) << c.lock;
    }
}
