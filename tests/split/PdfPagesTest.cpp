#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include "FakeOfficeSession.h"
#include "QtPrinters.h"
#include "base/Failure.h"
#include "split/LockFile.h"
#include "split/PdfPageCutter.h"
#include "split/PdfPageEngine.h"

using namespace fk;
using namespace fk::test;

namespace {

constexpr const char* kXmp =
    R"(<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">)"
    R"(<rdf:Description rdf:about="" xmlns:dc="http://purl.org/dc/elements/1.1/"><dc:title><rdf:Alt>)"
    R"(<rdf:li xml:lang="x-default">Quarterly report</rdf:li></rdf:Alt></dc:title></rdf:Description>)"
    R"(</rdf:RDF></x:xmpmeta>)";

// A PDF of `pages` pages whose text is "page N", with the document's title in its information and
// XMP metadata; page 1 links to page 2 (a destination), to the last page (a go-to action) and to a web
// page.
void WritePdf(const QString& path, int pages) {
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle font = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"));
    QPDFPageDocumentHelper document(pdf);
    for (int page = 1; page <= pages; ++page) {
        QPDFObjectHandle object =
            pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 595 842] >>"));
        object.replaceKey("/Contents",
                          QPDFObjectHandle::newStream(
                              &pdf, "BT /F1 24 Tf 72 720 Td (page " + std::to_string(page) + ") Tj ET"));
        QPDFObjectHandle resources = QPDFObjectHandle::parse("<< /Font << >> >>");
        resources.getKey("/Font").replaceKey("/F1", font);
        object.replaceKey("/Resources", resources);
        document.addPage(object, false);
    }
    std::vector<QPDFPageObjectHelper> all = document.getAllPages();
    auto link = [&](const std::string& rest) {
        return pdf.makeIndirectObject(
            QPDFObjectHandle::parse("<< /Type /Annot /Subtype /Link /Rect [0 0 10 10] " + rest + " >>"));
    };
    QPDFObjectHandle toSecond = link("");
    toSecond.replaceKey(
        "/Dest", QPDFObjectHandle::newArray({all[1].getObjectHandle(), QPDFObjectHandle::newName("/Fit")}));
    QPDFObjectHandle toLast = link("/A << /S /GoTo >>");
    toLast.getKey("/A").replaceKey(
        "/D", QPDFObjectHandle::newArray({all.back().getObjectHandle(), QPDFObjectHandle::newName("/Fit")}));
    QPDFObjectHandle toWeb = link("/A << /S /URI /URI (https://example.org/) >>");
    all[0].getObjectHandle().replaceKey("/Annots", QPDFObjectHandle::newArray({toSecond, toLast, toWeb}));

    QPDFObjectHandle info = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString("Quarterly report"));
    pdf.getTrailer().replaceKey("/Info", info);
    QPDFObjectHandle metadata = QPDFObjectHandle::newStream(&pdf, kXmp);
    metadata.getDict().replaceKey("/Type", QPDFObjectHandle::newName("/Metadata"));
    metadata.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/XML"));
    pdf.getRoot().replaceKey("/Metadata", metadata);
    QPDFWriter writer(pdf, QFile::encodeName(path).constData());
    writer.write();
}

// A cut PDF as read back.
struct ReadPdf {
    explicit ReadPdf(const QByteArray& bytes) : bytes_(bytes.toStdString()) {
        pdf.processMemoryFile("cut", bytes_.data(), bytes_.size());
        pages = QPDFPageDocumentHelper(pdf).getAllPages();
    }
    std::string text(int page) {
        std::shared_ptr<Buffer> data =
            pages.at(static_cast<size_t>(page)).getObjectHandle().getKey("/Contents").getStreamData();
        return std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
    }
    // Where page `page`'s links lead: a page index of this PDF, or -1 for a link out of it.
    std::vector<int> linkTargets(int page) {
        std::vector<int> targets;
        QPDFObjectHandle links = pages.at(static_cast<size_t>(page)).getObjectHandle().getKey("/Annots");
        if (!links.isArray()) return targets;
        for (QPDFObjectHandle& link : links.getArrayAsVector()) {
            QPDFObjectHandle destination = link.getKey("/Dest");
            if (destination.isNull() && link.getKey("/A").getKey("/S").isNameAndEquals("/GoTo"))
                destination = link.getKey("/A").getKey("/D");
            int target = -1;
            for (size_t index = 0; destination.isArray() && index < pages.size(); ++index) {
                if (pages[index].getObjectHandle().getObjGen() == destination.getArrayItem(0).getObjGen())
                    target = static_cast<int>(index);
            }
            targets.push_back(target);
        }
        return targets;
    }

