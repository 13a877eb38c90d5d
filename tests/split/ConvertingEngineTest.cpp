#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "FakeOfficeSession.h"
#include "QtPrinters.h"
#include "base/Failure.h"
#include "split/ConvertingEngine.h"
#include "split/OfficeConversion.h"

using namespace fk;
using namespace fk::test;

namespace {

// Writes an OpenDocument output per page into the folder it is given, the office knowing each, and
// lets the office go before it writes them, as the slicer does.
class OpenDocumentPages : public SplitEngine {
public:
    explicit OpenDocumentPages(FakeOfficeSession& office) : office_(office) {}
    SplitResult split(const QString& documentPath, const QString& outputFolder, const ProtectedPaths&,
                      SplitObserver& observer) override {
        SplitResult result;
        result.method = QStringLiteral("slice");
        result.pageCount = pages;
        observer.pageCountKnown(pages);
        observer.officeDone();
        for (int page = 1; page <= pages; ++page) {
            const QString path = PageFilePath(outputFolder, documentPath, page);
            FakeOfficeSession::writePackage(path, QStringLiteral("page %1").arg(page));
            office_.pageCounts.insert(ToFileUrl(path), 1);
            written << path;
            ++result.pagesStored;
            observer.pageStored(page, path);
        }
        return result;
    }
    int pages = 3;
    QStringList written;

private:
    FakeOfficeSession& office_;
};

class Recording : public SplitObserver {
public:
    void officeDone() override { officeLetGo = true; }
    void pageStored(int page, const QString& path) override {
        stored << QStringLiteral("%1 %2").arg(page).arg(QFileInfo(path).fileName());
    }
    void failed(const SplitFailure& failure) override { failures << failure; }
    bool officeLetGo = false;
    QStringList stored;
    QList<SplitFailure> failures;
};

class ConvertingEngineTest : public ::testing::Test {
protected:
    ConvertingEngineTest() {
        office.alive = true;  // the job reaches the office before an engine runs
        office.packageToStore = in.filePath("converted.docx");
        FakeOfficeSession::writePackage(office.packageToStore, QStringLiteral("converted"));
    }
    QTemporaryDir in, out;
    FakeOfficeSession office;
    OpenDocumentPages pages{office};
    ConvertingEngine engine{pages, office, OutputFormat::Docx};
    Recording observer;
    const QString input = QStringLiteral("/in/report.odt");
};

}  // namespace

TEST_F(ConvertingEngineTest, EachPageIsConvertedIntoTheOutputFolderAndItsOpenDocumentRemoved) {
    const SplitResult result = engine.split(input, out.path(), {}, observer);
    EXPECT_TRUE(result.succeeded()) << (result.failures.isEmpty() ? ""
                                                                  : result.failures[0].message.toStdString());
    EXPECT_EQ(observer.stored,
              (QStringList{"1 report_0001.docx", "2 report_0002.docx", "3 report_0003.docx"}));
    EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"report_0001.docx", "report_0002.docx", "report_0003.docx"}))
        << "no staged file or folder is left";
    for (const QString& page : pages.written) EXPECT_FALSE(QFileInfo::exists(page)) << page.toStdString();
    EXPECT_FALSE(observer.officeLetGo) << "the office converts until the last page";
    EXPECT_EQ(office.openDocuments(), 0);
    EXPECT_TRUE(office.loadArguments.value(ToFileUrl(pages.written[0])).contains("Hidden=true"));
}

TEST_F(ConvertingEngineTest, AFailedConversionIsThatPagesFailureAndLeavesTheOlderFileAsItWas) {
    const QString older = out.filePath("report_0002.docx");
    QFile file(older);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("older page");
    file.close();
    office.onCall = [&](const QString& call) {
        if (call.startsWith("load(") && call.contains("report_0002.odt")) office.refuse.insert(call);
    };
    const SplitResult result = engine.split(input, out.path(), {}, observer);
    EXPECT_FALSE(result.succeeded());
    ASSERT_EQ(result.failures.size(), 1);
    EXPECT_EQ(result.failures[0].page, 2);
    EXPECT_EQ(result.pagesStored, 2);
    EXPECT_EQ(observer.stored, (QStringList{"1 report_0001.docx", "3 report_0003.docx"}));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "older page");
}

