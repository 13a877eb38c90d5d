#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include "../slicer/TestPackage.h"
#include "FakeOfficeSession.h"
#include "FakeSplitEngine.h"
#include "FullFileSystem.h"
#include "QtPrinters.h"
#include "TestDocument.h"
#include "TestPackage.h"
#include "base/Failure.h"
#include "files/TemporaryName.h"
#include "split/HeadingMarking.h"
#include "split/OfficeSession.h"
#include "split/PageMarking.h"
#include "split/SlicePageEngine.h"
#include "split/SliceThenCopyEngine.h"

using namespace fk;
using namespace fk::test;

namespace {

class RecordingObserver : public SplitObserver {
public:
    void stageReached(SplitStage stage) override { stages << stage; }
    void failed(const SplitFailure& failure) override { failures << failure; }
    void noted(const QString& text) override { notes << text; }
    QList<SplitStage> stages;
    QList<SplitFailure> failures;
    QStringList notes;
};

// A marked package of four pages of text, as the office would store it; `unmarked` is a page the office
// could not mark.
QString WriteFourMarkedPages(const QString& marked, int unmarked = 0) {
    const std::string namespaces = R"( xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
                                   R"( xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0")"
                                   R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0")";
    std::string content = "<office:document-content" + namespaces + "><office:body><office:text>";
    for (int page = 1; page <= 4; ++page)
        content += page == unmarked ? "<text:p>page " + std::to_string(page) + "</text:p>"
                                    : R"(<text:p><text:bookmark text:name=")" + slicer::PageMarkName(page) +
                                          R"("/>page )" + std::to_string(page) + "</text:p>";
    content += "</office:text></office:body></office:document-content>";
    const std::string styles = "<office:document-styles" + namespaces +
                               R"(><office:master-styles><style:master-page style:name="Standard"/>)"
                               "</office:master-styles></office:document-styles>";
    slicer::TestPackage::write(
        marked.toStdString(),
        {{"mimetype", "application/vnd.oasis.opendocument.text"},
         {"content.xml", content},
         {"styles.xml", styles},
         {"META-INF/manifest.xml",
          R"(<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0">)"
          R"(<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.text"/>)"
          R"(<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>)"
          R"(<manifest:file-entry manifest:full-path="styles.xml" manifest:media-type="text/xml"/>)"
          R"(</manifest:manifest>)"}});
    return marked;
}

class SlicePageEngineTest : public ::testing::Test {
protected:
    SlicePageEngineTest() {
        office.alive = true;  // the job reaches the office before an engine runs
        input = in.filePath("report.odt");
        office.pageCounts.insert(ToFileUrl(input), 4);
        fallback.pageCounts.insert(input, 4);
        fallback.method = QStringLiteral("copy");
        // Not a package: the slicer cannot read it, so the fallback splits the document.
        garbage = in.filePath("garbage.odt");
        QFile file(garbage);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a package");
        office.packageToStore = garbage;
    }

    QTemporaryDir in, out;
    QString input, garbage;
    FakeOfficeSession office;
    FakeSplitEngine fallback;
    SlicePageEngine slicer{office};
    SliceThenCopyEngine engine{slicer, fallback};
    RecordingObserver observer;
};

}  // namespace

TEST_F(SlicePageEngineTest, MarksEveryReachablePageOfAHiddenDocumentWithoutRunningMacros) {
    office.blankPages = {2};
    office.pageStyles = {{1, "First Page"}, {3, "Right Page"}};
    engine.split(input, out.path(), ProtectedPaths({input}), observer);

    EXPECT_EQ(office.bookmarks, (QStringList{"__folioknife_page_0001@1", "__folioknife_page_0003@3",
                                             "__folioknife_page_0004@4"}))
        << "no mark for the blank page the cursor cannot reach";
    EXPECT_EQ(office.loadArguments.value(ToFileUrl(input)),
              (QStringList{"Hidden=true", "MacroExecutionMode=0", "UpdateDocMode=0"}));
    const QStringList stores = office.calls.filter("storeToUrl");
    ASSERT_EQ(stores.size(), 1) << "one store per document";
    EXPECT_FALSE(stores[0].contains(ToFileUrl(input))) << "the input is never stored";
    EXPECT_FALSE(stores[0].contains(ToFileUrl(out.path()))) << "the marked copy stays private";
    EXPECT_GT(office.calls.lastIndexOf("close"), office.calls.indexOf(stores[0]));
    EXPECT_EQ(office.openDocuments(), 0);
}