    std::string bytes_;
    QPDF pdf;
    std::vector<QPDFPageObjectHelper> pages;
};

}  // namespace

TEST(PdfPageCutter, EachPartHoldsItsPagesAndTheDocumentsTitleAndMetadata) {
    QTemporaryDir dir;
    const QString path = dir.filePath("whole.pdf");
    WritePdf(path, 4);
    PdfPageCutter cutter(path);
    ASSERT_EQ(cutter.pageCount(), 4);

    ReadPdf third(cutter.cut(3, 3));
    ASSERT_EQ(third.pages.size(), 1u);
    EXPECT_NE(third.text(0).find("(page 3)"), std::string::npos);
    EXPECT_EQ(third.pdf.getTrailer().getKey("/Info").getKey("/Title").getUTF8Value(), "Quarterly report");
    std::shared_ptr<Buffer> xmp = third.pdf.getRoot().getKey("/Metadata").getStreamData();
    EXPECT_NE(
        std::string(reinterpret_cast<const char*>(xmp->getBuffer()), xmp->getSize()).find("Quarterly report"),
        std::string::npos);

    ReadPdf run(cutter.cut(2, 4));
    ASSERT_EQ(run.pages.size(), 3u);
    EXPECT_NE(run.text(0).find("(page 2)"), std::string::npos);
    EXPECT_NE(run.text(2).find("(page 4)"), std::string::npos);
}

TEST(PdfPageCutter, LinksLeadToThePartsOwnPagesOrOutOfTheDocumentAndNeverNowhere) {
    QTemporaryDir dir;
    const QString path = dir.filePath("whole.pdf");
    WritePdf(path, 4);
    PdfPageCutter cutter(path);

    // The link to page 2 is copied with page 1, before page 2 is: it must still lead to the part's page 2.
    EXPECT_EQ(ReadPdf(cutter.cut(1, 2)).linkTargets(0), (std::vector<int>{1, -1}))
        << "page 2 kept, page 4 dropped, the web link kept";
    EXPECT_EQ(ReadPdf(cutter.cut(1, 4)).linkTargets(0), (std::vector<int>{1, 3, -1}));
    EXPECT_EQ(ReadPdf(cutter.cut(1, 1)).linkTargets(0), (std::vector<int>{-1}));
}

TEST(PdfPageCutter, EachPartKeepsThePdfAIdentityInTheCatalogAndWhatItsPagesInherit) {
    // As the office writes a PDF/A: the output intent and the viewer's preferences direct in the
    // catalog, the profile indirect; here also a page tree whose pages inherit their resources and size.
    QTemporaryDir dir;
    const QString path = dir.filePath("whole.pdf");
    {
        WritePdf(path, 3);
        QPDF pdf;
        pdf.processFile(QFile::encodeName(path).constData());
        QPDFObjectHandle root = pdf.getRoot();
        QPDFObjectHandle intent = QPDFObjectHandle::parse("<< /Type /OutputIntent /S /GTS_PDFA1 >>");
        intent.replaceKey("/DestOutputProfile", QPDFObjectHandle::newStream(&pdf, "an ICC profile"));
        root.replaceKey("/OutputIntents", QPDFObjectHandle::newArray({intent}));
        root.replaceKey("/ViewerPreferences", QPDFObjectHandle::parse("<< /DisplayDocTitle true >>"));
        root.replaceKey("/Lang", QPDFObjectHandle::newString("de-DE"));
        QPDFObjectHandle tree = root.getKey("/Pages");
        for (const char* key : {"/Resources", "/MediaBox"}) {
            tree.replaceKey(key, QPDFPageDocumentHelper(pdf).getAllPages()[0].getObjectHandle().getKey(key));
            for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages())
                page.getObjectHandle().removeKey(key);
        }
        QPDFWriter writer(pdf, QFile::encodeName(path + ".tmp").constData());
        writer.write();
    }
    PdfPageCutter cutter(path + ".tmp");
    for (const auto& [first, last] : {std::pair{1, 1}, {2, 3}}) {
        ReadPdf part(cutter.cut(first, last));
        QPDFObjectHandle root = part.pdf.getRoot();
        QPDFObjectHandle intent = root.getKey("/OutputIntents").getArrayItem(0);
        EXPECT_TRUE(intent.getKey("/S").isNameAndEquals("/GTS_PDFA1")) << first;
        std::shared_ptr<Buffer> profile = intent.getKey("/DestOutputProfile").getStreamData();
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(profile->getBuffer()), profile->getSize()),
                  "an ICC profile");
        EXPECT_TRUE(root.getKey("/ViewerPreferences").getKey("/DisplayDocTitle").getBoolValue());
        EXPECT_EQ(root.getKey("/Lang").getUTF8Value(), "de-DE");
        for (QPDFPageObjectHelper& page : part.pages) {
            EXPECT_TRUE(page.getObjectHandle().getKey("/MediaBox").isRectangle()) << first;
            EXPECT_TRUE(page.getObjectHandle().getKey("/Resources").getKey("/Font").hasKey("/F1")) << first;
        }
    }
}

