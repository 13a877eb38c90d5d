#include <gtest/gtest.h>

#include "slicer/PagePlan.h"
#include "split/OutputNames.h"

using namespace fk;

TEST(OutputNames, EveryNameOfADocumentsOutputsComesFromOneBaseName) {
    const QString document = QStringLiteral("/in/Grüße.v2.odt");
    EXPECT_EQ(OutputBaseName(document), "Grüße.v2");
    EXPECT_EQ(PageFileName(document, 7), "Grüße.v2_0007.odt");
    EXPECT_EQ(PageFilePath("/out", document, 12345), "/out/Grüße.v2_12345.odt");
    EXPECT_EQ(PageFilePath("/out/", document, 1), "/out/Grüße.v2_0001.odt") << "one separator";
    EXPECT_EQ(OutputBaseName("/in/.hidden"), ".hidden") << "a leading dot is not an extension";
}

TEST(OutputNames, PageMarksAndPageFilesCountInTheSameDigits) {
    for (const int page : {1, 42, 9999, 10000}) {
        const std::string mark = slicer::PageMarkName(page);
        EXPECT_TRUE(QString::fromStdString(mark).endsWith(QStringLiteral("_") + PageNumberText(page)))
            << page;
        EXPECT_EQ(slicer::PageOfMark(mark), page);
    }
}

TEST(OutputNames, TheLockFileStandsBesideTheDocument) {
    EXPECT_EQ(LockFilePath("/in/a b.odt"), "/in/.~lock.a b.odt#");
}
