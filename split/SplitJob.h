#pragma once

#include <QList>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>

#include "split/EngineChoice.h"
#include "split/JobOffice.h"
#include "split/OutputVerification.h"
#include "split/SplitEngine.h"

namespace fk {

struct DocumentResult {
    QString path;
    // The engine's result; while the document is being split, what it has told so far.
    SplitResult split;
    // Page documents of an earlier, longer split of this document, kept beside the new ones.
    QStringList olderPages;
    bool timedOut = false;
    double seconds = 0;
    QStringList outputs;  // the documents written, in order
    // The document's pages the outputs hold beyond one each: with --every N, up to N - 1 per output.
    int morePagesHeld = 0;
    // The run was stopped while this document was being split.
    bool interrupted = false;
    // With EngineChoice::verify: each output as the check found it, in the order written.
    QList<PageVerdict> verification;

    bool succeeded() const { return split.succeeded() && !timedOut && !interrupted; }
    int pagesHeld() const { return split.pagesStored + morePagesHeld; }
};

// What a split job tells as it goes; called from the documents' threads, one call at a time. The
// calls of two documents may interleave: a job's next document starts while the last one's pages are
// written. A face shows them: the command line prints them, the window passes them to its own thread.
class SplitJobEvents {
public:
    virtual ~SplitJobEvents() = default;
    virtual void documentStarted(const QString& path) = 0;
    // The document has reached a stage of its split (opened, laid out, marked, stored).
    virtual void stageReached(const QString& /*path*/, SplitStage /*stage*/) {}
    // How far that stage has come, 0 to 1, as the office reports it while it works.
    virtual void stageAdvanced(const QString& /*path*/, SplitStage /*stage*/, double /*fraction*/) {}
    virtual void pageStored(const QString& path, int page, int pageCount) = 0;
    // The office is done with the document; the pages still to come are written without it.
    virtual void officeDone(const QString& /*path*/) {}
    // A failure, as it happens, by kind; the result lists them all again.
    virtual void failed(const QString& path, const SplitFailure& failure) = 0;
    // A note on the document that is not a failure (another method took over, older pages remain).
    virtual void noted(const QString& path, const QString& text) = 0;
    virtual void documentFinished(const DocumentResult& result) = 0;
    // Called now and then from the thread that runs the job, for a live display.
    virtual void idle() {}
};

// The offices a split job runs on: one for each of its parallel jobs, made when the job starts.
using JobOfficeFactory = std::function<std::unique_ptr<JobOffice>(int job)>;
// The engine a job splits with, on that job's office: the one the configuration chooses, or a
// test's double.
using SplitEngineFactory = std::function<std::unique_ptr<SplitEngine>(office::OfficeSession& office)>;
// How a job prints documents to check the outputs (EngineChoice::verify): the office's PDF rendered by
// poppler, or a test's double.
using PrintedPagesFactory = std::function<std::unique_ptr<PrintedPageSource>(office::OfficeSession& office)>;

// Everything a split job needs to know, filled by either face: from the options of the command
// line, or from the window's list, folder box and settings.
struct SplitJobConfig {
    QStringList documents;  // in the order they are split
    QString outputFolder;   // ends in a separator
    EngineChoice engine;
    int jobs = 1;
    std::chrono::milliseconds timeout{0};  // per document; 0: none
    // Where set, each document's deadline (0: none), in place of `timeout`.
    std::function<std::chrono::milliseconds(const QString& document)> deadlineOf;
    // Time added to a running deadline for each page, once the office has counted the pages: the
    // engines' work after the layout grows with them (the copy method's most).
    std::chrono::milliseconds deadlinePerPage{0};
    // Asked now and then by the thread that runs the job; once it answers true, no further document
    // is started and the jobs' offices are stopped, so that the documents being split end soon.
    std::function<bool()> stopRequested;
    // Files of the run other than the documents split here, such as another shard's documents: no page
    // may replace them either.
    QStringList otherInputs;
    // The office's reports of how far a load, a layout or a store has come (stageAdvanced): each is a
    // round trip that the office waits for, one a page in a PDF export. A run that shows no live
    // progress goes without them.
    bool officeProgress = true;
};

// The one way documents are split. Documents whose outputs have the same names are split in order by
// one job; the others are split `jobs` at a time, one document at a time per office. For each
// document: the engine the configuration chooses, the office reached once, a deadline, the lock files
// a lost office left cleared, the older pages of an earlier split looked for, and where the choice asks
// for it, the outputs printed and checked against the input's pages while the office is still the
// document's (the deadline covers the check too).
class SplitJob {
public:
    SplitJob(SplitJobConfig config, JobOfficeFactory makeOffice, SplitJobEvents& events,
             SplitEngineFactory makeEngine = {}, PrintedPagesFactory makePrintedPages = {});

    // One result per document started, in the order the documents are given.
    QList<DocumentResult> run();

    static constexpr std::chrono::milliseconds kIdleInterval{250};

private:
    class Job;

    SplitJobConfig config_;
    JobOfficeFactory makeOffice_;
    SplitJobEvents& events_;
    SplitEngineFactory makeEngine_;
    PrintedPagesFactory makePrintedPages_;
};

}  // namespace fk
