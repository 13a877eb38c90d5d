#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "split/ProtectedPaths.h"

using namespace fk;

namespace {

class ProtectedPathsTest : public ::testing::Test {
protected:
    ProtectedPathsTest() {
        QDir(root.path()).mkpath("docs");
        QFile file(input);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QTemporaryDir root;
    QString input = root.filePath("docs/a_0001.odt");
};

}  // namespace

TEST_F(ProtectedPathsTest, AnInputIsCoveredHoweverItsFolderIsSpelt) {
    ASSERT_TRUE(QFile::link(root.filePath("docs"), root.filePath("linked")));
    const ProtectedPaths inputs({input});
    EXPECT_TRUE(inputs.covers(input));
    EXPECT_TRUE(inputs.covers(root.filePath("docs/../docs/a_0001.odt")));
    EXPECT_TRUE(inputs.covers(root.filePath("linked/a_0001.odt")));
    EXPECT_TRUE(inputs.covers(root.filePath("docs/") + "/a_0001.odt"));
    EXPECT_FALSE(inputs.covers(root.filePath("docs/a_0002.odt")));
    EXPECT_FALSE(ProtectedPaths().covers(input));
}

TEST_F(ProtectedPathsTest, AnInputThatIsALinkProtectsItsTargetToo) {
    const QString link = root.filePath("link.odt");
    ASSERT_TRUE(QFile::link(input, link));
    const ProtectedPaths inputs({link});
    EXPECT_TRUE(inputs.covers(link));
    EXPECT_TRUE(inputs.covers(input));
}

TEST_F(ProtectedPathsTest, ALinkToAnInputIsNotTheInput) {
    // A page is renamed over a link, which replaces the link and leaves the input as it is.
    const QString link = root.filePath("a_0001.odt");
    ASSERT_TRUE(QFile::link(input, link));
    EXPECT_FALSE(ProtectedPaths({input}).covers(link));
}
