#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>

#include "EngineChoices.h"
#include "FakeOfficeSession.h"
#include "FakePrintedPages.h"
#include "FakePrompts.h"
#include "FakeSplitEngine.h"
#include "app/ProcedureTrap.h"
#include "app/RuntimeError.h"
#include "app/SplitRun.h"
#include "split/DocumentWork.h"
#include "split/OfficeSession.h"

using namespace fk;
using namespace fk::test;

namespace {

class FakeWindow : public SplitRunWindow {
public:
    int documentCount() override { return static_cast<int>(rows.size()); }
    QString documentText(int index) override {
        if (index < 1 || index > rows.size()) throw RuntimeError(35600, "Index out of bounds");
        return rows.at(index - 1);
    }
    QString outputFolderText() override { return folder; }
    QString defaultOutputFolderText() override { return defaultFolder; }
    void setProgressValue(double percent) override { values << percent; }
    void setProgressText(const QString& text) override { texts << text; }
    void setPointer(int value) override { pointers << value; }
    void yield() override {
        if (onYield) onYield();
    }

    QStringList rows;
    QString folder;
    QString defaultFolder;
    QList<double> values;
    QStringList texts;
    QList<int> pointers;
    std::function<void()> onYield;
};

class SplitRunTest : public ::testing::Test {
protected:
    SplitRunTest() : run(office, test::MethodOnly(SplitMethod::Copy), prompts, window) {
        window.folder = out.path() + "/";
        QDir().mkpath(in.path());
    }
    QString input(const QString& name, int pages) {
        const QString path = in.filePath(name);
        office.pageCounts.insert(ToFileUrl(path), pages);
        window.rows << path;
        return path;
    }
    QString reportFor(int line, const QString& description) const {
        return ProcedureTrap::message(description, procedure::kPushButton7, line);
    }
    QStringList outputs() const { return QDir(out.path()).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir in;
    QTemporaryDir out;
    FakeOfficeSession office;
    FakePrompts prompts;
    FakeWindow window;
    SplitRun run;
};

}  // namespace

TEST(PageFilePath, NamesFollowTheBaseNameAndAtLeastFourDigits) {
    EXPECT_EQ(PageFilePath("/out/", "/in/Report.odt", 3), "/out/Report_0003.odt");
    EXPECT_EQ(PageFilePath("/out/", "/in/minutes.final.sxw", 1), "/out/minutes.final_0001.odt");
    EXPECT_EQ(PageFilePath("/out/", "/in/.odt", 1), "/out/.odt_0001.odt");
    // A typed folder without its trailing separator still names a folder, not a prefix.
    EXPECT_EQ(PageFilePath("/out", "/in/Report.odt", 1), "/out/Report_0001.odt");
    EXPECT_EQ(PageFilePath("/out/", "/in/r.odt", 9999), "/out/r_9999.odt");
    EXPECT_EQ(PageFilePath("/out/", "/in/r.odt", 10000), "/out/r_10000.odt");
    EXPECT_EQ(PageFilePath("/out/", "/in/r.odt", 70000), "/out/r_70000.odt");
}

TEST(ToFileUrl, EncodesWhatAPathMayHold) {
    EXPECT_EQ(ToFileUrl("/in/My report.odt"), "file:///in/My%20report.odt");
    EXPECT_EQ(ToFileUrl("/in/100% #1?.odt"), "file:///in/100%25%20%231%3F.odt");
    EXPECT_EQ(ToFileUrl("/in/Übersicht.odt"), "file:///in/%C3%9Cbersicht.odt");
}

TEST_F(SplitRunTest, EmptyListOnlySaysSoWhateverTheFolder) {
    window.folder = "/no/such/folder/";
    run.PushButton7_Click();
    EXPECT_EQ(prompts.messageTexts(), QStringList{"No files added."});
    EXPECT_EQ(prompts.messages[0].style, kOkOnly);
    EXPECT_TRUE(office.calls.isEmpty());
    EXPECT_FALSE(run.IsSplitting());
}

TEST_F(SplitRunTest, MissingOrEmptyFolderIsRefusedAndNothingChanges) {
    input("a.odt", 1);
    for (const QString& folder : {QStringLiteral("/no/such/folder/"), QString()}) {
        window.folder = folder;
        run.PushButton7_Click();
    }
    EXPECT_EQ(prompts.messageTexts(), QStringList(2, "Folder does not exist. Please select another folder."));
    EXPECT_TRUE(office.calls.isEmpty());
    EXPECT_TRUE(window.values.isEmpty());
    EXPECT_TRUE(window.pointers.isEmpty());
}

TEST_F(SplitRunTest, OnePageDocumentMakesTheCallsInOrder) {
    const QString path = input("Report.odt", 1);
    run.PushButton7_Click();
    const QString url = ToFileUrl(path);
    // The office stores in a private folder of its own, never in the output folder; the page is put in
    // place from there, its links written from where it goes.
    const QString outUrl =
        ToFileUrl(QDir::tempPath() + "/.folioknife-page.fk-HOST-PID-RANDOM.part/Report_0001.odt");
    const QStringList expected{
        "reach",
        "load(" + url + ")",
        "completeLayout",
        "jumpToLastPage",
        "currentPage",
        // Counted again until the layout no longer changes.
        "jumpToLastPage",
        "currentPage",
        "jumpToFirstPage",
        "currentPage",
        "dispatch(.uno:GoToEndOfPageSel)",
        "isCursorCollapsed",
        "dispatch(.uno:Copy)",
        "createTextDocument",
        "dispatch(.uno:Paste)",
        "dispatch(.uno:SaveAs,URL=" + outUrl +
            ",FilterName=writer8,DocumentBaseURL=" + ToFileUrl(out.filePath("Report_0001.odt")) + ")",
        "close",
        // No page was laid out while the document was split.
        "jumpToLastPage",
        "currentPage",
        "jumpToLastPage",
        "currentPage",
        "close",
    };
    QStringList calls = office.calls;
    calls.replaceInStrings(QRegularExpression("\\.fk-[0-9a-f]{8}-[0-9]+-[0-9a-f]{8}\\.part"),
                           ".fk-HOST-PID-RANDOM.part");
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(outputs(), QStringList{"Report_0001.odt"});
    EXPECT_EQ(prompts.messageTexts(), QStringList{"Done."});
    EXPECT_EQ(window.values, QList<double>({0, 100, 0}));
    EXPECT_EQ(window.texts, QStringList({"Processing: Report.odt", "Progress Bar"}));
    EXPECT_EQ(office.openDocuments(), 0);
}

TEST_F(SplitRunTest, EveryPageIsStoredFromItsOwnPageInOrder) {
    const QString path = input("minutes.final.sxw", 3);
    run.PushButton7_Click();
    EXPECT_EQ(outputs(),
              QStringList({"minutes.final_0001.odt", "minutes.final_0002.odt", "minutes.final_0003.odt"}));
    for (int page = 1; page <= 3; ++page) {
        EXPECT_EQ(FakeOfficeSession::storedText(
                      out.filePath(QStringLiteral("minutes.final_%1.odt").arg(page, 4, 10, QChar('0')))),
                  ToFileUrl(path) + "#" + QString::number(page));
    }
    EXPECT_EQ(office.calls.count("dispatch(.uno:GoToStartOfNextPage)"), 2);
}

TEST_F(SplitRunTest, ProgressCountsDocumentsAndReturnsToIdle) {
    for (int i = 1; i <= 4; ++i) input(QStringLiteral("d%1.odt").arg(i), 1);
    QList<int> pointerWhenYielding;
    window.onYield = [&] { pointerWhenYielding << (window.pointers.isEmpty() ? 0 : window.pointers.last()); };
    run.PushButton7_Click();
    // Each document's share fills as its pages are stored.
    EXPECT_EQ(window.values, QList<double>({0, 25, 25, 50, 50, 75, 75, 100, 0}));
    EXPECT_EQ(window.texts, QStringList({"Processing: d1.odt", "Processing: d2.odt", "Processing: d3.odt",
                                         "Processing: d4.odt", "Progress Bar"}));
    // The hourglass is up before the first document starts.
    ASSERT_GT(pointerWhenYielding.size(), 4) << "the window is also told as pages are stored";
    EXPECT_EQ(pointerWhenYielding.count(11), pointerWhenYielding.size());
    EXPECT_EQ(window.pointers.last(), 0);
    EXPECT_EQ(prompts.messageTexts(), QStringList{"Done."});
}

TEST_F(SplitRunTest, TheBarMovesWithTheOfficesReportsOfItsLoadBeforeThePages) {
    input("a.odt", 2);
    office.reportsProgress = true;
    // An engine that opens the document in the office, which reports the load, and then writes its
    // pages without it, as the page slicer does.
    FakeSplitEngine engine;
    engine.pageCounts.insert(window.rows[0], 2);
    engine.tellsOpening = true;
    engine.beforeDocument = [&](const QString& path) {
        office.load(ToFileUrl(path), {});
        return true;
    };
    SplitRun slicing(office, test::MethodOnly(SplitMethod::Slice), prompts, window,
                     [&](office::OfficeSession&) { return std::make_unique<FakeSplitEngine>(engine); });
    slicing.PushButton7_Click();
    const auto shown = [&](double value, qsizetype from = 0) -> qsizetype {
        for (qsizetype k = from; k < window.values.size(); ++k)
            if (std::abs(window.values[k] - value) < 1e-9) return k;
        return -1;
    };
    // The load is the first sliver of the document's share: half of it, then all of it.
    const double load = 100 * DocumentWork::SpanOf(SplitStage::Open)->reported;
    const qsizetype half = shown(load / 2);
    const qsizetype all = shown(load);
    ASSERT_GT(half, 0) << ::testing::PrintToString(window.values);
    EXPECT_LT(half, all);
    EXPECT_GT(shown(load + (100 - load) / 2, all), all) << "the first of two pages fills half of the rest";
    EXPECT_EQ(prompts.messageTexts(), QStringList{"Done."});
    EXPECT_EQ(window.values.last(), 0);
}

TEST_F(SplitRunTest, SecondClickDuringARunDoesNothing) {
    input("a.odt", 2);
    input("b.odt", 1);
    window.onYield = [&] {
        EXPECT_TRUE(run.IsSplitting());
        run.PushButton7_Click();
    };
    run.PushButton7_Click();
    EXPECT_EQ(prompts.messageTexts(), QStringList{"Done."});
    EXPECT_EQ(outputs().size(), 3);
    EXPECT_FALSE(run.IsSplitting());
}

TEST_F(SplitRunTest, RowsAddedDuringTheRunAreCountedButNotSplit) {
    input("a.odt", 1);
    input("b.odt", 1);
    window.onYield = [&] {
        if (window.rows.size() == 2) window.rows << in.filePath("late.odt");
    };
    run.PushButton7_Click();
    // The late row enters the divisor of the second document's share.
    const QList<double> expected{0, 50, 100.0 / 3, 200.0 / 3, 0};
    ASSERT_EQ(window.values.size(), expected.size());
    for (qsizetype k = 0; k < expected.size(); ++k) EXPECT_NEAR(window.values[k], expected[k], 1e-9) << k;
    EXPECT_EQ(outputs(), QStringList({"a_0001.odt", "b_0001.odt"}));
}

TEST_F(SplitRunTest, DocumentThatCannotBeOpenedGivesOneReportAndTheRunGoesOn) {
    window.rows << in.filePath("missing.odt");
    input("good.odt", 2);
    run.PushButton7_Click();
    ASSERT_EQ(prompts.messages.size(), 2);
    EXPECT_EQ(prompts.messages[0].text,
              reportFor(124, "The document cannot be opened: " + in.filePath("missing.odt") +
                                 "\r\nThe document vanished."));
    EXPECT_EQ(prompts.messages[0].style, kOkExclamation);
    EXPECT_EQ(prompts.messages[1].text, "Done.\r\n1 of 2 documents split, 2 pages stored.");
    EXPECT_EQ(outputs(), QStringList({"good_0001.odt", "good_0002.odt"}));
}

TEST_F(SplitRunTest, UnreadablePageCountClosesTheDocumentAfterOneReport) {
    input("a.odt", 3);
    office.refuse.insert("jumpToLastPage");
    run.PushButton7_Click();
    ASSERT_EQ(prompts.messages.size(), 2);
    EXPECT_TRUE(prompts.messages[0].text.contains("at line 132\r\r"));
    EXPECT_TRUE(outputs().isEmpty());
    EXPECT_EQ(office.closedDocuments.size(), 1);
    EXPECT_EQ(office.openDocuments(), 0);
}

TEST_F(SplitRunTest, FailedStepIsReportedUnderItsLineAndTheRestRuns) {
    input("a.odt", 2);
    input("b.odt", 1);
    office.refuse.insert("dispatch(.uno:Copy)");
    office.onCall = [&](const QString& call) {
        if (call.startsWith("dispatch(.uno:Paste")) office.refuse.clear();  // only the first copy fails
    };
    run.PushButton7_Click();
    ASSERT_EQ(prompts.messages.size(), 2);
    EXPECT_EQ(prompts.messages[0].text, reportFor(144, "Automation error: refused dispatch(.uno:Copy)"));
    EXPECT_EQ(prompts.messages[1].text, "Done.\r\n1 of 2 documents split, 3 pages stored.");
    EXPECT_EQ(outputs().size(), 3);
    // A new run can start afterwards.
    run.PushButton7_Click();
    EXPECT_EQ(prompts.messages.last().text, "Done.");
}

TEST_F(SplitRunTest, PageThatWasNotStoredIsAFailure) {
    input("a.odt", 2);
    office.skipWrites = true;
    run.PushButton7_Click();
    ASSERT_EQ(prompts.messages.size(), 3);
    EXPECT_EQ(prompts.messages[0].text,
              reportFor(158, "The page document was not stored: " + out.filePath("a_0001.odt")));
    EXPECT_TRUE(prompts.messages[1].text.contains("a_0002.odt\r\nin"));
}

TEST_F(SplitRunTest, StaleOutputOfAnEarlierRunDoesNotCountAsStored) {
    input("a.odt", 1);
    QFile stale(out.filePath("a_0001.odt"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("old");
    stale.close();
    office.skipWrites = true;
    run.PushButton7_Click();
    EXPECT_TRUE(prompts.messages[0].text.contains("at line 158"));
}

TEST_F(SplitRunTest, AListedDocumentInTheOutputFolderIsNeverReplacedByAPage) {
    const QString whole = input("a.odt", 2);
    const QString listed = out.filePath("a_0001.odt");
    FakeOfficeSession::writePackage(listed, "listed document");
    window.rows << listed;
    office.pageCounts.insert(ToFileUrl(listed), 1);

    run.PushButton7_Click();

    EXPECT_EQ(FakeOfficeSession::storedText(listed), "listed document");
    ASSERT_EQ(prompts.messages.size(), 2);
    EXPECT_EQ(prompts.messages[0].text,
              reportFor(146, "The page document would overwrite an input of this run and was not stored: " +
                                 listed));
    EXPECT_EQ(prompts.messages[1].text, "Done.\r\n1 of 2 documents split, 2 pages stored.");
    EXPECT_EQ(FakeOfficeSession::storedText(out.filePath("a_0002.odt")), ToFileUrl(whole) + "#2");
    EXPECT_EQ(outputs(), (QStringList{"a_0001.odt", "a_0001_0001.odt", "a_0002.odt"}));
}

TEST_F(SplitRunTest, OlderPagesOfLongerSplitsAreToldInOneMessageBeforeDone) {
    input("a.odt", 1);
    input("b.odt", 2);
    input("c.odt", 2);
    for (const char* older : {"a_0002.odt", "c_0003.odt", "c_0004.odt", "c_0005.odt"})
        FakeOfficeSession::writePackage(out.filePath(older), "older");

    run.PushButton7_Click();

    EXPECT_EQ(prompts.messageTexts(),
              (QStringList{"Older pages remain beside the new ones:\r\na.odt: a_0002.odt\r\n"
                           "c.odt: c_0003.odt to c_0005.odt",
                           "Done."}));
    EXPECT_EQ(prompts.messages[0].style, kOkExclamation);
    EXPECT_EQ(FakeOfficeSession::storedText(out.filePath("c_0005.odt")), "older") << "kept as they are";
}

TEST_F(SplitRunTest, CursorLeftOnTheLastPageIsPutOnTheFirst) {
    const QString path = input("table-first.odt", 3);
    office.firstPageSticks = true;
    run.PushButton7_Click();
    EXPECT_EQ(prompts.messageTexts(), QStringList{"Done."});
    EXPECT_TRUE(office.calls.contains("jumpToPage(1)"));
    EXPECT_EQ(FakeOfficeSession::storedText(out.filePath("table-first_0001.odt")), ToFileUrl(path) + "#1");
}

TEST_F(SplitRunTest, StalledMoveToTheNextPageIsMended) {
    const QString path = input("table-spans.odt", 3);
    office.stallOnPages = {1};
    run.PushButton7_Click();
    EXPECT_EQ(prompts.messageTexts(), QStringList{"Done."});
    EXPECT_EQ(FakeOfficeSession::storedText(out.filePath("table-spans_0002.odt")), ToFileUrl(path) + "#2");
}

TEST_F(SplitRunTest, BlankPageIsStoredEmptyNeverAsThePreviousPage) {
    const QString path = input("gap.odt", 3);
    office.emptySelectionOnPages = {2};
    run.PushButton7_Click();
    EXPECT_EQ(prompts.messageTexts(), QStringList{"Done."});
    EXPECT_EQ(FakeOfficeSession::storedText(out.filePath("gap_0002.odt")), "");
    EXPECT_EQ(FakeOfficeSession::storedText(out.filePath("gap_0003.odt")), ToFileUrl(path) + "#3");
}

TEST_F(SplitRunTest, PageThatBeginsInATableGetsTheTableAndTheRestOfThePage) {
    const QString path = input("form.odt", 3);
    office.tableStartPages = {1, 3};
    run.PushButton7_Click();
    EXPECT_EQ(prompts.messageTexts(), QStringList{"Done."});
    const QString url = ToFileUrl(path);
    EXPECT_EQ(FakeOfficeSession::storedText(out.filePath("form_0001.odt")), url + "#1#table+" + url + "#1");
    EXPECT_EQ(FakeOfficeSession::storedText(out.filePath("form_0002.odt")), url + "#2");
    EXPECT_EQ(FakeOfficeSession::storedText(out.filePath("form_0003.odt")), url + "#3#table+" + url + "#3");
}

TEST_F(SplitRunTest, BlankPagesOfTheLayoutAndTablesWithHeadingRowsSplitWithoutAReport) {
    const QString path = input("hard.odt", 5);
    office.blankPages = {2};
    office.tableStartPages = {4};
    office.headingRowPages = {4};
    run.PushButton7_Click();
    EXPECT_EQ(prompts.messageTexts(), QStringList{"Done."});
    EXPECT_EQ(outputs().size(), 5);
    EXPECT_EQ(FakeOfficeSession::storedText(out.filePath("hard_0002.odt")), "");
    EXPECT_EQ(FakeOfficeSession::storedText(out.filePath("hard_0005.odt")), ToFileUrl(path) + "#5");
}

TEST_F(SplitRunTest, CursorThatCannotBeMovedStopsTheDocumentInsteadOfRepeatingAPage) {
    input("stuck.odt", 3);
    input("next.odt", 1);
    office.stallOnPages = {1};
    office.jumpToPageIgnored = true;
    run.PushButton7_Click();
    ASSERT_EQ(prompts.messages.size(), 2);
    EXPECT_EQ(prompts.messages[0].text,
              reportFor(162,
                        "Automation error: The view cursor cannot be moved to page 2; 1 of 3 pages were "
                        "stored, and the pages after them are not"));
    EXPECT_EQ(outputs(), QStringList({"next_0001.odt", "stuck_0001.odt"}));
    EXPECT_EQ(office.openDocuments(), 0);
}

TEST_F(SplitRunTest, OfficeThatDiesCostsOneReportAndTheNextDocumentGetsANewOffice) {
    input("a.odt", 5);
    input("b.odt", 2);
    int saves = 0;
    office.onCall = [&](const QString& call) {
        if (call.startsWith("dispatch(.uno:SaveAs") && ++saves == 2)
            office.dieAtCall = static_cast<int>(office.calls.size());
    };
    run.PushButton7_Click();
    ASSERT_EQ(prompts.messages.size(), 2) << prompts.messageTexts().join("\n").toStdString();
    // A call on an office that is gone is no refusal of the office's.
    EXPECT_TRUE(prompts.messages[0].text.startsWith("Object variable or With block variable not set"));
    EXPECT_EQ(prompts.messages[1].text, "Done.\r\n1 of 2 documents split, 4 pages stored.");
    EXPECT_EQ(office.starts, 2);
    EXPECT_TRUE(outputs().contains("b_0002.odt"));
    EXPECT_FALSE(run.IsSplitting());
}

TEST_F(SplitRunTest, NoOfficeAtAllIsReportedForEachDocument) {
    input("a.odt", 1);
    input("b.odt", 1);
    office.available = false;
    run.PushButton7_Click();
    ASSERT_EQ(prompts.messages.size(), 3);
    EXPECT_EQ(prompts.messages[0].text, reportFor(120, "ActiveX component can't create object"));
    EXPECT_EQ(prompts.messages[2].text, "Done.\r\n0 of 2 documents split, 0 pages stored.");
}

// The job splits the list as it stood when the run started: a row that goes meanwhile is neither
// skipped halfway nor replaced by the row that moves up into its place.
TEST_F(SplitRunTest, TheListAsItStoodAtTheStartIsSplitOnceEach) {
    input("a.odt", 1);
    input("b.odt", 1);
    window.onYield = [&] {
        if (window.rows.size() == 2) window.rows.removeFirst();
    };
    run.PushButton7_Click();
    EXPECT_EQ(prompts.messageTexts(), QStringList{"Done."});
    EXPECT_EQ(outputs(), (QStringList{"a_0001.odt", "b_0001.odt"}));
}

TEST_F(SplitRunTest, AFolderThatTakesNoMoreFilesIsOneReportPerDocumentWithThePagesItCost) {
    input("long.odt", 5);
    input("next.odt", 2);
    // The folder goes away once the first page is stored: every later page would fail alike.
    office.onCall = [&](const QString& call) {
        if (call == "createTextDocument" && outputs().size() == 1) QDir(out.path()).removeRecursively();
    };
    run.PushButton7_Click();
    const QStringList texts = prompts.messageTexts();
    ASSERT_EQ(texts.size(), 3) << texts.join("\n").toStdString();
    EXPECT_TRUE(texts[0].contains("4 pages of this document were not stored.")) << texts[0].toStdString();
    EXPECT_TRUE(texts[0].contains("at line 158")) << texts[0].toStdString();
    EXPECT_TRUE(texts[1].contains("2 pages of this document were not stored.")) << texts[1].toStdString();
    EXPECT_EQ(texts[2], "Done.\r\n0 of 2 documents split, 1 page stored.");
    // Pages 1 and 2 of the first document, page 1 of the second: each stops at its first refused page.
    EXPECT_EQ(office.calls.count("createTextDocument"), 3);
    EXPECT_EQ(office.openDocuments(), 0);
}

TEST_F(SplitRunTest, ADocumentAnotherOfficeHoldsIsReportedWithWhoHoldsIt) {
    const QString path = in.filePath("held.odt");
    window.rows << path;  // the office cannot open it
    QFile lock(in.filePath(".~lock.held.odt#"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("Ann Example,ann,desk7,08.12.2026 09:12,file:///home/ann/.config/libreoffice/4;");
    lock.close();
    run.PushButton7_Click();
    const QStringList texts = prompts.messageTexts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].contains("The document is open by Ann Example on desk7 since 08.12.2026 09:12;"))
        << texts[0].toStdString();
    EXPECT_TRUE(texts[0].contains("at line 124"));
}

TEST(RunEndMessage, DoneAloneOnlyWhenEveryDocumentWasSplitIntoPages) {
    const struct {
        int documents, split, pages;
        const char* message;
    } cases[] = {
        {1, 1, 3, "Done."},
        {2, 2, 1, "Done."},
        {2, 1, 4, "Done.\r\n1 of 2 documents split, 4 pages stored."},
        {1, 0, 0, "Done.\r\n0 of 1 document split, 0 pages stored."},
        {3, 0, 1, "Done.\r\n0 of 3 documents split, 1 page stored."},
        {1, 1, 0, "Done.\r\n1 of 1 document split, 0 pages stored."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RunEndMessage(c.documents, c.split, c.pages), QString::fromUtf8(c.message)) << c.message;
}

// What the user reads names the document by its path and the cause in plain words; the office's URL
// and its jargon stay out. Failures after the document was opened keep the report's usual words.
TEST(ReportText, ADocumentThatCannotBeOpenedIsNamedByItsPath) {
    const QString path = "/home/ann/In Box/report.odt";
    const QString cannotOpen = "The document cannot be opened: " + path + "\r\n";
    const struct {
        SplitStage stage;
        FailureKind kind;
        QString message;
        QString report;
    } cases[] = {
        {SplitStage::Open, FailureKind::Password, "the document needs a password",
         cannotOpen + "The document needs a password."},
        {SplitStage::Open, FailureKind::Locked, "alice on desk7 since today",
         cannotOpen + "The document is open by alice on desk7 since today; close it there, or remove its "
                      "lock file if that office is gone."},
        {SplitStage::Open, FailureKind::OfficeRefused, "cannot load file:///home/ann/In%20Box/report.odt",
         cannotOpen + "It may be damaged, or of a kind the office does not read."},
        {SplitStage::Open, FailureKind::NameTooLong, "the name is too long for the office's lock file",
         cannotOpen + "The name is too long for the office's lock file."},
        {SplitStage::Open, FailureKind::OfficeGone, "gone", "Object variable or With block variable not set"},
        {SplitStage::Copy, FailureKind::OfficeRefused, "refused dispatch(.uno:Copy)",
         "Automation error: refused dispatch(.uno:Copy)"},
    };
    for (const auto& c : cases) {
        const QString report = ReportText(path, {c.stage, 0, c.message, SplitAction::Unnamed, c.kind});
        EXPECT_EQ(report, c.report) << c.message.toStdString();
        if (c.stage == SplitStage::Open) {
            EXPECT_FALSE(report.contains("file:")) << c.message.toStdString();
        }
    }
}

// The default folder is made when it is missing; a folder the user typed never is.
TEST_F(SplitRunTest, OnlyTheDefaultFolderIsMadeWhenMissing) {
    input("a.odt", 1);
    const QString desktop = out.filePath("Desktop");
    const struct {
        QString folder;
        QString defaultFolder;
        bool made;
    } cases[] = {
        {desktop + "/", desktop + "/", true},
        {desktop, desktop + "/", true},
        {desktop + "/", QString(), false},
        {out.filePath("Typed") + "/", desktop + "/", false},
    };
    for (const auto& c : cases) {
        QDir(desktop).removeRecursively();
        prompts.messages.clear();
        window.folder = c.folder;
        window.defaultFolder = c.defaultFolder;
        run.PushButton7_Click();
        EXPECT_EQ(QFileInfo(c.folder).isDir(), c.made) << c.folder.toStdString();
        EXPECT_EQ(prompts.messageTexts(),
                  QStringList{c.made ? "Done." : "Folder does not exist. Please select another folder."})
            << c.folder.toStdString();
    }
}

TEST_F(SplitRunTest, TheReportSettingWritesTheRunsReportUnlessItWouldCostAFile) {
    const QString good = input("good.odt", 2);
    window.rows << in.filePath("missing.odt");
    const struct {
        QString setting;
        QString writtenAt;  // empty: not written, and the window says why before its last message
    } cases[] = {
        {"run.json", out.filePath("run.json")},
        {in.filePath("runs/last.json"), QString()},  // a folder that is not there is not made
        {good, QString()},                           // an input is never replaced by a report
        {"notes.odt", QString()},                    // nor is a document's name taken
    };
    for (const auto& c : cases) {
        prompts.messages.clear();
        SplitRun reporting(office, test::MethodOnly(SplitMethod::Copy), prompts, window, {}, {},
                           {.reportFile = c.setting});
        reporting.PushButton7_Click();
        ASSERT_FALSE(prompts.messages.isEmpty());
        EXPECT_EQ(prompts.messages.last().text, "Done.\r\n1 of 2 documents split, 2 pages stored.");
        if (c.writtenAt.isEmpty()) {
            ASSERT_EQ(prompts.messages.size(), 3) << c.setting.toStdString();
            EXPECT_TRUE(prompts.messages[1].text.startsWith(kReportNotWrittenMessage))
                << prompts.messages[1].text.toStdString();
            continue;
        }
        const QJsonObject report = ReadJsonReport(c.writtenAt);
        ASSERT_FALSE(report.isEmpty()) << c.setting.toStdString();
        const QJsonArray documents = report["documents"].toArray();
        ASSERT_EQ(documents.size(), 2);
        // In the order the documents ended: the missing one may end while the other's pages are written.
        const int first = documents[0]["input"].toString() == good ? 0 : 1;
        EXPECT_EQ(documents[first]["input"].toString(), good);
        EXPECT_EQ(documents[first]["status"].toString(), "split");
        EXPECT_EQ(documents[first]["outputs"].toArray().size(), 2);
        EXPECT_EQ(documents[1 - first]["status"].toString(), "failed");
    }
}

TEST(SplitRunVerify, PagesUnlikeTheDocumentsAreToldInOneMessagePerDocumentAndKept) {
    QTemporaryDir in, out;
    FakeOfficeSession office;
    FakePrompts prompts;
    FakeWindow window;
    window.folder = out.path() + "/";
    const QString path = in.filePath("a.odt");
    window.rows << path;
    FakeSplitEngine engine;
    engine.pageCounts.insert(path, 3);
    engine.writtenInstead = {{1, "other#1"}, {3, "other#1"}};
    FakePrintedPages printer;
    printer.printed.insert(path, {PageWithInkAt(0), PageWithInkAt(1), PageWithInkAt(2)});
    printer.printed.insert("other", {PageWithInkAt(5)});
    EngineChoice choice;
    choice.verify = true;
    SplitRun run(
        office, choice, prompts, window,
        [&](office::OfficeSession&) { return std::make_unique<FakeSplitEngine>(engine); },
        [&](office::OfficeSession&) {
            auto shared = std::make_unique<FakePrintedPages>();
            shared->printed = printer.printed;
            return shared;
        });

    run.PushButton7_Click();

    const QStringList messages = prompts.messageTexts();
    ASSERT_EQ(messages.size(), 2) << messages.join("\n---\n").toStdString();
    EXPECT_TRUE(messages[0].contains("Pages that do not print as the document's own (they are kept): " +
                                     path + "\r\nPage 1: does not look like page 1 of the input"));
    EXPECT_TRUE(messages[0].contains("\r\nPage 3: does not look like page 3"));
    EXPECT_FALSE(messages[0].contains("Page 2:"));
    EXPECT_EQ(messages[1], "Done.\r\n0 of 1 document split, 3 pages stored.");
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files).size(), 3);
}
