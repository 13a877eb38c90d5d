#include "split/SplitJob.h"

#include <QElapsedTimer>
#include <QHash>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "base/Failure.h"
#include "split/DocumentWatchdog.h"
#include "split/LeftoverFiles.h"
#include "split/OfficePrintedPages.h"
#include "split/OlderPages.h"
#include "split/OutputNames.h"

namespace fk {

namespace {

// Hands the groups out to the jobs and serializes the observer.
class WorkQueue {
public:
    WorkQueue(const QList<QStringList>& groups, SplitJobEvents& observer, std::function<bool()> stopRequested)
        : groups_(groups), observer_(observer), stopRequested_(std::move(stopRequested)) {}

    const QStringList* nextGroup() {
        const std::lock_guard lock(mutex_);
        if (stopping_) return nullptr;
        return next_ < groups_.size() ? &groups_[next_++] : nullptr;
    }

    // Asked as well as told: a signal may have stopped the offices before the run has seen it, and the
    // failures that follows are the stop's.
    bool stopping() const { return stopping_ || (stopRequested_ && stopRequested_()); }

    // The offices to stop when the run is stopped: each job's while it lives.
    void enlist(JobOffice* office) {
        const std::lock_guard lock(mutex_);
        offices_.push_back(office);
    }
    void discharge(JobOffice* office) {
        const std::lock_guard lock(mutex_);
        std::erase(offices_, office);
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

    // Waits for every job, letting the observer show progress meanwhile, and stops the run when asked.
    void waitForJobs(int jobs) {
        std::unique_lock lock(mutex_);
        while (endedJobs_ < jobs) {
            if (!stopping_ && stopRequested_ && stopRequested_()) stopLocked();
            ended_.wait_for(lock, SplitJob::kIdleInterval);
            observer_.idle();
        }
    }

    // No further document is started, and the offices are stopped.
    void stop() {
        const std::lock_guard lock(mutex_);
        stopLocked();
    }

    QList<DocumentResult> results() {
        const std::lock_guard lock(mutex_);
        return results_;
    }

private:
    void stopLocked() {
        stopping_ = true;
        for (JobOffice* office : offices_) office->abandon();
    }

    const QList<QStringList>& groups_;
    SplitJobEvents& observer_;
    std::function<bool()> stopRequested_;
    std::mutex mutex_;
    std::condition_variable ended_;
    qsizetype next_ = 0;
    int endedJobs_ = 0;
    std::atomic<bool> stopping_ = false;
    std::vector<JobOffice*> offices_;
    QList<DocumentResult> results_;
};

// A job's office, to be stopped with the run while the job lives.
class EnlistedOffice {
public:
    EnlistedOffice(WorkQueue& queue, JobOffice& office) : queue_(queue), office_(office) {
        queue_.enlist(&office_);
    }
    ~EnlistedOffice() { queue_.discharge(&office_); }
    EnlistedOffice(const EnlistedOffice&) = delete;
    EnlistedOffice& operator=(const EnlistedOffice&) = delete;

private:
    WorkQueue& queue_;
    JobOffice& office_;
};

// Forwards to the observer under the queue's lock.
class SerializedObserver : public SplitJobEvents {
public:
    explicit SerializedObserver(WorkQueue& queue) : queue_(queue) {}
    void documentStarted(const QString& path) override {
        queue_.tell([&](SplitJobEvents& o) { o.documentStarted(path); });
    }
    void pageStored(const QString& path, int page, int pageCount) override {
        queue_.tell([&](SplitJobEvents& o) { o.pageStored(path, page, pageCount); });
    }
    void stageReached(const QString& path, SplitStage stage) override {
        queue_.tell([&](SplitJobEvents& o) { o.stageReached(path, stage); });
    }
    void officeDone(const QString& path) override {
        queue_.tell([&](SplitJobEvents& o) { o.officeDone(path); });
    }
    void stageAdvanced(const QString& path, SplitStage stage, double fraction) override {
        queue_.tell([&](SplitJobEvents& o) { o.stageAdvanced(path, stage, fraction); });
    }
    void failed(const QString& path, const SplitFailure& failure) override {
        queue_.tell([&](SplitJobEvents& o) { o.failed(path, failure); });
    }
    void noted(const QString& path, const QString& text) override {
        queue_.tell([&](SplitJobEvents& o) { o.noted(path, text); });
    }
    void documentFinished(const DocumentResult& result) override {
        queue_.tell([&](SplitJobEvents& o) { o.documentFinished(result); });
    }

private:
    WorkQueue& queue_;
};

}  // namespace

// The moment a document's office part ends (the engine says so, or the split is over), told once to
// the job, which then gives the office the next document.
class OfficeHandoff {
public:
    std::function<void()> onRelease;  // runs once, on the releasing thread

