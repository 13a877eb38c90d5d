#pragma once

#include <QList>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>

#include "cli/JobOffice.h"
#include "split/SplitEngine.h"

namespace fk::cli {

struct DocumentResult {
    QString path;
    // The engine's result; while the document is being split, what it has told so far.
    SplitResult split;
    // Page documents of an earlier, longer split of this document, kept beside the new ones.
    QStringList olderPages;
    bool timedOut = false;
    double seconds = 0;
    QStringList outputs;  // the documents written, in order
    // The run was stopped while this document was being split.
    bool interrupted = false;

    bool succeeded() const { return split.succeeded() && !timedOut && !interrupted; }
};

// What a batch run tells as it goes; called from the documents' threads, one call at a time. The
// calls of two documents may interleave: a job's next document starts while the last one's pages are
// written.
class BatchObserver {
public:
    virtual ~BatchObserver() = default;
    virtual void documentStarted(const QString& path) = 0;
    virtual void pageStored(const QString& path, int page, int pageCount) = 0;
    // A failure or a note on the document, one line.
    virtual void report(const QString& path, const QString& text) = 0;
    virtual void documentFinished(const DocumentResult& result) = 0;
    // Called now and then from the thread that runs the batch, for a live display.
    virtual void idle() {}
};

struct BatchSettings {
    QString outputFolder;  // ends in a separator
    int jobs = 1;
    std::chrono::milliseconds timeout{0};  // 0: none
    // Asked now and then by the thread that runs the batch; once it answers true, no further document
    // is started and the jobs' offices are stopped, so that the documents being split end soon.
    std::function<bool()> stopRequested;
    bool verbose = false;  // failures carry the office's own words too
    // Files of the run other than the documents split here, such as another shard's documents: no page
    // may replace them either.
    QStringList otherInputs;
    // The outputs' format, whose extension the older pages of an earlier split bear.
    OutputFormat format = OutputFormat::Odt;
};

using JobOfficeFactory = std::function<std::unique_ptr<JobOffice>(int job)>;
// The engine a job splits with, working on that job's office.
using SplitEngineFactory = std::function<std::unique_ptr<SplitEngine>(office::OfficeSession& office)>;

// Splits groups of documents on `jobs` offices at once, one document at a time per office. A group's
// documents are split in order by one job.
class BatchSplit {
public:
    BatchSplit(BatchSettings settings, JobOfficeFactory makeOffice, SplitEngineFactory makeEngine,
               BatchObserver& observer);

    // One result per document started, in the order the documents are given.
    QList<DocumentResult> run(const QList<QStringList>& groups);

    static constexpr std::chrono::milliseconds kIdleInterval{250};

private:
    class Job;

    BatchSettings settings_;
    JobOfficeFactory makeOffice_;
    SplitEngineFactory makeEngine_;
    BatchObserver& observer_;
};

}  // namespace fk::cli
