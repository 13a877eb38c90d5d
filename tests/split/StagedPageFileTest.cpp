#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "FakeOfficeSession.h"
#include "QtPrinters.h"
#include "files/TemporaryName.h"
#include "split/StagedPageFile.h"

using namespace fk;

namespace {

class StagedPageFileTest : public ::testing::Test {
protected:
    // What a store leaves beside the document it writes: the office's own temporary and its lock.
    static void storeAsTheOfficeDoes(const QString& path, const QString& text) {
        test::FakeOfficeSession::writePackage(path, text);
        const QFileInfo page(path);
        for (const QString& name : {QStringLiteral("lu4242abc.tmp"), ".~lock." + page.fileName() + "#"}) {
            QFile helper(page.absolutePath() + "/" + name);
            ASSERT_TRUE(helper.open(QIODevice::WriteOnly));
        }
    }
    QStringList left() const {
        return QDir(out.path())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    }

    QTemporaryDir out;
    const QString page = out.filePath("report_0001.odt");
};

TEST_F(StagedPageFileTest, TheOfficeStoresOutsideTheOutputFolderAndItsFilesGoWithItsOwn) {
    QString officeFolder;
    {
        StagedPageFile staged(page);
        staged.reserve();
        const QFileInfo folder(QFileInfo(staged.stagingPath()).absolutePath());
        officeFolder = folder.absoluteFilePath();
        EXPECT_EQ(folder.absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath())
            << "nothing the office does reaches the output folder";
        EXPECT_EQ(files::TemporaryName::ownerOf(folder.fileName().toStdString()),
                  files::TemporaryOwner::thisProcess())
            << "a later run can tell it for ours";
        storeAsTheOfficeDoes(staged.stagingPath(), "page one");
        staged.commit();
    }
    EXPECT_EQ(test::FakeOfficeSession::storedText(page), "page one");
    EXPECT_EQ(left(), QStringList{"report_0001.odt"});
    EXPECT_FALSE(QFileInfo::exists(officeFolder));
}

}  // namespace