    void release() {
        {
            const std::lock_guard lock(mutex_);
            if (released_) return;
            released_ = true;
            if (onRelease) onRelease();
        }
        changed_.notify_all();
    }
    void waitForRelease() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return released_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool released_ = false;
};

// The office's reports of how far its calls have come go to a document's observer while the engine
// splits it. The office may hold the report longer (the next document replaces it), so it reaches the
// observer through a target this ends.
class OfficeReports {
public:
    OfficeReports(office::DocumentStore& documents, SplitObserver& observer)
        : target_(std::make_shared<Target>()) {
        target_->observer = &observer;
        documents.reportProgressTo([target = target_](double fraction) {
            const std::lock_guard lock(target->mutex);
            if (target->observer != nullptr) target->observer->stageAdvanced(fraction);
        });
    }
    ~OfficeReports() {
        const std::lock_guard lock(target_->mutex);
        target_->observer = nullptr;
    }
    OfficeReports(const OfficeReports&) = delete;
    OfficeReports& operator=(const OfficeReports&) = delete;

private:
    struct Target {
        std::mutex mutex;
        SplitObserver* observer = nullptr;
    };
    std::shared_ptr<Target> target_;
};

// A failure after the run was asked to stop: the office was stopped under the engine, which is not the
// office's failure nor the document's.
SplitFailure Interrupted(SplitFailure failure) {
    failure.kind = FailureKind::Interrupted;
    return failure;
}

// Passes what the engine tells about one document on to the job's events.
class DocumentObserver : public SplitObserver {
public:
    DocumentObserver(DocumentResult& result, SplitJobEvents& events, OfficeHandoff& handoff,
                     std::atomic<SplitStage>& stage, const WorkQueue& queue, bool keepOffice,
                     const std::atomic<bool>& expired, const PageSelection& selection,
                     std::function<void(int pageCount)> onPageCount)
        : result_(result),
          events_(events),
          handoff_(handoff),
          stage_(stage),
          queue_(queue),
          keepOffice_(keepOffice),
          expired_(expired),
          selection_(selection),
          onPageCount_(std::move(onPageCount)) {}
    void stageReached(SplitStage stage) override {
        stage_ = stage;
        events_.stageReached(result_.path, stage);
    }
    // Reports are told with the stage they come in; the engine's thread may move on meanwhile, which
    // only makes the report count towards the next stage's start.
    void stageAdvanced(double fraction) override { events_.stageAdvanced(result_.path, stage_, fraction); }
    void pageCountKnown(int pageCount) override {
        result_.split.pageCount = pageCount;
        if (onPageCount_) onPageCount_(pageCount);
    }
    void outputCountKnown(int outputCount) override { result_.split.outputsExpected = outputCount; }
    void pageStored(int page, const QString& path) override {
        ++result_.split.pagesStored;
        result_.morePagesHeld += pagesIn(page) - 1;
        result_.outputs << path;
        stored_.append({page, path});
        events_.pageStored(result_.path, page, result_.split.expectedOutputs());
    }
    // What an office stopped under the engine makes it fail is the stop's doing, told once as such: the
    // deadline's by the job when the document ends, an interruption's here at its first failure.
    void failed(const SplitFailure& failure) override {
        if (expired_) return;
        if (queue_.stopping()) {
            if (!interruptionTold_) events_.failed(result_.path, Interrupted(failure));
            interruptionTold_ = true;
            return;
        }
        ++failuresBeforeStop_;
        events_.failed(result_.path, failure);
    }
    // The engine's failures come in the order it tells them; those after these are the stop's.
    qsizetype failuresBeforeStop() const { return failuresBeforeStop_; }
    void noted(const QString& text) override { events_.noted(result_.path, text); }
    // Outputs that are to be checked need the office once they are all written.
    void officeDone() override {
        events_.officeDone(result_.path);
        if (!keepOffice_) handoff_.release();
    }
    const QList<StoredOutput>& stored() const { return stored_; }
    bool stopRequested() const override { return queue_.stopping(); }

private:
    DocumentResult& result_;
    SplitJobEvents& events_;
    OfficeHandoff& handoff_;
    std::atomic<SplitStage>& stage_;
    const WorkQueue& queue_;
    // The pages output `number` holds: those the selection gives it, where a selection groups pages.
    int pagesIn(int number) {
        if (selection_.isEveryPage() || result_.split.pageCount <= 0) return 1;
        if (planned_.empty()) planned_ = selection_.outputs(result_.split.pageCount);
        const auto output =
            std::find_if(planned_.begin(), planned_.end(),
                         [number](const PageSelection::Output& o) { return o.number == number; });
        return output == planned_.end() ? 1 : output->last - output->first + 1;
    }

