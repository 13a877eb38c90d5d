#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include "QtPrinters.h"
#include "cli/InterruptSignals.h"
#include "cli/RunInterruption.h"
#include "cli/StandardOutput.h"

using namespace fk;
using namespace fk::cli;

namespace {

DocumentResult result(const QString& path, int pageCount, int stored, bool interrupted) {
    DocumentResult made;
    made.path = path;
    made.split.pageCount = pageCount;
    made.split.pagesStored = stored;
    made.interrupted = interrupted;
    return made;
}

TEST(RunInterruption, DocumentsDoneCutShortAndNotStarted) {
    const QList<QStringList> groups{{"/a.odt"}, {"/b.odt", "/c.odt"}, {"/d.odt"}, {"/e.odt"}};
    const QList<DocumentResult> results{result("/d.odt", 2, 2, false), result("/b.odt", 40, 12, true),
                                        result("/a.odt", 1, 0, false)};
    const RunInterruption where = WhereRunStopped(groups, results);
    EXPECT_EQ(where.finished, 2) << "a failed document is done too";
    ASSERT_EQ(where.cutShort.size(), 1);
    EXPECT_EQ(where.cutShort[0].path, "/b.odt");
    EXPECT_EQ(where.notStarted, (QStringList{"/c.odt", "/e.odt"})) << "in list order";

    QString text;
    QTextStream out(&text);
    PrintInterruption(out, SIGINT, where);
    EXPECT_EQ(text,
              "Interrupted by SIGINT: 2 documents done, 1 cut short, 2 not started\n"
              "  cut short: /b.odt: 12 of 40 pages stored\n"
              "  not started: /c.odt\n"
              "  not started: /e.odt\n");
}

// The handlers are tried in child processes: a signal must not reach the test runner itself.
TEST(InterruptSignals, TheFirstSignalIsOnlyNoted) {
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        EXPECT_EXIT(
            {
                InterruptSignals::install();
                ::raise(signalNumber);
                ::_exit(InterruptSignals::received() == signalNumber ? 7 : 8);
            },
            ::testing::ExitedWithCode(7), "")
            << signalNumber;
    }
}

TEST(InterruptSignals, TheProgramEndsByTheSignalSoThatAShellLoopStopsToo) {
    // Asked twice, or told to end once the run has stopped: the parent sees a death by the signal.
    EXPECT_EXIT(
        {
            InterruptSignals::install();
            ::raise(SIGINT);
            ::raise(SIGTERM);
            ::_exit(9);
        },
        ::testing::KilledBySignal(SIGTERM), "");
    EXPECT_EXIT(
        {
            InterruptSignals::install();
            ::raise(SIGINT);
            InterruptSignals::endBy(InterruptSignals::received());
        },
        ::testing::KilledBySignal(SIGINT), "");
}

TEST(InterruptSignals, ASignalIgnoredAtTheStartStaysIgnored) {
    EXPECT_EXIT(
        {
            ::signal(SIGHUP, SIG_IGN);  // as nohup starts a program
            InterruptSignals::install();
            ::raise(SIGHUP);
            ::_exit(InterruptSignals::received() == 0 ? 7 : 8);
        },
        ::testing::ExitedWithCode(7), "");
}

TEST(StandardOutput, AReaderGoneOrAFullDeviceIsNotedWithoutDeathBySigpipe) {
    for (const int expected : {0, EPIPE, ENOSPC}) {
        EXPECT_EXIT(
            {
                int ends[2];
                if (::pipe(ends) != 0) ::_exit(9);
                ::dup2(expected == ENOSPC ? ::open("/dev/full", O_WRONLY) : ends[1], STDOUT_FILENO);
                if (expected == EPIPE) ::close(ends[0]);
                InterruptSignals::install();
                // A reader's going is seen before anything more is written to it.
                const bool before = StandardOutput::lostOrReaderGone() == (expected == EPIPE ? EPIPE : 0);
                StandardOutput device(STDOUT_FILENO);
                QTextStream(&device) << "a line\n";  // no death by SIGPIPE here
                const bool noted = StandardOutput::lost() == expected && InterruptSignals::received() == 0;
                ::_exit(before && noted ? 7 : 8);
            },
            ::testing::ExitedWithCode(7), "")
            << expected;
    }
}

// `--version | grep -q`: the reader takes the whole line and goes before the program ends.
TEST(StandardOutput, AReaderGoneAfterEverythingWasWrittenLosesNothing) {
    EXPECT_EXIT(
        {
            int ends[2];
            if (::pipe(ends) != 0) ::_exit(9);
            ::dup2(ends[1], STDOUT_FILENO);
            InterruptSignals::install();
            StandardOutput device(STDOUT_FILENO);
            QTextStream(&device) << "a line\n";
            ::close(ends[0]);
            ::_exit(StandardOutput::lost() == 0 ? 7 : 8);
        },
        ::testing::ExitedWithCode(7), "");
}

}  // namespace
