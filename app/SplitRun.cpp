#include "app/SplitRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QHash>
#include <QObject>
#include <QSet>
#include <algorithm>
#include <deque>
#include <functional>
#include <thread>

#include "app/RuntimeError.h"
#include "app/SettingsKeys.h"
#include "app/WindowFileHelpers.h"
#include "app/WindowPointer.h"
#include "split/DocumentDeadline.h"
#include "split/DocumentWork.h"
#include "split/OlderPages.h"
#include "split/OutputFolderState.h"

namespace fk {

namespace {

// The numbered step of the copy procedure nearest to a stage of an engine that numbers no steps.
int StepOfStage(SplitStage stage) {
    switch (stage) {
        case SplitStage::Connect:
            return 120;
        case SplitStage::Open:
            return 124;
        case SplitStage::CountPages:
            return 134;
        case SplitStage::Copy:
            return 144;
        case SplitStage::Store:
        case SplitStage::Slice:
            return 158;
        case SplitStage::Mark:
        case SplitStage::NextPage:
            return 162;
        case SplitStage::Close:
        case SplitStage::Verify:
            return 170;
    }
    return 120;
}

// The line of the split procedure that failed: by what the engine was doing where it says, by the
// stage otherwise.
int StepOf(const SplitFailure& failure) {
    switch (failure.action) {
        case SplitAction::Unnamed:
            break;
        case SplitAction::CountPages:
            return 132;
        case SplitAction::SettleLayout:
            return 134;
        case SplitAction::GoToFirstPage:
            return 136;
        case SplitAction::SelectPage:
            return 142;
        case SplitAction::CopyPage:
            return 144;
        case SplitAction::NamePage:
            return 146;
        case SplitAction::NewDocument:
            return 148;
        case SplitAction::PastePage:
            return 152;
        case SplitAction::StorePage:
            return 158;
        case SplitAction::ClosePage:
            return 164;
        case SplitAction::CloseDocument:
            return 170;
    }
    return StepOfStage(failure.stage);
}

// A lower layer's words ("the document needs a password") as a sentence of the report.
QString Sentence(QString text) {
    text = text.trimmed();
    if (text.isEmpty()) return text;
    text[0] = text.at(0).toUpper();
    return text.endsWith(QLatin1Char('.')) ? text : text + QLatin1Char('.');
}

// Why a document could not be opened, in the user's words: the office's own ("Automation error" and a
// file URL) say nothing a user can act on.
QString OpeningReason(const SplitFailure& failure) {
    switch (failure.kind) {
        case FailureKind::Locked:
            // Who holds it, so that the user knows where to close it.
            return QStringLiteral(
                       "The document is open by %1; close it there, or remove its lock file if that office "
                       "is gone.")
                .arg(failure.message);
        case FailureKind::Password:
            return QStringLiteral("The document needs a password.");
        case FailureKind::OfficeRefused:
        case FailureKind::Damaged:
        case FailureKind::Other:
            return QStringLiteral("It may be damaged, or of a kind the office does not read.");
        default:
            return Sentence(RuntimeDescription(failure.kind, failure.message));
    }
}

// The pages of one document that the check found unlike the input's, in one report: a few lines, not
// a report per page.
QString VerifyReportText(const QString& path, const QList<SplitFailure>& failures) {
    constexpr qsizetype kShown = 10;
    QString text = QStringLiteral("Pages that do not print as the document's own (they are kept): ") + path;
    for (qsizetype index = 0; index < std::min(kShown, failures.size()); ++index) {
        const SplitFailure& failure = failures[index];
        text += QStringLiteral("\r\n") +
                (failure.page > 0 ? QStringLiteral("Page %1: ").arg(failure.page) : QString()) +
                failure.message;
    }
    if (failures.size() > kShown) text += QStringLiteral("\r\nAnd %1 more.").arg(failures.size() - kShown);
    return text;
}

}  // namespace

QString ReportText(const QString& path, const SplitFailure& failure) {
    const bool cannotOpen = failure.stage == SplitStage::Open && failure.kind != FailureKind::OfficeGone &&
                            failure.kind != FailureKind::OfficeUnreachable &&
                            failure.kind != FailureKind::OfficeMissing;
    if (cannotOpen)
        return QStringLiteral("The document cannot be opened: ") + path + QStringLiteral("\r\n") +
               OpeningReason(failure);
    return RuntimeDescription(failure.kind, failure.message);
}

namespace {

// The window's own office: reached before each document, and stopped by the job only when a
// document's deadline passes (the window stops it when it closes); the next document starts it
// again. The locks beside documents are the user's.
class WindowOffice : public JobOffice {
public:
    WindowOffice(office::OfficeSession& office, std::function<void()> abandon)
        : office_(office), abandon_(std::move(abandon)) {}
    office::OfficeSession& session() override { return office_; }
    void ensureStarted() override { office_.reach(); }
    void abandon() override {
        if (abandon_) abandon_();
    }
    void clearStaleLock(const QString&) override {}
    void clearLocksLeftIn(const QString&) override {}

private:
    office::OfficeSession& office_;
    std::function<void()> abandon_;
};

// Shows the job's events on the window, on the window's thread, one at a time and in order: an event
// that arrives while a report is on screen waits until it is answered.
class RunProgress {
public:
    RunProgress(ProcedureTrap& trap, SplitRunWindow& window) : trap_(trap), window_(window) {}