TEST_F(SlicePageEngineTest, PagesTheOfficeHasNotLaidOutYetAreCountedAndMarked) {
    // Right after the load the office has laid out two pages of four, and lays out the rest only
    // when asked to or much later: counting then would lose the last pages without a word.
    office.lateLayoutPages = 2;
    office.lateLayoutAfterLastPageJumps = 1000;
    engine.split(input, out.path(), ProtectedPaths({input}), observer);
    EXPECT_EQ(office.bookmarks.size(), 4) << office.bookmarks.join(' ').toStdString();
}

TEST_F(SlicePageEngineTest, APageThatWouldReplaceAnInputOfTheRunIsFailedAndTheOthersStored) {
    const QString marked = WriteFourMarkedPages(in.filePath("marked.odt"));
    office.packageToStore = marked;
    const QString other = out.filePath("report_0003.odt");
    QFile file(other);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("another input");
    file.close();

    const SplitResult result = engine.split(input, out.path(), ProtectedPaths({input, other}), observer);

    EXPECT_EQ(result.method, "slice");
    ASSERT_EQ(result.failures.size(), 1);
    EXPECT_EQ(result.failures[0].stage, SplitStage::Store);
    EXPECT_EQ(result.failures[0].page, 3);
    EXPECT_EQ(result.failures[0].message,
              "The page document would overwrite an input of this run and was not stored: " + other);
    EXPECT_EQ(result.pagesStored, 3);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "another input");
    EXPECT_TRUE(QFileInfo::exists(out.filePath("report_0004.odt")));
}

TEST_F(SlicePageEngineTest, APackageTheSlicerCannotReadIsSplitByTheFallbackAndSaysSo) {
    const SplitResult result = engine.split(input, out.path(), ProtectedPaths({input}), observer);
    EXPECT_EQ(result.method, "copy");
    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(fallback.splitDocuments, QStringList{input});
    ASSERT_EQ(observer.notes.size(), 1);
    EXPECT_TRUE(observer.notes[0].startsWith("split with the copy method instead"))
        << observer.notes[0].toStdString();
}

TEST_F(SlicePageEngineTest, TheSlicersStagesReachTheCallerThroughTheFallbacksWatch) {
    // They move the window's bar and name the stage a deadline stops: held back, neither would.
    for (const bool understood : {true, false}) {
        observer.stages.clear();
        office.packageToStore = understood ? WriteFourMarkedPages(in.filePath("marked.odt")) : garbage;
        engine.split(input, out.path(), ProtectedPaths({input}), observer);
        ASSERT_GE(observer.stages.size(), 4) << understood;
        EXPECT_EQ(observer.stages.mid(0, 4), (QList<SplitStage>{SplitStage::Open, SplitStage::CountPages,
                                                                SplitStage::Mark, SplitStage::Store}))
            << understood;
    }
}

TEST_F(SlicePageEngineTest, TheMarkedCopyIsGoneOnceTheSlicerHasReadIt) {
    QString marked;
    bool presentDuringFallback = true;
    fallback.beforeDocument = [&](const QString&) {
        const QString store = office.calls.filter("storeToUrl").value(0);
        marked = QUrl(store.mid(store.indexOf('(') + 1).chopped(1)).toLocalFile();
        presentDuringFallback = QFileInfo::exists(marked);
        return true;
    };
    EXPECT_TRUE(engine.split(input, out.path(), ProtectedPaths({input}), observer).succeeded());

    EXPECT_FALSE(presentDuringFallback) << "the copy of the document is not kept beyond its reading";
    const QFileInfo folder(QFileInfo(marked).absolutePath());
    EXPECT_EQ(files::TemporaryName::ownerOf(folder.fileName().toStdString()),
              files::TemporaryOwner::thisProcess())
        << "a later run removes it should this one be killed: " << marked.toStdString();
    EXPECT_FALSE(folder.exists());
}

TEST_F(SlicePageEngineTest, ADocumentTheOfficeCannotOpenIsOneFailureAndNoFallback) {
    const SplitResult result = engine.split(in.filePath("missing.odt"), out.path(), {}, observer);
    ASSERT_EQ(result.failures.size(), 1);
    EXPECT_EQ(result.failures[0].stage, SplitStage::Open);
    EXPECT_TRUE(fallback.splitDocuments.isEmpty());
    EXPECT_TRUE(QDir(out.path()).isEmpty());
}

