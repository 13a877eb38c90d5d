#include <gtest/gtest.h>

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <array>
#include <atomic>
#include <new>
#include <stdexcept>
#include <thread>

#include "Bounds.h"
#include "FakeOfficeSession.h"
#include "FakePrintedPages.h"
#include "FakeSplitEngine.h"
#include "QtPrinters.h"
#include "files/TemporaryName.h"
#include "split/CopyPageEngine.h"
#include "split/SplitJob.h"

using namespace fk;
using namespace fk::test;
using namespace std::chrono_literals;

namespace {

class FakeJobOffice : public JobOffice {
public:
    office::OfficeSession& session() override { return office; }
    void ensureStarted() override {
        if (onStart) onStart();
        office.reach();
    }
    void abandon() override { abandoned = true; }
    void clearStaleLock(const QString& path) override { lockChecks << path; }
    void clearLocksLeftIn(const QString& folder) override { lockChecks << folder; }
    void release() override { ++releases; }

    test::FakeOfficeSession office;
    std::atomic<int> releases = 0;
    QStringList lockChecks;
    std::atomic<bool> abandoned = false;
    std::function<void()> onStart;
};

// The batch owns what the factory makes; the test keeps the offices to look at afterwards.
class BorrowedOffice : public JobOffice {
public:
    explicit BorrowedOffice(JobOffice& office) : office_(office) {}
    office::OfficeSession& session() override { return office_.session(); }
    void ensureStarted() override { office_.ensureStarted(); }
    void abandon() override { office_.abandon(); }
    void clearStaleLock(const QString& path) override { office_.clearStaleLock(path); }
    void clearLocksLeftIn(const QString& folder) override { office_.clearLocksLeftIn(folder); }
    void release() override { office_.release(); }

private:
    JobOffice& office_;
};

class BorrowedPrinter : public PrintedPageSource {
public:
    explicit BorrowedPrinter(PrintedPageSource& printer) : printer_(printer) {}
    std::vector<GrayPage> pagesOf(const QString& document) override { return printer_.pagesOf(document); }

private:
    PrintedPageSource& printer_;
};

class RecordingObserver : public SplitJobEvents {
public:
    void documentStarted(const QString& path) override { started << path; }
    void pageStored(const QString& path, int, int) override {
        ++pages;
        told << QFileInfo(path).fileName() + QStringLiteral(" page");
    }
    void stageAdvanced(const QString& path, SplitStage stage, double fraction) override {
        told << QStringLiteral("%1 %2 %3").arg(QFileInfo(path).fileName(), StageName(stage)).arg(fraction);
    }
    void failed(const QString& path, const SplitFailure& failure) override {
        reports << path + " | " + failure.message;
        kinds << failure.kind;
    }
    void noted(const QString& path, const QString& text) override { reports << path + " | " + text; }
    void documentFinished(const DocumentResult& result) override { finished << result.path; }

    QStringList started, finished, reports;
    QStringList told;  // the office's reports and the pages, in order, as "a.odt open 0.5", "a.odt page"
    QList<FailureKind> kinds;
    int pages = 0;
};

class SplitJobTest : public ::testing::Test {
protected:
    QString input(const QString& relative, int pages) {
        const QString path = in.filePath(relative);
        script.pageCounts.insert(path, pages);
        return path;
    }
    // The engine opens each document in the first job's office, which reports the load.
    void openDocumentsInAReportingOffice() {
        script.tellsOpening = true;
        beforeDocument = [](office::OfficeSession& office, const QString& path) {
            office.documents().load(ToFileUrl(path), {});
            return true;
        };
        offices[0].office.reportsProgress = true;
    }