    void post(std::function<void(RunProgress&)> event) {
        pending_.push_back(std::move(event));
        if (handling_) return;
        handling_ = true;
        while (!pending_.empty()) {
            const auto next = std::move(pending_.front());
            pending_.pop_front();
            next(*this);
        }
        handling_ = false;
    }

    void documentStarted(const QString& path) {
        ++index_;
        DocumentProgress& document = documents_[path];
        document = {};
        current_ = path;
        shown_ = -1;
        // The bar stands at the documents done so far, and moves through this document's share as it
        // is laid out and its pages are stored.
        trap_.step(112, [&] {
            const int divisor = window_.documentCount();
            if (divisor == 0) throw RuntimeError(11, QStringLiteral("Division by zero"));
            share_ = 100.0 / divisor;
            document.shareStart = share_ * (index_ - 1);
            window_.setProgressValue(static_cast<double>(index_ - 1) / divisor * 100.0);
        });
        trap_.step(114, [&] {
            window_.setProgressText(QStringLiteral("Processing: ") + GetFileNameFromPath(path));
        });
        trap_.step(116, [&] { window_.yield(); });
    }

    void stageReached(const QString& path, SplitStage stage) {
        DocumentProgress& document = documents_[path];
        document.work.reached(stage);
        show(path, document.shareStart + share_ * document.work.done());
    }

    // The office's own reports move the bar through its load, layout, marking and store.
    void stageAdvanced(const QString& path, SplitStage stage, double fraction) {
        DocumentProgress& document = documents_[path];
        document.work.advanced(stage, fraction);
        show(path, document.shareStart + share_ * document.work.done());
    }

    void pageStored(const QString& path, int pageCount) {
        DocumentProgress& document = documents_[path];
        ++document.stored;
        if (pageCount > 0) {
            document.work.pagesStored(document.stored, pageCount);
            show(path, document.shareStart + share_ * document.work.done());
        }
        window_.yield();
    }

    void failed(const QString& path, const SplitFailure& failure) {
        // Pages that were not stored are told when the document is done: pages written side by side
        // can fail a moment before the folder shows why, and then they all have one cause.
        if (failure.stage == SplitStage::Store && failure.kind != FailureKind::ProtectedInput) {
            documents_[path].storeFailures << failure;
            return;
        }
        // Pages found unlike the input's are told together, once the check of the document is done.
        if (failure.stage == SplitStage::Verify) {
            documents_[path].verifyFailures << failure;
            return;
        }
        trap_.reportAt(StepOf(failure), ReportText(path, failure));
    }

    // The bar at the end of this document's share, and what was held back told. A folder that takes
    // no more files is told once per document, with the pages it cost, not once per page. The next
    // document may have started meanwhile: its office part begins while this one's pages are written.
    void documentFinished(const DocumentResult& result) {
        const DocumentProgress document = documents_.take(result.path);
        show(result.path, document.shareStart + share_);
        results << result;
        if (result.succeeded()) ++documentsSplit;
        pagesStored += result.split.pagesStored;
        if (!result.olderPages.isEmpty())
            olderPages << GetFileNameFromPath(result.path) + QStringLiteral(": ") +
                              OlderPagesText(result.olderPages);
        if (!document.verifyFailures.isEmpty())
            trap_.reportAt(StepOf(document.verifyFailures.first()),
                           VerifyReportText(result.path, document.verifyFailures));
        const QList<SplitFailure>& storeFailures = document.storeFailures;
        const auto refusal =
            std::find_if(storeFailures.cbegin(), storeFailures.cend(),
                         [](const SplitFailure& failure) { return RefusesEveryPage(failure.kind); });
        if (refusal == storeFailures.cend()) {
            for (const SplitFailure& failure : storeFailures)
                trap_.reportAt(StepOf(failure), ReportText(result.path, failure));
            return;
        }
        const int notStored = std::max(1, result.split.expectedOutputs() - result.split.pagesStored);
        trap_.reportAt(
            StepOf(*refusal),
            ReportText(result.path, *refusal) + QStringLiteral("\r\n") +
                (notStored == 1
                     ? QStringLiteral("1 page of this document was not stored.")
                     : QStringLiteral("%1 pages of this document were not stored.").arg(notStored)));
    }

