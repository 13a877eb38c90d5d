#include "cli/BatchSplit.h"

#include <QElapsedTimer>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "cli/DocumentWatchdog.h"
#include "cli/UnattendedPrompts.h"
#include "fsutil/RuntimeError.h"
#include "split/SplitRun.h"

namespace fk::cli {

namespace {

// The window the split run sees for one document: a list of one row and the output folder.
class DocumentWindow : public SplitRunWindow {
public:
    DocumentWindow(DocumentResult& result, const QString& outputFolder, BatchObserver& observer)
        : result_(result), outputFolder_(outputFolder), observer_(observer) {}

    int documentCount() override { return 1; }
    QString documentText(int index) override {
        if (index != 1) throw RuntimeError(381, QStringLiteral("Invalid property array index"));
        return result_.path;
    }
    QString outputFolderText() override { return outputFolder_; }
    void setProgressValue(double) override {}
    void setProgressText(const QString&) override {}
    void setPointer(int) override {}
    void yield() override {}
    void pageStored(int page, int pageCount) override {
        result_.pageCount = pageCount;
        ++result_.pagesStored;
        observer_.pageStored(result_.path, page, pageCount);
    }

private:
    DocumentResult& result_;
    const QString& outputFolder_;
    BatchObserver& observer_;
};

// The split run's messages: "Done." is the normal end, anything else is a report on the document.
class DocumentPrompts : public UnattendedPrompts {
public:
    DocumentPrompts(DocumentResult& result, BatchObserver& observer) : result_(result), observer_(observer) {}

    MessageAnswer messageBox(const QString& text, int, const QString&) override {
        if (text == kDoneMessage) return MessageAnswer::Ok;
        ++result_.reports;
        observer_.report(result_.path, text);
        return MessageAnswer::Ok;
    }

private:
    DocumentResult& result_;
    BatchObserver& observer_;
};

// Hands the groups out to the jobs and serializes the observer.
class WorkQueue {
public:
    explicit WorkQueue(const QList<QStringList>& groups, BatchObserver& observer)
        : groups_(groups), observer_(observer) {}

    const QStringList* nextGroup() {
        const std::lock_guard lock(mutex_);
        return next_ < groups_.size() ? &groups_[next_++] : nullptr;
    }

    template <typename Call>
    void tell(Call&& call) {
        const std::lock_guard lock(mutex_);
        call(observer_);
    }

    void add(const DocumentResult& result) {
        const std::lock_guard lock(mutex_);
        results_.append(result);
    }

    void jobEnded() {
        {
            const std::lock_guard lock(mutex_);
            ++endedJobs_;
        }
        ended_.notify_all();
    }

    // Waits for every job, letting the observer show progress meanwhile.
    void waitForJobs(int jobs) {
        std::unique_lock lock(mutex_);
        while (endedJobs_ < jobs) {
            ended_.wait_for(lock, BatchSplit::kIdleInterval);
            observer_.idle();
        }
    }

    QList<DocumentResult> results() {
        const std::lock_guard lock(mutex_);
        return results_;
    }

private:
    const QList<QStringList>& groups_;
    BatchObserver& observer_;
    std::mutex mutex_;
    std::condition_variable ended_;
    qsizetype next_ = 0;
    int endedJobs_ = 0;
    QList<DocumentResult> results_;
};

// Forwards to the observer under the queue's lock.
class SerializedObserver : public BatchObserver {
public:
    explicit SerializedObserver(WorkQueue& queue) : queue_(queue) {}
    void documentStarted(const QString& path) override {
        queue_.tell([&](BatchObserver& o) { o.documentStarted(path); });
    }
    void pageStored(const QString& path, int page, int pageCount) override {
        queue_.tell([&](BatchObserver& o) { o.pageStored(path, page, pageCount); });
    }
    void report(const QString& path, const QString& text) override {
        queue_.tell([&](BatchObserver& o) { o.report(path, text); });
    }
    void documentFinished(const DocumentResult& result) override {
        queue_.tell([&](BatchObserver& o) { o.documentFinished(result); });
    }

private:
    WorkQueue& queue_;
};

}  // namespace

class BatchSplit::Job {
public:
    Job(const BatchSettings& settings, JobOffice& office, WorkQueue& queue)
        : settings_(settings), office_(office), queue_(queue), observer_(queue), watchdog_([&office] {
              office.abandon();
          }) {}

    void run() {
        while (const QStringList* group = queue_.nextGroup()) {
            for (const QString& path : *group) split(path);
        }
    }

private:
    void split(const QString& path) {
        DocumentResult result;
        result.path = path;
        observer_.documentStarted(path);
        QElapsedTimer clock;
        clock.start();
        DocumentPrompts prompts(result, observer_);
        // The office is started outside the deadline: a first start builds a profile and takes long.
        office_.clearStaleLock(path);
        ProcedureTrap trap(prompts, procedure::kPushButton7);
        if (trap.step(120, [&] { office_.ensureStarted(); })) {
            DocumentWindow window(result, settings_.outputFolder, observer_);
            SplitRun run(office_.bridge(), prompts, window);
            if (settings_.timeout.count() > 0) watchdog_.arm(settings_.timeout);
            run.PushButton7_Click();
            result.timedOut = settings_.timeout.count() > 0 && watchdog_.disarm();
            if (!office_.bridge().isAlive()) {
                office_.clearStaleLock(path);
                office_.clearLocksLeftIn(settings_.outputFolder);
            }
        }
        result.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        if (result.timedOut) {
            observer_.report(path,
                             QStringLiteral("The office did not finish this document within %1 s and was "
                                            "stopped; a new office takes the next document.")
                                 .arg(std::chrono::duration<double>(settings_.timeout).count()));
        }
        queue_.add(result);
        observer_.documentFinished(result);
    }

    const BatchSettings& settings_;
    JobOffice& office_;
    WorkQueue& queue_;
    SerializedObserver observer_;
    DocumentWatchdog watchdog_;
};

BatchSplit::BatchSplit(BatchSettings settings, JobOfficeFactory makeOffice, BatchObserver& observer)
    : settings_(std::move(settings)), makeOffice_(std::move(makeOffice)), observer_(observer) {}

QList<DocumentResult> BatchSplit::run(const QList<QStringList>& groups) {
    WorkQueue queue(groups, observer_);
    const int jobs = std::max(1, std::min<int>(settings_.jobs, static_cast<int>(groups.size())));
    std::vector<std::thread> threads;
    threads.reserve(jobs);
    for (int job = 0; job < jobs; ++job) {
        threads.emplace_back([this, job, &queue] {
            {
                const std::unique_ptr<JobOffice> office = makeOffice_(job);
                Job(settings_, *office, queue).run();
            }
            queue.jobEnded();
        });
    }
    queue.waitForJobs(jobs);
    for (std::thread& thread : threads) thread.join();
    return queue.results();
}

}  // namespace fk::cli
