#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "doclist/DocumentListModel.h"
#include "gather/Samples.h"

using namespace fk;

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
};

}  // namespace

TEST_F(SamplesTest, AppendsEveryFileOnceInNameOrder) {
    sample("Letter.odt");
    sample(".hidden.odt");
    sample("picture.png");
    QDir().mkdir(programFolder.filePath("Samples/folder.odt"));
    QFile::link(path("gone.odt"), path("dangling.odt"));
    AppendSampleFiles(list, programFolder.path());
    EXPECT_EQ(list.texts(), QStringList({path(".hidden.odt"), path("Letter.odt"), path("picture.png")}));

    list.AppendDocument(path("letter.odt"));  // other letter case: not the same row
    AppendSampleFiles(list, programFolder.path());
    EXPECT_EQ(list.count(), 4);
}

TEST_F(SamplesTest, AMissingFolderAddsNothing) {
    QDir(programFolder.filePath("Samples")).removeRecursively();
    AppendSampleFiles(list, programFolder.path());
    EXPECT_EQ(list.count(), 0);
}