    QStringList olderPages;         // by document, told once at the end
    QList<DocumentResult> results;  // in the order the documents ended
    int documentsSplit = 0;
    int pagesStored = 0;

private:
    struct DocumentProgress {
        double shareStart = 0;
        DocumentWork work;  // how far into its part of the bar the document is
        int stored = 0;
        QList<SplitFailure> storeFailures;
        QList<SplitFailure> verifyFailures;
    };

    // Only the document started last moves the bar: the one before it may still be writing pages.
    void show(const QString& path, double value) {
        if (path != current_ || value == shown_) return;
        shown_ = value;
        window_.setProgressValue(value);
    }

    ProcedureTrap& trap_;
    SplitRunWindow& window_;
    std::deque<std::function<void(RunProgress&)>> pending_;
    bool handling_ = false;
    int index_ = 0;
    double share_ = 0;
    double shown_ = -1;
    QString current_;
    QHash<QString, DocumentProgress> documents_;
};

// Passes the job's events from its threads to the window's, as queued calls.
class EventRelay : public SplitJobEvents {
public:
    EventRelay(QObject& windowThread, RunProgress& progress)
        : windowThread_(windowThread), progress_(progress) {}

    void documentStarted(const QString& path) override {
        relay([path](RunProgress& p) { p.documentStarted(path); });
    }
    void stageReached(const QString& path, SplitStage stage) override {
        relay([path, stage](RunProgress& p) { p.stageReached(path, stage); });
    }
    void stageAdvanced(const QString& path, SplitStage stage, double fraction) override {
        relay([path, stage, fraction](RunProgress& p) { p.stageAdvanced(path, stage, fraction); });
    }
    void pageStored(const QString& path, int, int pageCount) override {
        relay([path, pageCount](RunProgress& p) { p.pageStored(path, pageCount); });
    }
    void failed(const QString& path, const SplitFailure& failure) override {
        relay([path, failure](RunProgress& p) { p.failed(path, failure); });
    }
    void noted(const QString&, const QString&) override {}
    void documentFinished(const DocumentResult& result) override {
        relay([result](RunProgress& p) { p.documentFinished(result); });
    }
    void relay(std::function<void(RunProgress&)> event) {
        QMetaObject::invokeMethod(
            &windowThread_, [this, event = std::move(event)]() mutable { progress_.post(std::move(event)); },
            Qt::QueuedConnection);
    }

private:
    QObject& windowThread_;
    RunProgress& progress_;
};

// Runs the split job on a thread of its own and returns once it is done and its last event is shown;
// the window handles its events meanwhile.
void SplitInBackground(const SplitJobConfig& config, office::OfficeSession& office,
                       const std::function<void()>& abandonOffice, const SplitEngineFactory& makeEngine,
                       const PrintedPagesFactory& makePrintedPages, RunProgress& progress) {
    QObject windowThread;
    QEventLoop loop;
    EventRelay relay(windowThread, progress);
    bool finished = false;
    std::thread worker([&] {
        try {
            SplitJob(
                config, [&](int) { return std::make_unique<WindowOffice>(office, abandonOffice); }, relay,
                makeEngine, makePrintedPages)
                .run();
        } catch (...) {
            // The job reports each document's failures; nothing else may end the run unannounced.
        }
        relay.relay([&](RunProgress&) {
            finished = true;
            loop.quit();
        });
    });
    if (!finished) loop.exec();
    // An application that quits ends every event loop at once; the job's last events are still shown.
    while (!finished) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    worker.join();
}

// The default folder is made when it is missing (a new account may have no desktop folder yet). A
// folder the user typed is never made: a typing slip would put the pages somewhere unexpected.
bool OutputFolderReady(const QString& folder, const QString& defaultFolder) {
    if (FolderExists(folder)) return true;
    if (defaultFolder.isEmpty() || QDir::cleanPath(folder) != QDir::cleanPath(defaultFolder)) return false;
    return QDir().mkpath(folder);
}

}  // namespace

QString RunEndMessage(int documents, int documentsSplit, int pagesStored) {
    if (documentsSplit == documents && pagesStored > 0) return kDoneMessage;
    const QString split = QStringLiteral("%1 of %2 %3 split")
                              .arg(documentsSplit)
                              .arg(documents)
                              .arg(documents == 1 ? QStringLiteral("document") : QStringLiteral("documents"));
    const QString stored = pagesStored == 1 ? QStringLiteral("1 page stored")
                                            : QStringLiteral("%1 pages stored").arg(pagesStored);
    return kDoneMessage + QStringLiteral("\r\n") + split + QStringLiteral(", ") + stored + QLatin1Char('.');
}

QString WriteRunReport(const QString& reportFile, const QString& outputFolder, const RunRecord& run) {
    QString path = reportFile;
    if (path == QLatin1String("~") || path.startsWith(QStringLiteral("~/")))
        path = QDir::homePath() + path.mid(1);
    path = QDir::cleanPath(QDir(outputFolder).absoluteFilePath(path));
    QStringList inputs;
    for (const DocumentResult& result : run.results) inputs << result.path;
    inputs << run.notStarted;
    QString problem = JsonReportPathProblem(path, inputs, settings::kReport);
    if (problem.isEmpty()) problem = WriteJsonReport(path, run, QStringLiteral(FOLIOKNIFE_VERSION));
    return problem;
}

void SplitRun::PushButton7_Click() {
    ProcedureTrap trap(prompts_, procedure::kPushButton7);
    if (isSplitting_) return;  // 100
    trap.step(102, [&] { isSplitting_ = true; });

    if (trap.test(104, [&] { return window_.documentCount() == 0; })) {
        trap.step(186, [&] { prompts_.messageBox(kNoFilesMessage, kOkOnly); });
    } else if (trap.test(106, [&] {
                   return !OutputFolderReady(window_.outputFolderText(), window_.defaultOutputFolderText());
               })) {
        trap.step(184, [&] { prompts_.messageBox(kNoFolderMessage, kOkOnly); });
    } else {
        int count = 0;
        trap.step(108, [&] { count = window_.documentCount(); });
        QStringList documents;
        for (int i = 1; i <= count; ++i) trap.step(110, [&] { documents << window_.documentText(i); });
        trap.step(118, [&] { window_.setPointer(WindowPointer::kHourglass); });
        RunProgress progress(trap, window_);
        SplitJobConfig config;
        config.documents = documents;
        config.outputFolder = window_.outputFolderText();
        config.engine = engine_;
        config.engine.hideFallbackCopy = true;
        if (settings_.timeout) {
            config.timeout = *settings_.timeout;
        } else {
            config.deadlineOf = &DocumentDeadline::forDocument;
            config.deadlinePerPage = DocumentDeadline::kPerPage;
        }
        SplitInBackground(config, office_, settings_.abandonOffice, makeEngine_, makePrintedPages_, progress);
        trap.step(176, [&] { window_.setPointer(WindowPointer::kDefault); });
        trap.step(178, [&] { window_.setProgressValue(0); });
        trap.step(180, [&] { window_.setProgressText(kIdleProgressText); });
        if (!progress.olderPages.isEmpty()) {
            trap.step(181, [&] {
                prompts_.messageBox(kOlderPagesMessage + QStringLiteral("\r\n") +
                                        progress.olderPages.join(QStringLiteral("\r\n")),
                                    kOkExclamation);
            });
        }
        if (!settings_.reportFile.isEmpty()) {
            RunRecord run;
            run.results = progress.results;
            run.format = engine_.format;
            QSet<QString> ended;
            for (const DocumentResult& result : run.results) ended << result.path;
            for (const QString& document : documents)
                if (!ended.contains(document)) run.notStarted << document;
            const QString problem = WriteRunReport(settings_.reportFile, config.outputFolder, run);
            if (!problem.isEmpty()) prompts_.messageBox(kReportNotWrittenMessage + problem, kOkExclamation);
        }
        trap.step(182, [&] {
            prompts_.messageBox(RunEndMessage(static_cast<int>(documents.size()), progress.documentsSplit,
                                              progress.pagesStored),
                                kOkOnly);
        });
    }
    trap.step(188, [&] { isSplitting_ = false; });
}

}  // namespace fk