    const bool keepOffice_;
    const std::atomic<bool>& expired_;
    const PageSelection& selection_;
    std::function<void(int pageCount)> onPageCount_;
    std::vector<PageSelection::Output> planned_;
    qsizetype failuresBeforeStop_ = 0;
    bool interruptionTold_ = false;
    QList<StoredOutput> stored_;
};

// A failure the office's going away caused: the engine saw a refused call, the job knows why.
void BlameLostOffice(SplitResult& split) {
    for (SplitFailure& failure : split.failures) {
        if (failure.kind == FailureKind::OfficeRefused) failure.kind = FailureKind::OfficeGone;
    }
}

class SplitJob::Job {
public:
    Job(const SplitJobConfig& config, const ProtectedPaths& inputs, JobOffice& office, SplitEngine& engine,
        PrintedPageSource* printer, WorkQueue& queue)
        : config_(config),
          inputs_(inputs),
          office_(office),
          engine_(engine),
          printer_(printer),
          queue_(queue),
          events_(queue),
          watchdog_([this, &office] {
              if (DocumentInFlight* document = armedFor_.load()) document->expired = true;
              office.abandon();
          }) {}

    // Each document is split on a thread of its own. Once its office part is over the office takes the
    // next document, while the pages of this one are still written; a group's documents, which write
    // the same names, never overlap.
    void run() {
        std::unique_ptr<DocumentInFlight> finishing;  // the document whose pages are still being written
        while (const QStringList* group = queue_.nextGroup()) {
            for (qsizetype index = 0; index < group->size(); ++index) {
                if (queue_.stopping()) break;
                if (index > 0) finishing.reset();
                const QString path = group->at(index);
                auto document = std::make_unique<DocumentInFlight>();
                DocumentInFlight& started = *document;
                started.deadline = deadlineOf(path);
                started.handoff.onRelease = [this, &started] {
                    started.timedOut = started.deadline.count() > 0 && watchdog_.disarm();
                    armedFor_ = nullptr;
                    // Asked here, on the document's thread, and only here: once handed back, the
                    // office may be stopped while the pages are still written.
                    started.officeLost = !office_.session().isAlive();
                };
                started.thread = std::thread([this, path, &started] { split(path, started); });
                started.handoff.waitForRelease();
                if (started.officeLost) clearLocksOfLostOffice(path);
                finishing = std::move(document);  // waits for the one before, so two at most
            }
        }
        // The last document has handed the office back: it goes while the pages are written.
        office_.release();
    }

private:
    struct DocumentInFlight {
        OfficeHandoff handoff;
        std::chrono::milliseconds deadline{0};                // 0: none
        std::atomic<bool> expired = false;                    // set as the deadline passes
        bool timedOut = false;                                // set when the handoff is released
        bool officeLost = false;                              // likewise
        std::atomic<SplitStage> stage = SplitStage::Connect;  // the last one the engine reached
        std::thread thread;
        ~DocumentInFlight() {
            if (thread.joinable()) thread.join();
        }
    };

    // Called on the document's thread, which alone reads `document.deadline` afterwards.
    void extendDeadline(DocumentInFlight& document, int pageCount) {
        if (document.deadline.count() <= 0 || config_.deadlinePerPage.count() <= 0 || pageCount <= 0) return;
        const std::chrono::milliseconds more = config_.deadlinePerPage * pageCount;
        document.deadline += more;
        watchdog_.extend(more);
    }

    std::chrono::milliseconds deadlineOf(const QString& path) const {
        return config_.deadlineOf ? config_.deadlineOf(path) : config_.timeout;
    }

    // Lock files are cleared as well as can be: the next document goes ahead either way.
    void clearLocksOfLostOffice(const QString& path) {
        try {
            office_.clearStaleLock(path);
            office_.clearLocksLeftIn(config_.outputFolder);
        } catch (...) {
        }
    }

    void fail(DocumentResult& result, const SplitFailure& failure) {
        result.split.failures.append(failure);
        try {
            events_.failed(result.path, failure);
        } catch (...) {
        }
    }