TEST(PdfPageCutter, PagesOutsideThePdfAndFilesThatAreNoPdfAreFailures) {
    QTemporaryDir dir;
    const QString path = dir.filePath("whole.pdf");
    WritePdf(path, 2);
    PdfPageCutter cutter(path);
    for (const auto& [first, last] : {std::pair{0, 1}, {2, 3}, {2, 1}}) {
        try {
            cutter.cut(first, last);
            ADD_FAILURE() << first << "-" << last;
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.kind(), FailureKind::InvalidArgument);
        }
    }
    QFile notPdf(dir.filePath("text.pdf"));
    ASSERT_TRUE(notPdf.open(QIODevice::WriteOnly));
    notPdf.write("no PDF at all");
    notPdf.close();
    try {
        PdfPageCutter unreadable(notPdf.fileName());
        ADD_FAILURE() << "read a file that is no PDF";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.kind(), FailureKind::Damaged);
    }
}

namespace {

class RecordingPdfPages : public SplitObserver {
public:
    void pageCountKnown(int count) override { events << QStringLiteral("count %1").arg(count); }
    void officeDone() override { events << QStringLiteral("office done"); }
    void pageStored(int page, const QString& path) override {
        events << QStringLiteral("%1 %2").arg(page).arg(QFileInfo(path).fileName());
    }
    void failed(const SplitFailure& failure) override { failures << failure; }
    QStringList events;
    QList<SplitFailure> failures;
};

class PdfPageEngineTest : public ::testing::Test {
protected:
    PdfPageEngineTest() {
        office.alive = true;  // the job reaches the office before an engine runs
        input = in.filePath("report.odt");
        office.pageCounts.insert(ToFileUrl(input), 3);
        office.packageToStore = in.filePath("office.pdf");
        WritePdf(office.packageToStore, 3);
    }
    QTemporaryDir in, out;
    QString input;
    FakeOfficeSession office;
    PdfPageEngine engine{office};
    RecordingPdfPages observer;
};

}  // namespace

TEST_F(PdfPageEngineTest, TheOfficeExportsOnceAndIsLetGoBeforeThePagesAreCutFromItsPdf) {
    const SplitResult result = engine.split(input, out.path(), {}, observer);
    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(result.method, "pdf");
    // Loaded and exported in one call of the office's, as its converter prints.
    EXPECT_EQ(office.calls.first(), "loadAndStore(" + ToFileUrl(input) + ")");
    EXPECT_EQ(office.calls.filter(QStringLiteral("storeToUrl")).size(), 1);
    EXPECT_EQ(office.openDocuments(), 0);
    EXPECT_EQ(observer.events, (QStringList{"office done", "count 3", "1 report_0001.pdf",
                                            "2 report_0002.pdf", "3 report_0003.pdf"}));
    PdfPageCutter second(out.filePath("report_0002.pdf"));
    EXPECT_EQ(second.pageCount(), 1);
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QDir(out.path()).entryList(QDir::Files))
        << "no temporary is left";
}

