#include <gtest/gtest.h>

#include "QtPrinters.h"
#include "cli/CommandLine.h"
#include "cli/ConsoleProgress.h"

using namespace fk;
using namespace fk::cli;

namespace {

class ConsoleProgressTest : public ::testing::Test {
protected:
    ConsoleProgress progress(bool live, int documents) {
        return ConsoleProgress(outStream, errStream, live, documents, [this] { return now; });
    }
    DocumentResult result(const QString& path, int pageCount, int stored, int reports = 0) {
        DocumentResult r;
        r.path = path;
        r.split.pageCount = pageCount;
        r.split.pagesStored = stored;
        for (int i = 0; i < reports; ++i) r.split.failures << fk::SplitFailure{};
        r.seconds = 1.5;
        return r;
    }
    QString out, err;
    QTextStream outStream{&out};
    QTextStream errStream{&err};
    double now = 0;
};

TEST_F(ConsoleProgressTest, OneLinePerDocumentWhenNotOnATerminal) {
    ConsoleProgress lines = progress(false, 3);
    lines.documentStarted("/in/a.odt");
    lines.pageStored("/in/a.odt", 1, 1);
    lines.documentFinished(result("/in/a.odt", 1, 1));
    lines.documentFinished(result("/in/b.odt", 5, 3, 2));
    DocumentResult late = result("/in/c.odt", 0, 0, 1);
    late.timedOut = true;
    lines.documentFinished(late);
    EXPECT_EQ(out,
              "[1/3] /in/a.odt: 1 page in 1.5 s\n"
              "[2/3] /in/b.odt: FAILED, 3 of 5 pages stored in 1.5 s\n"
              "[3/3] /in/c.odt: FAILED (timed out), 0 pages stored in 1.5 s\n");
    EXPECT_TRUE(err.isEmpty());
}

TEST_F(ConsoleProgressTest, ReportsGoToStandardErrorAfterTheDocument) {
    ConsoleProgress lines = progress(false, 1);
    lines.report("/in/a.odt", "page 2: not stored (store)");
    EXPECT_EQ(err, "folioknife-split: /in/a.odt: page 2: not stored (store)\n");
    EXPECT_TRUE(out.isEmpty());
}

TEST_F(ConsoleProgressTest, NamesAndReportsStayOnTheirLineAndNeverSteerTheTerminal) {
    const QString hostile = QStringLiteral("/in/a\x1b]0;owned\x07\nb.odt");
    ConsoleProgress lines = progress(false, 1);
    lines.report(hostile, "page 1: would replace " + hostile + " (store)");
    lines.documentFinished(result(hostile, 1, 1));
    EXPECT_EQ(err,
              "folioknife-split: /in/a\\x1b]0;owned\\x07\\x0ab.odt: page 1: would replace "
              "/in/a\\x1b]0;owned\\x07\\x0ab.odt (store)\n");
    EXPECT_EQ(out, "[1/1] /in/a\\x1b]0;owned\\x07\\x0ab.odt: 1 page in 1.5 s\n");
}

TEST_F(ConsoleProgressTest, LiveLineShowsBarRateAndTimeLeftAndMakesWayForReports) {
    ConsoleProgress live = progress(true, 2);
    now = 10;
    live.documentStarted("/in/a.odt");
    for (int page = 1; page <= 4; ++page) live.pageStored("/in/a.odt", page, 4);
    live.documentFinished(result("/in/a.odt", 4, 4));
    live.documentStarted("/in/b.odt");
    live.pageStored("/in/b.odt", 1, 2);
    // One and a half of two documents in 10 s: about 3 s left.
    EXPECT_TRUE(
        out.endsWith("\r\x1b[K[##################......] 1/2 documents  5 pages  0.5 pages/s  0:03 left"))
        << out.toStdString();
    out.clear();
    live.report("/in/b.odt", "Trouble");
    EXPECT_TRUE(out.startsWith("\r\x1b[K\r\x1b[K["))
        << "the line is cleared, then drawn again below the report";
    EXPECT_EQ(err, "folioknife-split: /in/b.odt: Trouble\n");
}

TEST_F(ConsoleProgressTest, TheLiveLineFitsANarrowTerminalAndQuietShowsOnlyErrors) {
    for (const int columns : {30, 60, 200}) {
        out.clear();
        ConsoleProgress live = progress(true, 2);
        live.fitTo(columns);
        live.documentStarted("/in/a.odt");
        const QString line = out.split("\r\x1b[K").last();
        EXPECT_LT(line.size(), columns) << line.toStdString();
        EXPECT_EQ(line.startsWith('['), columns > 80) << "the bar goes first where it does not fit";
    }

    out.clear();
    ConsoleProgress quiet = progress(true, 1);
    quiet.quiet();
    quiet.documentStarted("/in/a.odt");
    quiet.pageStored("/in/a.odt", 1, 1);
    quiet.report("/in/a.odt", "Trouble");
    quiet.documentFinished(result("/in/a.odt", 1, 1));
    quiet.summary(Summarize({result("/in/a.odt", 1, 1)}, 0, 1));
    EXPECT_EQ(out, QString());
    EXPECT_EQ(err, "folioknife-split: /in/a.odt: Trouble\n");
}

TEST_F(ConsoleProgressTest, DocumentsCutAtHeadingsAreCountedByPart) {
    ConsoleProgress live = progress(true, 2);
    live.cutAtHeadings();
    now = 10;
    live.documentStarted("/in/a.odt");
    for (int part = 1; part <= 3; ++part) live.pageStored("/in/a.odt", part, 3);
    DocumentResult done = result("/in/a.odt", 40, 3);
    done.split.outputsExpected = 3;
    live.documentFinished(done);
    live.documentStarted("/in/b.odt");
    live.pageStored("/in/b.odt", 1, 2);
    EXPECT_TRUE(
        out.endsWith("\r\x1b[K[##################......] 1/2 documents  4 parts  0.4 parts/s  0:03 left"))
        << out.toStdString();

    out.clear();
    ConsoleProgress lines = progress(false, 2);
    lines.cutAtHeadings();
    DocumentResult cut = result("/in/b.odt", 40, 1, 1);
    cut.split.outputsExpected = 5;
    DocumentResult uncut = result("/in/c.odt", 40, 0, 1);  // failed before its parts were known
    lines.documentFinished(done);
    lines.documentFinished(cut);
    lines.documentFinished(uncut);
    lines.summary(Summarize({done, cut, uncut}, 0, 4));
    EXPECT_EQ(out,
              "[1/2] /in/a.odt: 3 parts in 1.5 s\n"
              "[2/2] /in/b.odt: FAILED, 1 of 5 parts stored in 1.5 s\n"
              "[3/2] /in/c.odt: FAILED, 0 parts stored in 1.5 s\n"
              "3 documents: 1 split, 2 failed\n"
              "4 parts written in 4.0 s (1.0 parts/s)\n");
}

TEST_F(ConsoleProgressTest, SummaryAndExitStatus) {
    ConsoleProgress lines = progress(false, 2);
    const BatchSummary summary = Summarize({result("/a", 2, 2), result("/b", 3, 1, 1)}, 1, 4);
    lines.summary(summary);
    EXPECT_EQ(out,
              "2 documents: 1 split, 1 failed\n"
              "1 input was not found or not read fully\n"
              "3 pages written in 4.0 s (0.8 pages/s)\n");
    EXPECT_EQ(summary.exitStatus(), kExitSomeFailed);
    EXPECT_EQ(Summarize({result("/a", 2, 2)}, 0, 1).exitStatus(), kExitSplit);
    out.clear();
    lines.summary(Summarize({result("/a", 1, 1)}, 0, 2));
    EXPECT_EQ(out, "1 document: 1 split, 0 failed\n1 page written in 2.0 s (0.5 pages/s)\n");
    EXPECT_EQ(Summarize({result("/a", 2, 2)}, 1, 1).exitStatus(), kExitSomeFailed);
    EXPECT_EQ(Summarize({result("/a", 2, 1)}, 0, 1).exitStatus(), kExitSomeFailed) << "a page not stored";
}

TEST_F(ConsoleProgressTest, DocumentsOfSeveralPagesAreCountedApartFromThePagesTheyHold) {
    ConsoleProgress lines = progress(false, 2);
    DocumentResult every7 = result("/in/a.odt", 60, 9);
    every7.split.outputsExpected = 9;
    every7.morePagesHeld = 51;
    lines.documentFinished(every7);
    lines.summary(Summarize({every7, result("/in/b.odt", 2, 2)}, 0, 4));
    EXPECT_EQ(out,
              "[1/2] /in/a.odt: 9 documents holding 60 pages in 1.5 s\n"
              "2 documents: 2 split, 0 failed\n"
              "11 documents holding 62 pages written in 4.0 s (15.5 pages/s)\n");
}

TEST_F(ConsoleProgressTest, SummaryCountsDocumentsWithOlderPagesWithoutFailingThem) {
    ConsoleProgress lines = progress(false, 3);
    DocumentResult shorter = result("/a", 2, 2);
    shorter.olderPages = QStringList{"/out/a_0003.odt"};
    const BatchSummary one = Summarize({shorter, result("/b", 1, 1)}, 0, 2);
    lines.summary(one);
    EXPECT_EQ(out,
              "2 documents: 2 split, 0 failed\n"
              "1 document has older pages beside its new ones\n"
              "3 pages written in 2.0 s (1.5 pages/s)\n");
    EXPECT_EQ(one.exitStatus(), kExitSplit);
    out.clear();
    lines.summary(Summarize({shorter, shorter}, 0, 2));
    EXPECT_TRUE(out.contains("\n2 documents have older pages beside their new ones\n"));
}

TEST(ConsoleClock, MinutesAndHours) {
    EXPECT_EQ(ConsoleProgress::clock(0), "0:00");
    EXPECT_EQ(ConsoleProgress::clock(59.6), "1:00");
    EXPECT_EQ(ConsoleProgress::clock(754), "12:34");
    EXPECT_EQ(ConsoleProgress::clock(3 * 3600 + 62), "3:01:02");
}

}  // namespace