    // Nothing a document's split throws leaves its thread, memory running out included: it is that
    // document's failure, and the run goes on.
    void split(const QString& path, DocumentInFlight& document) {
        DocumentResult result;
        result.path = path;
        events_.documentStarted(path);
        QElapsedTimer clock;
        clock.start();
        try {
            splitOnOffice(path, document, result);
        } catch (...) {
            // As far as the job can tell: before the pages were counted the document was being opened.
            // A stopped office's doing is told below, as the stop.
            if (!document.expired && !queue_.stopping())
                fail(result, {result.split.pageCount > 0 ? SplitStage::Store : SplitStage::Open, 0,
                              DescriptionOf(std::current_exception(), QStringLiteral("unknown error")),
                              SplitAction::Unnamed, KindOf(std::current_exception())});
        }
        document.handoff.release();
        result.timedOut = result.timedOut || document.timedOut;
        result.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        result.interrupted = queue_.stopping() && !result.succeeded();
        if (result.timedOut) {
            fail(result,
                 {document.stage, 0,
                  QStringLiteral("the office did not finish this document within %1 s and was stopped")
                      .arg(QString::number(document.deadline.count() / 1000.0)),
                  SplitAction::Unnamed, FailureKind::TimedOut});
        }
        queue_.add(result);
        events_.documentFinished(result);
    }

    void splitOnOffice(const QString& path, DocumentInFlight& document, DocumentResult& result) {
        OfficeHandoff& handoff = document.handoff;
        // The office is started outside the deadline: a first start builds a profile and takes long.
        office_.clearStaleLock(path);
        try {
            office_.ensureStarted();
        } catch (const Failure& error) {
            // An office stopped by an interruption while it started did not fail to start.
            const FailureKind kind = queue_.stopping() ? FailureKind::Interrupted : error.kind();
            fail(result, {SplitStage::Connect, 0, error.message(), SplitAction::Unnamed, kind});
        }
        if (result.split.failures.isEmpty() && !queue_.stopping()) {
            // Parts cut at headings are counted as parts: their pages are not told apart.
            static const PageSelection everyPage;
            DocumentObserver tell(result, events_, handoff, document.stage, queue_, printer_ != nullptr,
                                  document.expired,
                                  config_.engine.headingLevel > 0 ? everyPage : config_.engine.pages,
                                  [this, &document](int pageCount) { extendDeadline(document, pageCount); });
            if (document.deadline.count() > 0) {
                armedFor_ = &document;
                watchdog_.arm(document.deadline);
            }
            std::optional<OfficeReports> reports;
            if (config_.officeProgress) reports.emplace(office_.session().documents(), tell);
            result.split = engine_.split(path, config_.outputFolder, inputs_, tell);
            if (printer_ != nullptr && !queue_.stopping() && !tell.stored().isEmpty())
                verify(path, tell, result);
            handoff.release();
            result.timedOut = document.timedOut;
            QList<SplitFailure>& failures = result.split.failures;
            if (document.expired) {
                // The deadline's failure, added when the document ends, stands for what the kill caused.
                failures.resize(std::min(failures.size(), tell.failuresBeforeStop()));
            } else if (queue_.stopping()) {
                if (failures.size() > tell.failuresBeforeStop()) {
                    failures[tell.failuresBeforeStop()] = Interrupted(failures[tell.failuresBeforeStop()]);
                    failures.resize(tell.failuresBeforeStop() + 1);
                }
            } else if (!result.timedOut && document.officeLost) {
                BlameLostOffice(result.split);
            }
            result.olderPages = OlderPagesAfter(config_.outputFolder, path, result.split.lastOutputNumber(),
                                                config_.engine.format);
            if (!result.olderPages.isEmpty()) {
                tell.noted(QStringLiteral("older pages remain beside the new ones: ") +
                           OlderPagesText(result.olderPages));
            }
        }
        handoff.release();
    }

