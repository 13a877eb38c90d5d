#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include "cli/LibreOfficeJobOffice.h"

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

TEST_F(StaleLockFileTest, OnlyTheLockOfThisProfilesOfficeIsRemoved) {
    writeLock(",root,vm,07.12.2026 22:46," + profileUrl() + ";\n");
    EXPECT_TRUE(RemoveStaleLockFile(document(), profile()));
    EXPECT_FALSE(QFile::exists(lockPath()));

    writeLock(",anna,desk,07.12.2026 22:46,file:///home/anna/.config/libreoffice/4;\n");
    EXPECT_FALSE(RemoveStaleLockFile(document(), profile()));
    writeLock(",root,vm,07.12.2026 22:46," + profileUrl() + "0;\n");
    EXPECT_FALSE(RemoveStaleLockFile(document(), profile())) << "offices/10 is another profile";
    EXPECT_TRUE(QFile::exists(lockPath()));
    EXPECT_FALSE(RemoveStaleLockFile(work.filePath("other.odt"), profile())) << "no lock file at all";
}

}  // namespace
