#pragma once

#include <QList>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>

#include "cli/JobOffice.h"

namespace fk::cli {

struct DocumentResult {
    QString path;
    int pageCount = 0;  // 0 while unknown
    int pagesStored = 0;
    int reports = 0;
    bool timedOut = false;
    double seconds = 0;

    bool succeeded() const { return reports == 0 && !timedOut && pageCount > 0 && pagesStored == pageCount; }
};

// What a batch run tells as it goes; called from the jobs' threads, one call at a time.
class BatchObserver {
public:
    virtual ~BatchObserver() = default;
    virtual void documentStarted(const QString& path) = 0;
    virtual void pageStored(const QString& path, int page, int pageCount) = 0;
    // An error report, in the words of the window's error report.
    virtual void report(const QString& path, const QString& text) = 0;
    virtual void documentFinished(const DocumentResult& result) = 0;
    // Called now and then from the thread that runs the batch, for a live display.
    virtual void idle() {}
};

struct BatchSettings {
    QString outputFolder;  // ends in a separator
    int jobs = 1;
    std::chrono::milliseconds timeout{0};  // 0: none
};

using JobOfficeFactory = std::function<std::unique_ptr<JobOffice>(int job)>;

// Splits groups of documents on `jobs` offices at once with the window's split run, one document at a
// time per office. A group's documents are split in order by one job.
class BatchSplit {
public:
    BatchSplit(BatchSettings settings, JobOfficeFactory makeOffice, BatchObserver& observer);

    QList<DocumentResult> run(const QList<QStringList>& groups);

    static constexpr std::chrono::milliseconds kIdleInterval{250};

private:
    class Job;

    BatchSettings settings_;
    JobOfficeFactory makeOffice_;
    BatchObserver& observer_;
};

}  // namespace fk::cli