TEST_F(SlicePageEngineTest, AFailedStoreOfTheMarkedCopyFailsTheDocument) {
    office.onCall = [this](const QString& call) {
        if (call.startsWith("storeToUrl")) throw Failure::officeRefused("disk full");
    };
    const SplitResult result = engine.split(input, out.path(), ProtectedPaths({input}), observer);
    ASSERT_FALSE(result.failures.isEmpty());
    EXPECT_EQ(result.failures[0].stage, SplitStage::Store);
    EXPECT_TRUE(fallback.splitDocuments.isEmpty());
    EXPECT_EQ(office.openDocuments(), 0) << "the document is closed after a failed store";
}

// Page selections.

namespace {

// A marked package as the office stores it: the body, one page style, and the pictures named
// (path -> bytes, each listed in the manifest as a PNG).
QString writePackage(const QString& path, const std::string& body,
                     const std::vector<std::pair<std::string, std::string>>& pictures = {}) {
    using namespace slicer;
    std::string manifest =
        R"(<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0">)"
        R"(<manifest:file-entry manifest:full-path="/" )"
        R"(manifest:media-type="application/vnd.oasis.opendocument.text"/>)"
        R"(<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>)"
        R"(<manifest:file-entry manifest:full-path="styles.xml" manifest:media-type="text/xml"/>)";
    std::vector<std::pair<std::string, std::string>> entries{
        {"mimetype", "application/vnd.oasis.opendocument.text"},
        {"content.xml", contentXml(body)},
        {"styles.xml", stylesXml("", R"(<style:master-page style:name="Standard"/>)")}};
    for (const auto& [name, bytes] : pictures) {
        entries.emplace_back(name, bytes);
        manifest +=
            R"(<manifest:file-entry manifest:full-path=")" + name + R"(" manifest:media-type="image/png"/>)";
    }
    entries.emplace_back("META-INF/manifest.xml", manifest + "</manifest:manifest>");
    TestPackage::write(path.toStdString(), entries);
    return path;
}

// A marked package of four pages, each a paragraph with its name.
QString writeMarkedPackage(const QString& path) {
    using namespace slicer;
    return writePackage(path, "<text:p>" + mark(1) + "one</text:p><text:p>" + mark(2) +
                                  "two</text:p><text:p>" + mark(3) + "three</text:p><text:p>" + mark(4) +
                                  "four</text:p>");
}

std::string bodyOf(const QString& package) {
    for (const slicer::TestPackage::Entry& entry : slicer::TestPackage::read(package.toStdString())) {
        if (entry.name == "content.xml") return entry.data;
    }
    return {};
}

class RecordingPages : public RecordingObserver {
public:
    void pageStored(int page, const QString& path) override {
        stored << QStringLiteral("%1 %2").arg(page).arg(path);
    }
    QStringList stored;
};

}  // namespace

TEST_F(SlicePageEngineTest, ChosenPagesAreWrittenUnderTheirOwnNumbersAndNothingElse) {
    office.packageToStore = writeMarkedPackage(in.filePath("marked.odt"));
    QString error;
    slicer.setSelection(*PageSelection::parse("2-3,9", error));
    RecordingPages pages;
    const SplitResult result = engine.split(input, out.path(), ProtectedPaths({input}), pages);

    EXPECT_TRUE(result.succeeded()) << (result.failures.isEmpty() ? ""
                                                                  : result.failures[0].message.toStdString());
    EXPECT_EQ(result.pageCount, 4);
    EXPECT_EQ(result.pagesStored, 2);
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{"report_0002.odt", "report_0003.odt"}));
    EXPECT_EQ(pages.stored,
              (QStringList{"2 " + out.filePath("report_0002.odt"), "3 " + out.filePath("report_0003.odt")}));
    const std::string second = bodyOf(out.filePath("report_0002.odt"));
    EXPECT_NE(second.find("two"), std::string::npos);
    EXPECT_EQ(second.find("three"), std::string::npos);
    ASSERT_EQ(pages.notes.size(), 1);
    EXPECT_TRUE(pages.notes[0].contains("beyond the last one, 4")) << pages.notes[0].toStdString();
}

TEST_F(SlicePageEngineTest, EveryNPagesWritesDocumentsOfNPagesNumberedInOrder) {
    office.packageToStore = writeMarkedPackage(in.filePath("marked.odt"));
    slicer.setSelection(PageSelection::every(3));
    const SplitResult result = engine.split(input, out.path(), ProtectedPaths({input}), observer);

    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(result.expectedOutputs(), 2);
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{"report_0001.odt", "report_0002.odt"}));
    const std::string first = bodyOf(out.filePath("report_0001.odt"));
    for (const char* word : {"one", "two", "three"}) EXPECT_NE(first.find(word), std::string::npos) << word;
    EXPECT_EQ(first.find("four"), std::string::npos);
    const std::string last = bodyOf(out.filePath("report_0002.odt"));
    EXPECT_NE(last.find("four"), std::string::npos);
    EXPECT_EQ(last.find("three"), std::string::npos);
}