TEST_F(PdfPageEngineTest, EveryNPagesAndChosenPagesCutTheOfficesPdfAlike) {
    engine.setSelection(PageSelection::every(2));
    SplitResult result = engine.split(input, out.path(), {}, observer);
    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(result.lastOutputNumber(), 2);
    EXPECT_EQ(PdfPageCutter(out.filePath("report_0001.pdf")).pageCount(), 2);
    EXPECT_EQ(PdfPageCutter(out.filePath("report_0002.pdf")).pageCount(), 1);

    QString error;
    engine.setSelection(*PageSelection::parse(QStringLiteral("7-"), error));
    result = engine.split(input, out.path(), {}, observer);
    ASSERT_EQ(result.failures.size(), 1);
    EXPECT_EQ(result.failures[0].kind, FailureKind::InvalidArgument);
}

TEST_F(PdfPageEngineTest, APageThatWouldReplaceAnInputIsFailedAndTheOthersStored) {
    const QString precious = out.filePath("report_0002.pdf");
    QFile file(precious);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("an input of the run");
    file.close();
    const SplitResult result = engine.split(input, out.path(), ProtectedPaths({precious}), observer);
    ASSERT_EQ(result.failures.size(), 1);
    EXPECT_EQ(result.failures[0].kind, FailureKind::ProtectedInput);
    EXPECT_EQ(result.pagesStored, 2);
    QFile kept(precious);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "an input of the run");
}

// Load and export are one call of the office's: what fails the load, or the office going away within
// it, fails the document at its opening; a refused export, at its store. Neither leaves a file.
TEST_F(PdfPageEngineTest, WhatFailsTheLoadFailsTheOpeningARefusedExportTheStore) {
    const QString url = ToFileUrl(input);
    QFile(input).open(QIODevice::WriteOnly);  // there, so that a refusal is not told as its vanishing
    const struct {
        const char* what;
        std::function<void(FakeOfficeSession&)> arrange;
        SplitStage stage;
        FailureKind kind;
    } cases[] = {
        {"a refused load", [](FakeOfficeSession& office) { office.pageCounts.clear(); }, SplitStage::Open,
         FailureKind::OfficeRefused},
        {"the office gone at the load", [](FakeOfficeSession& office) { office.dieAtCall = 1; },
         SplitStage::Open, FailureKind::OfficeGone},
        {"the plain-text fallback",
         [&](FakeOfficeSession& office) { office.filters.insert(url, QStringLiteral("Text (encoded)")); },
         SplitStage::Open, FailureKind::Damaged},
        {"a folder at the lock file's name",
         [&](FakeOfficeSession&) { ASSERT_TRUE(QDir().mkdir(LockFilePath(input))); }, SplitStage::Open,
         FailureKind::LockNotAFile},
        {"a refused export",
         [&](FakeOfficeSession& office) { office.packageToStore = in.filePath(QStringLiteral("missing.pdf")); },
         SplitStage::Store, FailureKind::OfficeRefused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeOfficeSession failing;
        failing.alive = true;
        failing.pageCounts = office.pageCounts;
        failing.packageToStore = office.packageToStore;
        c.arrange(failing);
        PdfPageEngine engine{failing};
        const SplitResult result = engine.split(input, out.path(), {}, observer);
        QDir().rmdir(LockFilePath(input));
        ASSERT_EQ(result.failures.size(), 1);
        EXPECT_EQ(result.failures[0].stage, c.stage);
        EXPECT_EQ(result.failures[0].kind, c.kind);
        EXPECT_TRUE(failing.calls.filter(QStringLiteral("storeToUrl")).size() <= (c.stage == SplitStage::Store));
        EXPECT_EQ(failing.openDocuments(), 0);
        EXPECT_TRUE(QDir(out.path()).isEmpty(QDir::Files | QDir::Hidden));
    }
}

TEST_F(PdfPageEngineTest, AnExportThatWritesNoPdfFailsTheDocumentAndLeavesNoPage) {
    QFile garbage(office.packageToStore);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly | QIODevice::Truncate));
    garbage.write("%PDF-1.7 cut off");
    garbage.close();
    const SplitResult result = engine.split(input, out.path(), {}, observer);
    EXPECT_FALSE(result.succeeded());
    ASSERT_FALSE(result.failures.isEmpty());
    EXPECT_EQ(result.failures[0].kind, FailureKind::Damaged);
    EXPECT_TRUE(QDir(out.path()).isEmpty(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot));
}