    QList<DocumentResult> run(const QList<QStringList>& groups, int jobs,
                              std::chrono::milliseconds timeout = 0ms) {
        SplitJobConfig config;
        for (const QStringList& group : groups) config.documents += group;
        config.outputFolder = outputFolder.isEmpty() ? out.path() + "/" : outputFolder;
        config.jobs = jobs;
        config.timeout = timeout;
        config.deadlineOf = deadlineOf;
        config.deadlinePerPage = deadlinePerPage;
        config.engine.pages = pages;
        config.stopRequested = [this] { return stop.load(); };
        config.otherInputs = otherInputs;
        config.engine.verify = verify;
        config.officeProgress = officeProgress;
        SplitJob job(
            config, [this](int job) { return std::make_unique<BorrowedOffice>(offices.at(job)); }, observer,
            [this](office::OfficeSession& office) -> std::unique_ptr<SplitEngine> {
                if (officeEngine) return std::make_unique<CopyPageEngine>(office);
                auto engine = std::make_unique<FakeSplitEngine>(script);
                engine->afterOfficeDone = afterOfficeDone;
                engine->afterPageCount = afterPageCount;
                engine->beforeDocument = [this, &office](const QString& path) {
                    return !beforeDocument || beforeDocument(office, path);
                };
                return engine;
            },
            [this](office::OfficeSession&) { return std::make_unique<BorrowedPrinter>(printer); });
        return job.run();
    }
    QStringList outputs() const { return QDir(out.path()).entryList(QDir::Files, QDir::Name); }
    QString output(const QString& name) const {
        QFile file(out.filePath(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir in, out;
    QString outputFolder;  // out, unless a test names another
    QStringList otherInputs;
    std::array<FakeJobOffice, 3> offices;
    FakeSplitEngine script;     // what every job's engine knows
    bool officeEngine = false;  // the copy engine on the job's fake office instead of the script
    std::function<bool(office::OfficeSession&, const QString&)> beforeDocument;
    std::function<void(const QString&)> afterOfficeDone;
    std::function<std::chrono::milliseconds(const QString&)> deadlineOf;
    std::chrono::milliseconds deadlinePerPage{0};
    std::function<void(const QString&)> afterPageCount;
    PageSelection pages;
    RecordingObserver observer;
    std::atomic<bool> stop = false;
    bool verify = false;
    bool officeProgress = true;
    FakePrintedPages printer;  // every job's
};

TEST_F(SplitJobTest, SplitsEveryDocumentWithTheWindowsNames) {
    const QString report = input("report.odt", 3);
    const QString letter = input("letter.odt", 1);
    const QList<DocumentResult> results = run({{report}, {letter}}, 1);

    ASSERT_EQ(results.size(), 2);
    EXPECT_TRUE(results[0].succeeded());
    EXPECT_EQ(results[0].split.pageCount, 3);
    EXPECT_EQ(results[0].split.pagesStored, 3);
    EXPECT_EQ(outputs(),
              (QStringList{"letter_0001.odt", "report_0001.odt", "report_0002.odt", "report_0003.odt"}));
    EXPECT_EQ(observer.pages, 4);
    EXPECT_EQ(observer.started, (QStringList{report, letter}));
    EXPECT_EQ(observer.finished.size(), 2) << "the letter may end while the report's pages are written";
    EXPECT_TRUE(observer.reports.isEmpty());
    EXPECT_EQ(offices[0].office.starts, 1) << "one office for the whole run";
    EXPECT_EQ(offices[0].office.openDocuments(), 0);
}

TEST_F(SplitJobTest, ADocumentTheEngineCannotOpenFailsAloneWithItsFailure) {
    const QString bad = in.filePath("bad.odt");
    const QString good = input("good.odt", 2);
    const QList<DocumentResult> results = run({{bad}, {good}}, 1);

    ASSERT_EQ(results.size(), 2);
    EXPECT_FALSE(results[0].succeeded());
    EXPECT_EQ(results[0].split.failures.size(), 1);
    EXPECT_TRUE(results[1].succeeded());
    ASSERT_EQ(observer.reports.size(), 1);
    EXPECT_TRUE(observer.reports[0].startsWith(bad + " | "));
    EXPECT_EQ(results[0].split.failures[0].stage, SplitStage::Open);
}

TEST_F(SplitJobTest, WhateverASplitThrowsIsThatDocumentsFailureAndTheRunGoesOn) {
    const QString early = input("early.odt", 2);
    const QString late = input("late.odt", 2);
    const QString good = input("good.odt", 1);
    beforeDocument = [&](office::OfficeSession&, const QString& path) {
        if (path == early) throw std::runtime_error("no memory for the document");
        return true;
    };
    afterOfficeDone = [&](const QString& path) {
        if (path == late) throw std::bad_alloc();
    };
    const QList<DocumentResult> results = run({{early}, {late}, {good}}, 2);

    ASSERT_EQ(results.size(), 3);
    ASSERT_EQ(results[0].split.failures.size(), 1);
    EXPECT_EQ(results[0].split.failures[0].stage, SplitStage::Open);
    EXPECT_EQ(results[0].split.failures[0].message, "no memory for the document");
    ASSERT_EQ(results[1].split.failures.size(), 1);
    EXPECT_EQ(results[1].split.failures[0].stage, SplitStage::Store) << "its pages were counted";
    EXPECT_TRUE(results[2].succeeded());
    EXPECT_EQ(observer.reports.size(), 2);
    EXPECT_EQ(observer.finished.size(), 3);
}

TEST_F(SplitJobTest, NoOfficeMeansEveryDocumentFailsWithOneReportEach) {
    for (FakeJobOffice& office : offices) office.office.available = false;
    const QList<DocumentResult> results = run({{input("a.odt", 1)}, {input("b.odt", 1)}}, 2);
    ASSERT_EQ(results.size(), 2);
    for (const DocumentResult& result : results) {
        EXPECT_FALSE(result.succeeded());
        EXPECT_EQ(result.split.failures.size(), 1);
    }
    ASSERT_EQ(observer.reports.size(), 2);
    EXPECT_EQ(results[0].split.failures[0].stage, SplitStage::Connect);
    EXPECT_TRUE(outputs().isEmpty());
}

TEST_F(SplitJobTest, ParallelJobsGiveTheSameOutputsAndKeepSharedNamesInOrder) {
    QDir().mkpath(in.filePath("a"));
    QDir().mkpath(in.filePath("b"));
    const QString first = input("a/report.odt", 3);
    const QString second = input("b/report.odt", 2);
    QList<QStringList> groups{{first, second}};
    for (int i = 0; i < 6; ++i) groups.append(QStringList{input(QString("doc%1.odt").arg(i), 2)});
    // The first job's office is slow, so that the other job takes every free group meanwhile; the other
    // job waits for the first one's start, which a busy machine can delay.
    std::atomic<bool> firstJobWorks = false;
    beforeDocument = [&](office::OfficeSession& office, const QString&) {
        if (&office == &offices[0].office) {
            firstJobWorks = true;
            std::this_thread::sleep_for(20ms);
        }
        for (int waited = 0; !firstJobWorks && waited < 2000; ++waited) std::this_thread::sleep_for(1ms);
        return true;
    };

    const QList<DocumentResult> results = run(groups, 2);
    ASSERT_EQ(results.size(), 8);
    for (const DocumentResult& result : results) EXPECT_TRUE(result.succeeded()) << result.path.toStdString();
    EXPECT_EQ(outputs().size(), 3 + 6 * 2);
    EXPECT_EQ(output("report_0001.odt"), second + "#1") << "the later document wins, as with one job";
    EXPECT_EQ(output("report_0003.odt"), first + "#3");
    EXPECT_GE(offices[0].office.starts, 1);
    EXPECT_GE(offices[1].office.starts, 1);
    EXPECT_EQ(offices[2].office.starts, 0) << "two jobs, two offices";
    const int firstIndex = observer.started.indexOf(first);
    EXPECT_LT(firstIndex, observer.started.indexOf(second));
    EXPECT_LT(observer.finished.indexOf(first), observer.started.indexOf(second))
        << "a group's documents one after the other";
}

TEST_F(SplitJobTest, AnOfficeTakesTheNextDocumentWhileTheLastOnesPagesAreWritten) {
    QDir().mkpath(in.filePath("a"));
    QDir().mkpath(in.filePath("b"));
    const QString first = input("first.odt", 2);
    const QString next = input("next.odt", 3);
    const QString sameNameA = input("a/report.odt", 2);
    const QString sameNameB = input("b/report.odt", 1);
    std::atomic<bool> nextStarted = false, sameNameBStarted = false;
    beforeDocument = [&](office::OfficeSession&, const QString& path) {
        if (path == next) nextStarted = true;
        if (path == sameNameB) sameNameBStarted = true;
        return true;
    };
    bool nextStartedMeanwhile = false, sameNameBStartedMeanwhile = true;
    afterOfficeDone = [&](const QString& path) {
        if (path == first) {
            for (int waited = 0; !nextStarted && waited < 5000; ++waited) std::this_thread::sleep_for(1ms);
            nextStartedMeanwhile = nextStarted;
        }
        if (path == sameNameA) {
            std::this_thread::sleep_for(50ms);
            sameNameBStartedMeanwhile = sameNameBStarted;
        }
    };

    const QList<DocumentResult> results = run({{first}, {next}, {sameNameA, sameNameB}}, 1);
    EXPECT_TRUE(nextStartedMeanwhile) << "one job's office went on to the next document";
    EXPECT_FALSE(sameNameBStartedMeanwhile) << "documents writing the same names never overlap";
    ASSERT_EQ(results.size(), 4);
    for (const DocumentResult& result : results) EXPECT_TRUE(result.succeeded()) << result.path.toStdString();
    EXPECT_EQ(outputs().size(), 2 + 3 + 2);
    EXPECT_EQ(output("report_0001.odt"), sameNameB + "#1");
    EXPECT_EQ(offices[0].office.starts, 1);
}

TEST_F(SplitJobTest, TheOfficesReportsReachTheDocumentTheyAreForWithTheStageTheyComeIn) {
    openDocumentsInAReportingOffice();
    for (const auto& [name, pages] : {std::pair{"a.odt", 2}, std::pair{"b.odt", 1}})
        offices[0].office.pageCounts.insert(ToFileUrl(input(name, pages)), pages);
    const QList<DocumentResult> results = run({{in.filePath("a.odt")}, {in.filePath("b.odt")}}, 1);
    ASSERT_EQ(results.size(), 2);
    for (const QString& name : {QStringLiteral("a.odt"), QStringLiteral("b.odt")}) {
        const qsizetype half = observer.told.indexOf(name + " open 0.5");
        const qsizetype all = observer.told.indexOf(name + " open 1");
        const qsizetype page = observer.told.indexOf(name + " page");
        EXPECT_GE(half, 0) << observer.told.join(", ").toStdString();
        EXPECT_LT(half, all);
        EXPECT_LT(all, page) << "the load is told before the first page";
    }
}

TEST_F(SplitJobTest, ARunThatShowsNoLiveProgressAsksTheOfficeForNoReports) {
    openDocumentsInAReportingOffice();
    offices[0].office.pageCounts.insert(ToFileUrl(input("a.odt", 2)), 2);
    officeProgress = false;
    const QList<DocumentResult> results = run({{in.filePath("a.odt")}}, 1);
    ASSERT_EQ(results.size(), 1);
    EXPECT_TRUE(results[0].succeeded());
    EXPECT_FALSE(offices[0].office.takesReports()) << "each report is a round trip the office waits for";
    EXPECT_EQ(observer.told.filter(QStringLiteral(" open ")), QStringList{});
}

TEST_F(SplitJobTest, AHungOfficeIsAbandonedAtTheDeadlineAndANewOneTakesTheNextDocument) {
    const QString hangs = input("hangs.odt", 4);
    const QString next = input("next.odt", 2);
    FakeJobOffice& office = offices[0];
    beforeDocument = [&](office::OfficeSession&, const QString& path) {
        if (path != hangs) return true;
        while (!office.abandoned) std::this_thread::sleep_for(1ms);
        office.office.alive = false;  // what killing the office does to the connection
        return false;
    };

    const QList<DocumentResult> results = run({{hangs}, {next}}, 1, 50ms);
    ASSERT_EQ(results.size(), 2);
    EXPECT_TRUE(results[0].timedOut);
    EXPECT_FALSE(results[0].succeeded());
    EXPECT_TRUE(results[1].succeeded());
    EXPECT_EQ(office.office.starts, 2);
    EXPECT_EQ(office.lockChecks, (QStringList{hangs, hangs, out.path() + "/", next}))
        << "before each document, and after the loss";
    EXPECT_EQ(outputs(), (QStringList{"next_0001.odt", "next_0002.odt"}));
    // What the killed office made the engine fail is the deadline's doing: told once, as the deadline.
    ASSERT_EQ(observer.reports.size(), 1) << observer.reports.join('\n').toStdString();
    EXPECT_TRUE(observer.reports[0].contains("did not finish this document within 0.05 s"));
    EXPECT_EQ(observer.kinds, QList<FailureKind>{FailureKind::TimedOut}) << "told by its kind, not guessed";
    ASSERT_EQ(results[0].split.failures.size(), 1);
    EXPECT_EQ(results[0].split.failures[0].kind, FailureKind::TimedOut);
}

TEST_F(SplitJobTest, EachDocumentHasTheDeadlineItsOwnSizeGivesIt) {
    const QString hangs = input("hangs.odt", 4);
    const QString slow = input("slow.odt", 2);
    deadlineOf = [&](const QString& path) { return path == hangs ? 50ms : 0ms; };
    beforeDocument = [&](office::OfficeSession&, const QString& path) {
        if (path == slow) std::this_thread::sleep_for(150ms);  // past the other's deadline: it has none
        if (path != hangs) return true;
        while (!offices[0].abandoned) std::this_thread::sleep_for(1ms);
        offices[0].office.alive = false;
        return false;
    };
    const QList<DocumentResult> results = run({{hangs}, {slow}}, 1, 10s);
    ASSERT_EQ(results.size(), 2);
    EXPECT_TRUE(results[0].timedOut);
    EXPECT_TRUE(results[1].succeeded()) << "the document's own deadline, not --timeout's, and here none";
    EXPECT_EQ(observer.reports,
              QStringList{hangs + " | the office did not finish this document within 0.05 s "
                                  "and was stopped"});
}

// A long document is not cut off for being long: once counted, each page adds to its deadline.
TEST_F(SplitJobTest, CountedPagesMoveTheDeadlineLater) {
    struct Case {
        std::chrono::milliseconds perPage;
        bool timedOut;
        const char* told;
    } const cases[] = {
        {0ms, true, "within 0.05 s"},
        {50ms, true, "within 0.25 s"},  // told with the time it had in all
        {5s, false, ""},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.perPage.count());
        observer = {};
        offices[0].abandoned = false;
        offices[0].office.alive = true;
        const QString slow = input("slow.odt", 4);
        deadlineOf = [](const QString&) { return 50ms; };
        deadlinePerPage = test.perPage;
        afterPageCount = [&](const QString&) {
            const auto until = std::chrono::steady_clock::now() + 400ms;
            while (!offices[0].abandoned && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(1ms);
            if (offices[0].abandoned) offices[0].office.alive = false;
        };
        const QList<DocumentResult> results = run({{slow}}, 1);
        ASSERT_EQ(results.size(), 1);
        EXPECT_EQ(results[0].timedOut, test.timedOut);
        if (test.timedOut)
            EXPECT_TRUE(observer.reports.join('\n').contains(test.told))
                << observer.reports.join('\n').toStdString();
        else
            EXPECT_TRUE(results[0].succeeded()) << observer.reports.join('\n').toStdString();
    }
}

TEST_F(SplitJobTest, DocumentsOfSeveralPagesCountThePagesTheyHold) {
    script.pagesPerOutput = 7;
    pages = PageSelection::every(7);
    const QList<DocumentResult> results = run({{input("sixty.odt", 60)}}, 1);
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].split.pagesStored, 9);
    EXPECT_EQ(results[0].pagesHeld(), 60) << "eight of 7 pages and one of 4";
}

TEST_F(SplitJobTest, NoPageReplacesAnInputOfAnotherGroupAndTheDocumentFails) {
    // "-o same same": the output folder holds an input whose name is a page name of another input.
    const QString whole = input("a.odt", 2);
    const QString page = input("a_0001.odt", 1);
    QFile pageFile(page);
    ASSERT_TRUE(pageFile.open(QIODevice::WriteOnly));
    pageFile.write("the user's own document");
    pageFile.close();
    outputFolder = in.path() + "/";

    const QList<DocumentResult> results = run({{page}, {whole}}, 2);

    ASSERT_EQ(results.size(), 2);
    QFile kept(page);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "the user's own document");
    const DocumentResult& cut = results[0].path == whole ? results[0] : results[1];
    EXPECT_FALSE(cut.succeeded());
    EXPECT_EQ(cut.split.pagesStored, 1) << "the other page is stored";
    ASSERT_EQ(cut.split.failures.size(), 1);
    EXPECT_EQ(cut.split.failures[0].page, 1);
    EXPECT_EQ(cut.split.failures[0].stage, SplitStage::Store);
    EXPECT_TRUE(cut.split.failures[0].message.contains("would overwrite an input of this run"));
}

TEST_F(SplitJobTest, NoPageReplacesAnInputThatAnotherShardSplits) {
    const QString whole = input("a.odt", 3);
    const QString theirs = in.filePath("a_0002.odt");
    QFile theirsFile(theirs);
    ASSERT_TRUE(theirsFile.open(QIODevice::WriteOnly));
    theirsFile.write("another shard's document");
    theirsFile.close();
    outputFolder = in.path() + "/";
    otherInputs = QStringList{whole, theirs};

    const QList<DocumentResult> results = run({{whole}}, 1);

    ASSERT_EQ(results.size(), 1);
    ASSERT_TRUE(theirsFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(theirsFile.readAll(), "another shard's document");
    EXPECT_EQ(results[0].split.pagesStored, 2);
    ASSERT_EQ(results[0].split.failures.size(), 1);
    EXPECT_EQ(results[0].split.failures[0].page, 2);
    EXPECT_TRUE(results[0].split.failures[0].message.contains("would overwrite an input of this run"));
}

TEST_F(SplitJobTest, PagesOfAnEarlierLongerSplitAreKeptAndToldOnce) {
    const QString report = input("report.odt", 2);
    for (const char* older : {"report_0003.odt", "report_0004.odt", "report_0006.odt"}) {
        QFile file(out.filePath(older));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString letter = input("letter.odt", 1);

    const QList<DocumentResult> results = run({{report}, {letter}}, 1);

    ASSERT_EQ(results.size(), 2);
    EXPECT_TRUE(results[0].succeeded());
    EXPECT_EQ(results[0].olderPages,
              (QStringList{out.filePath("report_0003.odt"), out.filePath("report_0004.odt")}))
        << "the pages that follow the new ones, up to the first gap";
    EXPECT_TRUE(results[1].olderPages.isEmpty());
    EXPECT_EQ(observer.reports,
              QStringList{report +
                          " | older pages remain beside the new ones: report_0003.odt to report_0004.odt"});
    EXPECT_EQ(outputs().size(), 6) << "nothing is removed";
}

TEST_F(SplitJobTest, OlderPagesAreLookedForAfterTheLastDocumentWrittenNotAfterThePageCount) {
    // A split of five pages, then one of two pages to a document: three documents.
    const QString report = input("report.odt", 5);
    ASSERT_TRUE(run({{report}}, 1)[0].olderPages.isEmpty());
    script.pagesPerOutput = 2;

    const QList<DocumentResult> results = run({{report}}, 1);

    ASSERT_EQ(results.size(), 1);
    EXPECT_TRUE(results[0].succeeded());
    EXPECT_EQ(results[0].olderPages,
              (QStringList{out.filePath("report_0004.odt"), out.filePath("report_0005.odt")}));
    EXPECT_EQ(observer.reports,
              QStringList{report +
                          " | older pages remain beside the new ones: report_0004.odt to report_0005.odt"});
}

// A refusal stays the office's while the office lives; once it is lost, the refusals it made on the way
// and the calls after it are the lost office's.
TEST_F(SplitJobTest, FailuresAreBlamedOnALostOfficeOnlyWhenItWasLost) {
    struct Case {
        const char* name;
        bool refuseCopy;
        bool diesAtNextPageDocument;
        QList<FailureKind> kinds;
    };
    const QList<Case> cases{
        {"refused", true, false, {FailureKind::OfficeRefused}},
        {"refused-then-died", true, true, {FailureKind::OfficeGone, FailureKind::OfficeGone}},
        {"died", false, true, {FailureKind::OfficeGone}},
    };
    officeEngine = true;
    FakeOfficeSession& office = offices[0].office;
    for (const Case& c : cases) {
        const QString path = in.filePath(QString::fromLatin1(c.name) + ".odt");
        office.pageCounts.insert(ToFileUrl(path), 1);
        office.refuse = c.refuseCopy ? QSet<QString>{"dispatch(.uno:Copy)"} : QSet<QString>{};
        office.onCall = [&office, dies = c.diesAtNextPageDocument](const QString& call) {
            if (dies && call.startsWith("createTextDocument")) office.alive = false;
        };
        observer.kinds.clear();

        const QList<DocumentResult> results = run({{path}}, 1);
        ASSERT_EQ(results.size(), 1) << c.name;
        QList<FailureKind> kinds;
        for (const SplitFailure& failure : results[0].split.failures) kinds << failure.kind;
        EXPECT_EQ(kinds, c.kinds) << c.name;
    }
}

TEST_F(SplitJobTest, AFastDocumentIsNotTimedOut) {
    const QList<DocumentResult> results = run({{input("quick.odt", 2)}}, 1, 10s);
    ASSERT_EQ(results.size(), 1);
    EXPECT_TRUE(results[0].succeeded());
    EXPECT_FALSE(offices[0].abandoned);
}

// Interrupted runs.

TEST_F(SplitJobTest, AStopStartsNoFurtherDocumentStopsTheOfficesAndMarksTheDocumentCutShort) {
    const QString first = input("first.odt", 2);
    const QString busy = input("busy.odt", 3);
    const QString later = input("later.odt", 1);
    const QString alsoLater = input("also-later.odt", 1);
    FakeJobOffice& office = offices[0];
    beforeDocument = [&](office::OfficeSession&, const QString& path) {
        if (path != busy) return true;
        stop = true;  // the signal arrives while the office works on this document
        while (!office.abandoned) std::this_thread::sleep_for(1ms);
        office.office.alive = false;
        return false;
    };

    const QList<DocumentResult> results = run({{first}, {busy, later}, {alsoLater}}, 1);
    ASSERT_EQ(results.size(), 2) << "a stopped run hands out no further document, not even of a group";
    EXPECT_TRUE(results[0].succeeded());
    EXPECT_FALSE(results[0].interrupted);
    EXPECT_EQ(results[1].path, busy);
    EXPECT_TRUE(results[1].interrupted);
    EXPECT_FALSE(results[1].succeeded());
    EXPECT_EQ(observer.started, (QStringList{first, busy}));
    EXPECT_EQ(outputs(), (QStringList{"first_0001.odt", "first_0002.odt"}));
    // The office was stopped under the engine: that is the interruption, not an office failure.
    ASSERT_EQ(results[1].split.failures.size(), 1);
    EXPECT_EQ(results[1].split.failures[0].kind, FailureKind::Interrupted);
    EXPECT_EQ(observer.kinds, QList<FailureKind>{FailureKind::Interrupted});
}

TEST_F(SplitJobTest, AnOfficeStoppedWhileItStartsIsReportedAsInterruptedNotAsMissing) {
    FakeJobOffice& office = offices[0];
    office.onStart = [&] {
        stop = true;  // Ctrl-C while the office starts
        while (!office.abandoned) std::this_thread::sleep_for(1ms);
        throw Failure::officeUnreachable();
    };
    const QString first = input("first.odt", 1);

    const QList<DocumentResult> results = run({{first}, {input("second.odt", 1)}}, 1);

    ASSERT_EQ(results.size(), 1);
    EXPECT_TRUE(results[0].interrupted);
    EXPECT_EQ(observer.kinds, QList<FailureKind>{FailureKind::Interrupted});
    EXPECT_EQ(results[0].split.failures[0].stage, SplitStage::Connect);
}

TEST_F(SplitJobTest, ARunStoppedBeforeItBeganStartsNothing) {
    stop = true;
    const QList<DocumentResult> results = run({{input("a.odt", 1)}, {input("b.odt", 1)}}, 2);
    EXPECT_TRUE(results.isEmpty());
    EXPECT_TRUE(observer.started.isEmpty());
    EXPECT_EQ(offices[0].office.starts + offices[1].office.starts, 0);
}

TEST_F(SplitJobTest, WhatAKilledRunLeftInTheOutputFolderGoesAndARunningOnesStays) {
    const QString report = input("report.odt", 1);
    const auto staging = [&](pid_t pid) {
        const files::TemporaryOwner owner{files::TemporaryOwner::thisProcess().host, pid};
        const QString folder =
            out.filePath(QString::fromStdString(files::TemporaryName::of("report_0001.odt", owner, 7)));
        QDir().mkpath(folder);
        QFile lock(folder + "/.~lock.report_0001.odt#");  // the office held the page it was storing
        EXPECT_TRUE(lock.open(QIODevice::WriteOnly));
        return folder;
    };
    const QString killed = staging(DeadPid());
    const QString running = staging(::getpid());

    run({{report}}, 1);
    EXPECT_FALSE(QFileInfo::exists(killed));
    EXPECT_TRUE(QFileInfo::exists(running));
    EXPECT_EQ(outputs(), QStringList{"report_0001.odt"});
}

TEST_F(SplitJobTest, ResultsListTheOutputsWritten) {
    const QString report = input("report.odt", 2);
    const QList<DocumentResult> results = run({{report}}, 1);
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].outputs,
              (QStringList{out.filePath("report_0001.odt"), out.filePath("report_0002.odt")}));
}

}  // namespace