TEST_F(SlicePageEngineTest, ASelectionTellsTheNumberOfItsLastDocumentAndOneThatNamesNoPageFails) {
    office.packageToStore = writeMarkedPackage(in.filePath("marked.odt"));
    QString error;
    slicer.setSelection(*PageSelection::parse("1,3", error));
    EXPECT_EQ(engine.split(input, out.path(), ProtectedPaths({input}), observer).lastOutputNumber(), 3);
    slicer.setSelection(PageSelection::every(3));
    EXPECT_EQ(engine.split(input, out.path(), ProtectedPaths({input}), observer).lastOutputNumber(), 2);
    slicer.setSelection({});
    EXPECT_EQ(engine.split(input, out.path(), ProtectedPaths({input}), observer).lastOutputNumber(), 4);
    ASSERT_TRUE(observer.failures.isEmpty());

    QDir(out.path()).removeRecursively();
    QDir().mkpath(out.path());
    slicer.setSelection(*PageSelection::parse("5-9", error));
    const SplitResult none = engine.split(input, out.path(), ProtectedPaths({input}), observer);
    EXPECT_FALSE(none.succeeded());
    ASSERT_EQ(none.failures.size(), 1);
    EXPECT_EQ(none.failures[0].message,
              "the page selection names no page of this document, which has 4 pages");
    EXPECT_EQ(observer.failures.size(), 1);
    EXPECT_EQ(none.lastOutputNumber(), 0) << "no older pages are looked for";
    EXPECT_TRUE(fallback.splitDocuments.isEmpty());
    EXPECT_TRUE(QDir(out.path()).isEmpty());
}

TEST_F(SlicePageEngineTest, WithASelectionADocumentTheSlicerCannotCutFailsInsteadOfFallingBack) {
    slicer.setSelection(PageSelection::every(2));
    const SplitResult result = engine.split(input, out.path(), ProtectedPaths({input}), observer);
    EXPECT_FALSE(result.succeeded());
    ASSERT_EQ(result.failures.size(), 1);
    EXPECT_EQ(result.failures[0].stage, SplitStage::Slice);
    EXPECT_EQ(result.failures[0].kind, FailureKind::NotUnderstood);
    EXPECT_TRUE(result.failures[0].message.endsWith("a page selection cannot be split with the copy method"));
    EXPECT_EQ(observer.failures.size(), 1) << "told once, with the reason";
    EXPECT_TRUE(fallback.splitDocuments.isEmpty()) << "the copy method would write every page";
    EXPECT_TRUE(QDir(out.path()).isEmpty());
}

TEST_F(SlicePageEngineTest, APageTheOfficeCouldNotMarkIsWrittenAnywayAndToldAsApproximate) {
    office.packageToStore = WriteFourMarkedPages(in.filePath("marked.odt"), 3);
    office.basicAnswer = QStringList{"+Standard", "~Standard", "+Standard", "+Standard"};
    const SplitResult result = engine.split(input, out.path(), ProtectedPaths({input}), observer);

    EXPECT_TRUE(result.succeeded()) << "an approximate page is a warning, not a failure";
    EXPECT_EQ(result.method, "slice")
        << "one page is no reason to give the whole document to the copy method";
    EXPECT_TRUE(fallback.splitDocuments.isEmpty());
    EXPECT_EQ(result.pagesStored, 4);
    // No page number is missing: a reader who counts the outputs finds output k to be page k.
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files),
              QStringList({"report_0001.odt", "report_0002.odt", "report_0003.odt", "report_0004.odt"}));
    // The page marked at a later line and the page without a mark, each told once.
    ASSERT_EQ(observer.notes.size(), 2) << observer.notes.join('\n').toStdString();
    EXPECT_TRUE(observer.notes[0].startsWith("page 2 is approximate")) << observer.notes[0].toStdString();
    EXPECT_TRUE(observer.notes[1].startsWith("page 3 is approximate")) << observer.notes[1].toStdString();

    // Pages 2 and 3 together: page 2's output holds page 3's text, and nothing is lost.
    const std::string content = bodyOf(QDir(out.path()).filePath("report_0002.odt"));
    EXPECT_NE(content.find("page 2"), std::string::npos);
    EXPECT_NE(content.find("page 3"), std::string::npos);
}

// Marking inside the office, and letting it go.