TEST_F(ConvertingEngineTest, AStoreThatWritesNoFileOfTheFormatIsAFailureNotAPage) {
    QFile text(office.packageToStore);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly | QIODevice::Truncate));
    text.write("not a package");
    text.close();
    pages.pages = 1;
    const SplitResult result = engine.split(input, out.path(), {}, observer);
    ASSERT_EQ(result.failures.size(), 1);
    EXPECT_TRUE(result.failures[0].message.contains("report_0001.docx"));
    EXPECT_FALSE(QFileInfo::exists(out.filePath("report_0001.docx")));
}

TEST_F(ConvertingEngineTest, APageThatWouldReplaceAnInputIsNotConverted) {
    const QString input2 = out.filePath("report_0001.docx");
    const SplitResult result = engine.split(input, out.path(), ProtectedPaths({input2}), observer);
    ASSERT_EQ(result.failures.size(), 1);
    EXPECT_EQ(result.failures[0].kind, FailureKind::ProtectedInput);
    EXPECT_FALSE(QFileInfo::exists(input2));
    EXPECT_EQ(result.pagesStored, 2);
}

TEST(OfficeConversion, OnlyAFileThatBeginsAsItsFormatDoesIsPutInPlace) {
    EXPECT_TRUE(OfficeConversion::looksLike(OutputFormat::Pdf, "%PDF-1.7\n"));
    EXPECT_FALSE(OfficeConversion::looksLike(OutputFormat::Pdf, "PK\x03\x04"));
    EXPECT_TRUE(OfficeConversion::looksLike(OutputFormat::Docx, QByteArray("PK\x03\x04\x14\x00", 6)));
    EXPECT_FALSE(OfficeConversion::looksLike(OutputFormat::Docx, {}));
    EXPECT_EQ(OfficeConversion::storeArguments(OutputFormat::Docx).value(0).value, "MS Word 2007 XML");
}

TEST(OfficeConversion, OnlyAWordPageIsToldWordsTermsForItsLayoutAndBeforeItIsStored) {
    struct Case {
        OutputFormat format;
        bool officeRunsBasic;
        bool toldBeforeStore;
    };
    for (const Case& c : {Case{OutputFormat::Docx, true, true}, Case{OutputFormat::Docx, false, true},
                          Case{OutputFormat::Pdf, true, false}}) {
        QTemporaryDir folder;
        FakeOfficeSession office;
        office.alive = true;
        office.packageToStore = folder.filePath(QStringLiteral("stored"));
        if (c.format == OutputFormat::Pdf) {
            QFile stored(office.packageToStore);
            ASSERT_TRUE(stored.open(QIODevice::WriteOnly));
            stored.write("%PDF-1.7\n");
        } else {
            FakeOfficeSession::writePackage(office.packageToStore, QStringLiteral("a page"));
        }
        if (c.officeRunsBasic)
            office.basicAnswers.insert(OfficeConversion::kWordLayoutFunction, {"no-leading"});
        const QString page = folder.filePath(QStringLiteral("page.odt"));
        FakeOfficeSession::writePackage(page, QStringLiteral("page 1"));
        office.pageCounts.insert(ToFileUrl(page), 1);
        const QString target = folder.filePath(QStringLiteral("page.") + FormatName(c.format));

        // An office without Basic stores the page as it is, rather than failing it.
        OfficeConversion(office, c.format).convert(page, target);

        EXPECT_TRUE(QFileInfo::exists(target)) << FormatName(c.format).toStdString();
        const qsizetype told =
            office.calls.indexOf(QStringLiteral("runBasic(FolioknifeSplit.WordLayout.KeepLayoutForWord, )"));
        const qsizetype store = office.calls.indexOf(QRegularExpression(QStringLiteral("storeToUrl\\(.*")));
        EXPECT_EQ(told >= 0, c.toldBeforeStore) << office.calls.join(' ').toStdString();
        if (c.toldBeforeStore) {
            EXPECT_LT(told, store) << office.calls.join(' ').toStdString();
        }
        EXPECT_EQ(office.openDocuments(), 0);
    }
}