TEST_F(SplitJobTest, VerifyFailsEachPageThatPrintsOtherwiseAndKeepsIt) {
    const struct {
        const char* name;
        QString written;       // what output 2 holds, as FakePrintedPages prints it
        int inputPrints;       // pages the input prints: its 3 laid-out ones, and any after them
        QStringList failures;  // "page: message start"
    } cases[] = {
        {"faithful", {}, 3, {}},
        {"a page of another document",
         "letter#1",
         3,
         {"2: does not look like page 2 of the input (likeness 0.00"}},
        {"a page that prints as two",
         "report#2\nreport#3",
         3,
         {"2: prints as 2 pages, not 1 page (likeness 1.00)"}},
        {"a printed page the split never found", {}, 4, {"0: the input prints 4 pages, the split found 3"}},
    };
    verify = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        outputFolder = folder.path() + "/";
        const QString report = input("report.odt", 3);
        std::vector<GrayPage> printed{PageWithInkAt(0), PageWithInkAt(1), PageWithInkAt(2), PageWithInkAt(3)};
        printed.resize(c.inputPrints);
        printer.printed.insert(report, printed);
        printer.printed.insert("report", printed);
        printer.printed.insert("letter", {PageWithInkAt(5)});
        script.writtenInstead.clear();
        if (!c.written.isEmpty()) script.writtenInstead.insert(2, c.written);

        const QList<DocumentResult> results = run({{report}}, 1);
        ASSERT_EQ(results.size(), 1);
        QStringList failures;
        for (const SplitFailure& failure : results[0].split.failures)
            failures << QString::number(failure.page) + ": " + failure.message;
        ASSERT_EQ(failures.size(), c.failures.size()) << failures.join('\n').toStdString();
        for (qsizetype i = 0; i < failures.size(); ++i)
            EXPECT_TRUE(failures[i].startsWith(c.failures[i])) << failures[i].toStdString();
        EXPECT_EQ(results[0].succeeded(), c.failures.isEmpty());
        ASSERT_EQ(results[0].verification.size(), 3) << "every output has its verdict";
        EXPECT_EQ(results[0].verification[1].faithful(), c.written.isEmpty());
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 3) << "the outputs are kept";
    }
}