TEST_F(SlicePageEngineTest, AnOfficeThatRunsBasicMarksEveryPageInOneCallAndIsLetGoBeforePagesAreWritten) {
    office.packageToStore = writeMarkedPackage(in.filePath("marked.odt"));
    office.basicAnswer = QStringList{"+First Page", "+Standard", "+Standard", "+Standard"};
    class OfficeWatch : public RecordingPages {
    public:
        explicit OfficeWatch(FakeOfficeSession& office) : office_(office) {}
        void officeDone() override { callsWhenDone = office_.calls.size(); }
        FakeOfficeSession& office_;
        qsizetype callsWhenDone = -1;
    } watch(office);

    const SplitResult result = engine.split(input, out.path(), ProtectedPaths({input}), watch);

    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(result.method, "slice");
    EXPECT_EQ(office.calls.filter("runBasic(FolioknifeSplit.PageMarks.MarkPages, #)").size(), 1);
    EXPECT_TRUE(office.calls.filter("jumpToPage").isEmpty()) << "no page-by-page calls";
    EXPECT_TRUE(office.bookmarks.isEmpty());
    EXPECT_EQ(watch.stored.size(), 4);
    EXPECT_EQ(watch.callsWhenDone, office.calls.size()) << "the office is let go once, after its last call";
    // Asked after the marks went in, the view's page count costs a layout of the whole document again.
    EXPECT_LT(office.calls.indexOf("countRenderedPages"),
              office.calls.indexOf("runBasic(FolioknifeSplit.PageMarks.MarkPages, #)"));
}

namespace {

// Three pages; the second opens with a paragraph that carries a picture.
void UsePicturePackage(FakeOfficeSession& office, const QString& input, const QString& marked) {
    using namespace slicer;
    const std::string picture =
        R"(<draw:frame text:anchor-type="paragraph"><draw:image xlink:href="Pictures/chart.png"/></draw:frame>)";
    const std::string body = "<text:p>one</text:p><text:p>" + picture + mark(2) + "two</text:p><text:p>" +
                             mark(3) + "three</text:p>";
    writePackage(marked, body, {{"Pictures/chart.png", "png"}});
    office.pageCounts.insert(ToFileUrl(input), 3);
    office.packageToStore = marked;
    office.basicAnswer = QStringList{"+Standard", "+Standard", "+Standard"};
}

}  // namespace

TEST_F(SlicePageEngineTest, APictureTheOfficeShowsBeforeItsParagraphsPageStaysOnThePageItShowsOn) {
    UsePicturePackage(office, input, in.filePath("marked.odt"));
    office.basicAnswer = QStringList{"+Standard", "^Standard", "+Standard"};

    const SplitResult result = engine.split(input, out.path(), ProtectedPaths({input}), observer);

    ASSERT_TRUE(result.succeeded());
    EXPECT_NE(bodyOf(out.filePath("report_0001.odt")).find("chart.png"), std::string::npos);
    EXPECT_EQ(bodyOf(out.filePath("report_0002.odt")).find("chart.png"), std::string::npos);
}

TEST_F(SlicePageEngineTest, MarksThatCameOutOfOrderAreMadeOnceMoreBeforeTheFallback) {
    using namespace slicer;
    const auto package = [&](const QString& name, const std::string& body) {
        return writePackage(in.filePath(name), body);
    };
    const QString moved = package("moved.odt", "<text:p>one</text:p><text:p>" + mark(3) +
                                                   "three</text:p><text:p>" + mark(2) + "two</text:p>");
    const QString settled = package("settled.odt", "<text:p>one</text:p><text:p>" + mark(2) +
                                                       "two</text:p><text:p>" + mark(3) + "three</text:p>");
    office.pageCounts.insert(ToFileUrl(input), 3);
    office.packageToStore = moved;
    office.onCall = [&](const QString& call) {
        if (call.startsWith("storeToUrl") && office.calls.filter("storeToUrl").size() > 1)
            office.packageToStore = settled;
    };

    const SplitResult result = engine.split(input, out.path(), ProtectedPaths({input}), observer);

    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(result.method, "slice");
    EXPECT_EQ(office.calls.filter("storeToUrl").size(), 2);
    EXPECT_EQ(office.openDocuments(), 0);
    EXPECT_TRUE(fallback.splitDocuments.isEmpty());
    EXPECT_NE(bodyOf(out.filePath("report_0002.odt")).find("two"), std::string::npos);

    // Out of order twice: the fallback splits it, and says why.
    office.packageToStore = moved;
    office.onCall = nullptr;
    const SplitResult again = engine.split(input, out.path(), ProtectedPaths({input}), observer);
    EXPECT_EQ(again.method, "copy");
    EXPECT_TRUE(observer.notes.last().contains("out of order")) << observer.notes.last().toStdString();
}

