#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "slicer/PagePlan.h"
#include "split/OlderPages.h"
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

TEST(OutputNames, EachFormatNamesItsOutputsWithItsOwnExtension) {
    const QString document = QStringLiteral("/in/report.v2.odt");
    EXPECT_EQ(PageFileName(document, 3, OutputFormat::Pdf), "report.v2_0003.pdf");
    EXPECT_EQ(PageFilePath("/out", document, 10000, OutputFormat::Docx), "/out/report.v2_10000.docx");
    for (const OutputFormat format : {OutputFormat::Odt, OutputFormat::Pdf, OutputFormat::Docx})
        EXPECT_EQ(FormatNamed(FormatName(format)), format);
    EXPECT_EQ(FormatNamed("Pdf"), std::nullopt);
    EXPECT_EQ(FormatNamed(".pdf"), std::nullopt);
}

TEST(OlderPages, AreThoseOfTheFormatWrittenThatFollowTheLastOutput) {
    QTemporaryDir out;
    for (const char* name : {"a_0003.pdf", "a_0004.pdf", "a_0006.pdf", "a_0005.odt", "a_0003.docx"}) {
        QFile file(QDir(out.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QStringList older = OlderPagesAfter(out.path(), "/in/a.odt", 2, OutputFormat::Pdf);
    EXPECT_EQ(older,
              (QStringList{QDir(out.path()).filePath("a_0003.pdf"), QDir(out.path()).filePath("a_0004.pdf")}))
        << "they stop at the first gap, and other formats' pages are not this split's";
    EXPECT_EQ(OlderPagesText(older), "a_0003.pdf to a_0004.pdf");
    EXPECT_TRUE(OlderPagesAfter(out.path(), "/in/a.odt", 2, OutputFormat::Odt).isEmpty());
    EXPECT_EQ(OlderPagesAfter(out.path(), "/in/a.odt", 4, OutputFormat::Odt),
              QStringList{QDir(out.path()).filePath("a_0005.odt")});
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