TEST_F(SplitJobTest, OutputsAreCheckedOnlyWhenAskedAndNotAfterAStop) {
    const QString report = input("report.odt", 2);
    printer.printed.insert(report, {PageWithInkAt(0), PageWithInkAt(1)});
    run({{report}}, 1);
    EXPECT_EQ(printer.calls, 0);
    verify = true;
    afterOfficeDone = [this](const QString&) {
        stop = true;
        std::this_thread::sleep_for(SplitJob::kIdleInterval * 2);  // until the job has seen it
    };
    run({{report}}, 1);
    EXPECT_EQ(printer.calls, 0) << "a stopped run checks nothing";
}

TEST_F(SplitJobTest, TheOfficeGoesOnceTheLastDocumentHandsItBackWhileItsPagesAreWritten) {
    const QString first = input("first.odt", 2);
    const QString last = input("last.odt", 2);
    std::atomic<int> releasesBeforeLast = -1, releasesWhileLastPagesWait = -1;
    beforeDocument = [&](office::OfficeSession&, const QString& path) {
        if (path == last) releasesBeforeLast = offices[0].releases.load();
        return true;
    };
    afterOfficeDone = [&](const QString& path) {
        if (path != last) return;
        for (int waited = 0; offices[0].releases == 0 && waited < 5000; waited += 10)
            std::this_thread::sleep_for(10ms);
        releasesWhileLastPagesWait = offices[0].releases.load();
    };
    const QList<DocumentResult> results = run({{first}, {last}}, 1);

    ASSERT_EQ(results.size(), 2);
    EXPECT_TRUE(results[0].succeeded() && results[1].succeeded());
    EXPECT_EQ(releasesBeforeLast, 0) << "the office went while a document was still to come";
    EXPECT_EQ(releasesWhileLastPagesWait, 1) << "the office stayed until the last pages were written";
    EXPECT_EQ(offices[0].releases, 1);
}