TEST(PageMarkingTest, TheOfficesAnswerBecomesThePlanAndABlankPageTakesTheStyleOfThePageAfter) {
    const std::vector<slicer::PlannedPage> plan =
        PageMarking::planFromAnswer({"+First Page", "-", "~Right Page", "+", "-", "-", "^Left Page"}, 7);
    ASSERT_EQ(plan.size(), 7u);
    EXPECT_TRUE(plan[2].approximate);
    EXPECT_EQ(plan[2].pageStyle, "Right Page");
    EXPECT_FALSE(plan[0].approximate || plan[6].approximate);
    EXPECT_FALSE(plan[2].openingParagraphBegunBefore);
    EXPECT_TRUE(plan[6].openingParagraphBegunBefore);
    EXPECT_EQ(plan[6].pageStyle, "Left Page");
    EXPECT_FALSE(plan[0].blank);
    EXPECT_EQ(plan[0].pageStyle, "First Page");
    EXPECT_TRUE(plan[1].blank);
    EXPECT_EQ(plan[1].pageStyle, "Right Page");
    EXPECT_FALSE(plan[3].blank);
    EXPECT_EQ(plan[3].pageStyle, "") << "a page whose style the office does not name";
    EXPECT_TRUE(plan[4].blank && plan[5].blank);
    EXPECT_EQ(plan[5].pageStyle, "Left Page");
    EXPECT_TRUE(plan[0].cellsMarked && plan[6].cellsMarked)
        << "the macro marks the cells of rows cut by pages";

    EXPECT_THROW(PageMarking::planFromAnswer({"+Standard"}, 2), Failure) << "pages missing";
    EXPECT_THROW(PageMarking::planFromAnswer({"+Standard", "Standard"}, 2), Failure) << "not ours";
}

TEST(PageMarkingTest, ObjectsDrawnAfterTheirParagraphsPageComeWithThePageThatDrawsThem) {
    const QString sep(PageMarking::kFieldSeparator);
    const std::vector<slicer::PlannedPage> plan =
        PageMarking::planFromAnswer({"+Standard", "^Standard" + sep + "Image 1" + sep + "4500" + sep +
                                                      "2001" + sep + "Shape" + sep + "-10" + sep + "0"},
                                    2);
    EXPECT_TRUE(plan[0].objectsDrawnHere.empty());
    EXPECT_EQ(plan[1].pageStyle, "Standard");
    EXPECT_TRUE(plan[1].openingParagraphBegunBefore);
    ASSERT_EQ(plan[1].objectsDrawnHere.size(), 2u);
    EXPECT_EQ(plan[1].objectsDrawnHere[0].name, "Image 1");
    EXPECT_EQ(plan[1].objectsDrawnHere[0].x, 4500);
    EXPECT_EQ(plan[1].objectsDrawnHere[0].y, 2001);
    EXPECT_EQ(plan[1].objectsDrawnHere[1].x, -10);

    for (const QString& garbled :
         {"+Standard" + sep + "Image 1" + sep + "4500", "+Standard" + sep + "Image 1" + sep + "x" + sep + "1",
          "+Standard" + sep + sep + "1" + sep + "1"})
        EXPECT_THROW(PageMarking::planFromAnswer({garbled}, 1), Failure) << garbled.toStdString();
}

TEST(PageMarkingTest, FieldsGivenTheirTextAreLaidOutAgainAndThePagesCountedAgainBeforeTheyAreMarked) {
    // Asked again, the module is still told how to mark the starts of paragraphs.
    const std::pair<PageMarking::ParagraphStarts, QString> kinds[] = {
        {PageMarking::ParagraphStarts::Bookmarked, ""}, {PageMarking::ParagraphStarts::Identified, "#"}};
    for (const auto& [paragraphStarts, options] : kinds) {
        FakeOfficeSession office;
        office.pageCounts[QStringLiteral("file:///a.odt")] = 2;
        office.reach();
        const office::DocumentRef document = office.load(QStringLiteral("file:///a.odt"), {});
        // Laid out again, the fields' texts took a page less than the fields did.
        int pageCount = 3;
        office.basicAnswersInTurn = {{PageMarking::kFieldsGivenText}, {"+Standard", "+Standard"}};
        office.calls.clear();
        EXPECT_EQ(PageMarking(office, office, paragraphStarts).mark(document, pageCount).size(), 2u);
        EXPECT_EQ(pageCount, 2);
        EXPECT_EQ(
            office.calls,
            QStringList({"runBasic(FolioknifeSplit.PageMarks.MarkPages, " + options + ")", "completeLayout",
                         "countPages", "runBasic(FolioknifeSplit.PageMarks.MarkPages, " + options + "=)"}));
    }
}