    // Each output printed and judged against the input's pages; each one found wrong is a failed page,
    // and kept. An input that cannot be printed fails the check of the whole document.
    void verify(const QString& path, DocumentObserver& tell, DocumentResult& result) {
        tell.stageReached(SplitStage::Verify);
        const auto failVerify = [&](int page, const QString& message) {
            const SplitFailure failure{SplitStage::Verify, page, message};
            result.split.failures.append(failure);
            tell.failed(failure);
        };
        const int pageCount = result.split.pageCount;
        VerificationOutcome outcome;
        try {
            outcome = OutputVerification(*printer_).verify(path, tell.stored(),
                                                           config_.engine.pages.outputs(pageCount));
        } catch (...) {
            failVerify(0, QStringLiteral("the outputs were not checked: ") +
                              DescriptionOf(std::current_exception(), QStringLiteral("unknown error")));
            return;
        }
        result.verification = outcome.verdicts;
        for (const PageVerdict& verdict : outcome.verdicts) {
            if (!verdict.faithful()) failVerify(verdict.number, verdict.problem);
        }
        // A page the split did not find has no output to be judged: the input's printed count tells it.
        if (config_.engine.pages.isEveryPage() && outcome.inputPages > pageCount) {
            const QString missing =
                outcome.inputPages == pageCount + 1
                    ? QStringLiteral("page %1 has no output of its own").arg(outcome.inputPages)
                    : QStringLiteral("pages %1 to %2 have no output of their own")
                          .arg(pageCount + 1)
                          .arg(outcome.inputPages);
            failVerify(0, QStringLiteral("the input prints %1 pages, the split found %2: %3")
                              .arg(outcome.inputPages)
                              .arg(pageCount)
                              .arg(missing));
        }
    }

    const SplitJobConfig& config_;
    const ProtectedPaths& inputs_;
    JobOffice& office_;
    SplitEngine& engine_;
    PrintedPageSource* printer_;  // null: the outputs are not checked
    WorkQueue& queue_;
    SerializedObserver events_;
    std::atomic<DocumentInFlight*> armedFor_ = nullptr;  // the document whose deadline runs
    DocumentWatchdog watchdog_;
};

SplitJob::SplitJob(SplitJobConfig config, JobOfficeFactory makeOffice, SplitJobEvents& events,
                   SplitEngineFactory makeEngine, PrintedPagesFactory makePrintedPages)
    : config_(std::move(config)),
      makeOffice_(std::move(makeOffice)),
      events_(events),
      makeEngine_(std::move(makeEngine)),
      makePrintedPages_(std::move(makePrintedPages)) {
    if (!makePrintedPages_) {
        makePrintedPages_ = [](office::OfficeSession& office) {
            return std::make_unique<OfficePrintedPages>(office);
        };
    }
    if (!makeEngine_) {
        makeEngine_ = [choice = config_.engine](office::OfficeSession& office) {
            return MakeSplitEngine(choice, office);
        };
    }
}

QList<DocumentResult> SplitJob::run() {
    // A page a killed run of ours was storing, its private folder and the office's lock in it, would
    // stay in the output folder for good: no later run writes that name again.
    RemoveLeftoverTemporaries(config_.outputFolder);
    const QList<QStringList> groups = GroupBySharedOutputNames(config_.documents);
    WorkQueue queue(groups, events_, config_.stopRequested);
    if (config_.stopRequested && config_.stopRequested()) queue.stop();
    const ProtectedPaths inputs(config_.documents + config_.otherInputs);
    const int jobs = std::max(1, std::min<int>(config_.jobs, static_cast<int>(groups.size())));
    std::vector<std::thread> threads;
    threads.reserve(jobs);
    for (int job = 0; job < jobs; ++job) {
        threads.emplace_back([this, job, &queue, &inputs] {
            try {
                const std::unique_ptr<JobOffice> office = makeOffice_(job);
                const std::unique_ptr<SplitEngine> engine = makeEngine_(office->session());
                // Parts cut at headings span pages a chapter may open anywhere on: not checked.
                const bool verifying = config_.engine.verify && config_.engine.headingLevel == 0;
                const std::unique_ptr<PrintedPageSource> printer =
                    verifying ? makePrintedPages_(office->session()) : nullptr;
                const EnlistedOffice enlisted(queue, *office);
                Job(config_, inputs, *office, *engine, printer.get(), queue).run();
            } catch (...) {
                // A job that cannot go on ends; the other jobs take the documents it did not start.
            }
            queue.jobEnded();
        });
    }
    queue.waitForJobs(jobs);
    for (std::thread& thread : threads) thread.join();
    // Documents end in any order (several jobs, and pages written while the next document is opened);
    // the results keep the order the documents were given in.
    QHash<QString, qsizetype> position;
    for (qsizetype index = config_.documents.size() - 1; index >= 0; --index)
        position.insert(config_.documents[index], index);
    QList<DocumentResult> results = queue.results();
    std::stable_sort(results.begin(), results.end(), [&](const DocumentResult& a, const DocumentResult& b) {
        return position.value(a.path) < position.value(b.path);
    });
    return results;
}

}  // namespace fk