TEST(PageMarkingTest, TheOfficesMacroWritesTheSlicersMarkNames) {
    const office::BasicModule module = PageMarking::module();
    const QString prefix = QString::fromStdString(slicer::PageMarkName(7)).chopped(4);
    EXPECT_TRUE(module.source.contains("\"" + prefix + "\" & Format(page, \"0000\")"));
    EXPECT_TRUE(module.source.contains("Function " + PageMarking::kFunction + "("));
    EXPECT_TRUE(module.source.contains("Array(\"" + PageMarking::kFieldsGivenText + "\")"));
    EXPECT_TRUE(module.source.contains("InStr(options, \"" + PageMarking::kFieldsGivenText + "\")"));
    EXPECT_TRUE(module.source.contains("InStr(options, \"" + PageMarking::kByIdentifier + "\")"));
    const std::string cellMark = slicer::CellMarkName(7, 1);
    const QString infix = QString::fromStdString(cellMark.substr(slicer::PageMarkName(7).size())).chopped(1);
    EXPECT_TRUE(
        module.source.contains("\"" + prefix + "\" & Format(page, \"0000\") & \"" + infix + "\" & cellCount"))
        << module.source.toStdString();
}

TEST_F(SlicePageEngineTest, AFullDiskStopsTheWritersAfterAFailureOrTwoThatSayWhy) {
    office.packageToStore = WriteFourMarkedPages(in.filePath("marked.odt"));
    const QString full = out.filePath("full");
    ASSERT_TRUE(QDir().mkpath(full));
    const int status = test::InFullFileSystem(full, [&] {
        const SplitResult result = engine.split(input, full, ProtectedPaths({input}), observer);
        if (result.pagesStored != 0) return 1;
        // Writers that had begun a page finish it; no page is begun once the disk said it is full.
        if (result.failures.isEmpty() || result.failures.size() > 4) return 2;
        for (const SplitFailure& failure : result.failures)
            if (failure.kind != FailureKind::NoSpace || failure.stage != SplitStage::Store) return 3;
        if (observer.failures.size() != result.failures.size()) return 4;
        if (QDir(full).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden) !=
            QStringList{"fill"})
            return 5;
        return 0;
    });
    if (status == test::kNoFullFileSystem) GTEST_SKIP() << "no mount namespace here for a full file system";
    EXPECT_NE(status, 1) << "a page was taken as stored";
    EXPECT_NE(status, 2) << "no failure, or one per page";
    EXPECT_NE(status, 3) << "the failure does not say the disk is full";
    EXPECT_NE(status, 4) << "a failure was not told";
    EXPECT_NE(status, 5) << "a partial page was left";
    EXPECT_EQ(status, 0);
}

// Cutting at headings.

namespace {

std::string headingMark(int heading) {
    return R"(<text:bookmark text:name=")" + slicer::HeadingMarkName(heading) + R"("/>)";
}

// Four pages: a title page, chapter one over pages 2 and 3, chapter two from the middle of page 3.
QString writeChaptersPackage(const QString& path) {
    using namespace slicer;
    return writePackage(path, "<text:p>" + mark(1) + "title</text:p><text:h text:outline-level=\"1\">" +
                                  mark(2) + headingMark(1) + "One</text:h><text:p>" + mark(3) +
                                  "more</text:p><text:h text:outline-level=\"1\">" + headingMark(2) +
                                  "Two</text:h><text:p>" + mark(4) + "end</text:p>");
}

class RecordingOutputs : public RecordingPages {
public:
    void outputCountKnown(int count) override { told << QStringLiteral("count %1").arg(count); }
    void pageStored(int page, const QString& path) override {
        told << QStringLiteral("stored %1").arg(page);
        RecordingPages::pageStored(page, path);
    }
    QStringList told;
};

}  // namespace

TEST_F(SlicePageEngineTest, CutAtHeadingsTheOfficeMarksThemAfterThePagesAndEachPartIsOneOutput) {
    office.packageToStore = writeChaptersPackage(in.filePath("marked.odt"));
    office.basicAnswers = {{PageMarking::kFunction, {"+Standard", "+Standard", "+Standard", "+Standard"}},
                           {HeadingMarking::kFunction, {"2", "1 One", "2 Two"}}};
    slicer.setHeadingLevel(2);
    RecordingOutputs parts;
    const SplitResult result = engine.split(input, out.path(), ProtectedPaths({input}), parts);

    ASSERT_TRUE(result.succeeded()) << (result.failures.isEmpty() ? ""
                                                                  : result.failures[0].message.toStdString());
    const QStringList marking = office.calls.filter("runBasic");
    EXPECT_EQ(marking, (QStringList{"runBasic(FolioknifeSplit.PageMarks.MarkPages, #)",
                                    "runBasic(FolioknifeSplit.HeadingMarks.MarkHeadings, 2)"}));
    EXPECT_LT(office.calls.indexOf(marking.last()),
              office.calls.indexOf(office.calls.filter("storeToUrl")[0]));
    EXPECT_EQ(result.pageCount, 4);
    EXPECT_EQ(result.expectedOutputs(), 3);
    EXPECT_EQ(result.lastOutputNumber(), 3);
    EXPECT_EQ(parts.told, (QStringList{"count 3", "stored 1", "stored 2", "stored 3"}));
    ASSERT_EQ(result.parts.size(), 3);
    EXPECT_EQ(result.parts[0].heading, "");
    EXPECT_EQ(result.parts[1].heading, "1 One");
    EXPECT_EQ(std::pair(result.parts[1].firstPage, result.parts[1].lastPage), std::pair(2, 3));
    EXPECT_EQ(std::pair(result.parts[2].firstPage, result.parts[2].lastPage), std::pair(3, 4));
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{"report_0001.odt", "report_0002.odt", "report_0003.odt"}));
    const std::string one = bodyOf(out.filePath("report_0002.odt"));
    EXPECT_NE(one.find("more"), std::string::npos);
    EXPECT_EQ(one.find("Two"), std::string::npos);
}

TEST_F(SlicePageEngineTest, CutAtHeadingsADocumentThatCannotBeCutFailsAndIsNotSplitByPage) {
    slicer.setHeadingLevel(1);
    // The slicer cannot read the package.
    office.basicAnswers = {{PageMarking::kFunction, {"+Standard", "+Standard", "+Standard", "+Standard"}},
                           {HeadingMarking::kFunction, {"0"}}};
    SplitResult result = engine.split(input, out.path(), ProtectedPaths({input}), observer);
    ASSERT_EQ(result.failures.size(), 1);
    EXPECT_EQ(result.failures[0].kind, FailureKind::NotUnderstood);
    EXPECT_TRUE(result.failures[0].message.endsWith("the copy method cannot cut at headings"));

    // An office without Basic cannot find the headings.
    office.packageToStore = writeChaptersPackage(in.filePath("marked.odt"));
    office.basicAnswers.clear();
    result = engine.split(input, out.path(), ProtectedPaths({input}), observer);
    ASSERT_EQ(result.failures.size(), 1);
    EXPECT_EQ(result.failures[0].stage, SplitStage::Mark);
    EXPECT_TRUE(result.failures[0].message.contains("Basic")) << result.failures[0].message.toStdString();
    EXPECT_TRUE(office.calls.filter("storeToUrl").size() == 1) << "stored only when marked";

    EXPECT_TRUE(fallback.splitDocuments.isEmpty());
    EXPECT_TRUE(QDir(out.path()).isEmpty());
    EXPECT_EQ(office.openDocuments(), 0);
}

TEST(HeadingMarkingTest, TheOfficesAnswerOpensWithTheCountOfTheHeadingsThatFollow) {
    EXPECT_TRUE(HeadingMarking::headingsFromAnswer({"0"}).empty());
    EXPECT_EQ(HeadingMarking::headingsFromAnswer({"2", "1 Intro", "2  Results\tand\nmore"}),
              (std::vector<std::string>{"1 Intro", "2 Results and more"}))
        << "one line each";
    EXPECT_THROW(HeadingMarking::headingsFromAnswer({}), Failure);
    EXPECT_THROW(HeadingMarking::headingsFromAnswer({"2", "1 Intro"}), Failure) << "one missing";
    EXPECT_THROW(HeadingMarking::headingsFromAnswer({"One", "1 Intro"}), Failure) << "no count";

    const office::BasicModule module = HeadingMarking::module();
    const QString prefix = QString::fromStdString(slicer::HeadingMarkName(7)).chopped(4);
    EXPECT_TRUE(module.source.contains("\"" + prefix + "\" & Format(k + 1, \"0000\")"));
    EXPECT_TRUE(module.source.contains("Function " + HeadingMarking::kFunction + "("));
    EXPECT_NE(module.name, PageMarking::module().name) << "the page marks' module is another's to change";
}
