#include "app/SplitRun.h"

#include <algorithm>
#include <optional>

#include "app/RuntimeError.h"
#include "app/WindowPointer.h"
#include "fsutil/FileHelpers.h"
#include "split/LockFile.h"
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
            return 170;
    }
    return 120;
}

// Shows the engine's failures as the handler's error report, and its pages on the progress bar.
// A folder that takes no more files is told once per document, with the pages it cost, not once
// per page.
class ReportingObserver : public SplitObserver {
public:
    ReportingObserver(ProcedureTrap& trap, SplitRunWindow& window, QString documentPath, double shareStart,
                      double share)
        : trap_(trap),
          window_(window),
          documentPath_(std::move(documentPath)),
          shareStart_(shareStart),
          share_(share) {}

    void pageCountKnown(int pageCount) override {
        pageCount_ = pageCount;
        window_.yield();
    }
    void pageStored(int /*page*/, const QString& /*path*/) override {
        ++stored_;
        if (pageCount_ > 0) {
            const double done = std::min(1.0, static_cast<double>(stored_) / pageCount_);
            show(shareStart_ + share_ * done);
        }
        window_.yield();
    }
    void failed(const SplitFailure& failure) override {
        // Pages that were not stored are told when the document is done: pages written side by side
        // can fail a moment before the folder shows why, and then they all have one cause.
        if (failure.stage == SplitStage::Store && failure.kind != FailureKind::ProtectedInput) {
            storeFailures_ << failure;
            return;
        }
        QString description = failure.message;
        // A document another office holds cannot be opened: the report says who, so that the user
        // knows where to close it.
        if (failure.stage == SplitStage::Open) {
            const QString holder = LockFile::holderOf(documentPath_);
            if (!holder.isEmpty())
                description += QStringLiteral(
                                   "\r\nThe document is open in %1; close it there, or remove its "
                                   "lock file if that office is gone.")
                                   .arg(holder);
        }
        trap_.reportAt(stepOf(failure), description);
    }

    // The bar at the end of this document's share, and what was held back told, once the engine is
    // done with the document.
    void documentDone(const SplitResult& result) {
        show(shareStart_ + share_);
        const auto refusal =
            std::find_if(storeFailures_.cbegin(), storeFailures_.cend(),
                         [](const SplitFailure& failure) { return RefusesEveryPage(failure.kind); });
        if (refusal == storeFailures_.cend()) {
            for (const SplitFailure& failure : storeFailures_)
                trap_.reportAt(stepOf(failure), failure.message);
            return;
        }
        const int notStored = std::max(1, result.expectedOutputs() - result.pagesStored);
        trap_.reportAt(
            stepOf(*refusal),
            refusal->message + QStringLiteral("\r\n") +
                (notStored == 1
                     ? QStringLiteral("1 page of this document was not stored.")
                     : QStringLiteral("%1 pages of this document were not stored.").arg(notStored)));
    }

private:
    void show(double value) {
        if (value == shown_) return;
        shown_ = value;
        window_.setProgressValue(value);
    }
    static int stepOf(const SplitFailure& failure) {
        return failure.step > 0 ? failure.step : StepOfStage(failure.stage);
    }

    ProcedureTrap& trap_;
    SplitRunWindow& window_;
    QString documentPath_;
    double shareStart_;
    double share_;
    int pageCount_ = 0;
    int stored_ = 0;
    double shown_ = -1;
    QList<SplitFailure> storeFailures_;
};

}  // namespace

ProtectedPaths SplitRun::listedDocuments() {
    QStringList rows;
    const int count = window_.documentCount();
    for (int i = 1; i <= count; ++i) {
        try {
            rows << window_.documentText(i);
        } catch (const Failure&) {
            // A row that is gone is reported where the run reaches it.
        }
    }
    return ProtectedPaths(rows);
}

void SplitRun::PushButton7_Click() {
    ProcedureTrap trap(prompts_, procedure::kPushButton7);
    if (isSplitting_) return;  // 100
    trap.step(102, [&] { isSplitting_ = true; });

    if (trap.test(104, [&] { return window_.documentCount() == 0; })) {
        trap.step(186, [&] { prompts_.messageBox(kNoFilesMessage, kOkOnly); });
    } else if (trap.test(106, [&] { return !FolderExists(window_.outputFolderText()); })) {
        trap.step(184, [&] { prompts_.messageBox(kNoFolderMessage, kOkOnly); });
    } else {
        int count = 0;
        QStringList olderPages;  // by document, told once at the end
        trap.step(108, [&] { count = window_.documentCount(); });
        const ProtectedPaths inputs = listedDocuments();
        for (int i = 1; i <= count; ++i) {
            QString path;
            // A row that vanished while the window yielded is not split in place of another.
            if (!trap.step(110, [&] { path = window_.documentText(i); })) continue;
            // The bar stands at the documents done so far, and moves through this document's share
            // as its pages are stored.
            double share = 0;
            trap.step(112, [&] {
                const int divisor = window_.documentCount();
                if (divisor == 0) throw RuntimeError(11, QStringLiteral("Division by zero"));
                share = 100.0 / divisor;
                window_.setProgressValue(static_cast<double>(i - 1) / divisor * 100.0);
            });
            trap.step(114, [&] {
                window_.setProgressText(QStringLiteral("Processing: ") + GetFileNameFromPath(path));
            });
            trap.step(116, [&] { window_.yield(); });
            trap.step(118, [&] { window_.setPointer(WindowPointer::kHourglass); });
            ReportingObserver reports(trap, window_, path, share * (i - 1), share);
            const QString folder = window_.outputFolderText();
            // The engines report their own failures; anything they let escape is reported under the
            // document's first step, and the run goes on.
            SplitResult result;
            trap.step(120, [&] { result = engine_.split(path, folder, inputs, reports); });  // 120-172
            trap.more([&] { reports.documentDone(result); });
            const QStringList older = OlderPagesAfter(folder, path, result.pageCount);
            if (!older.isEmpty())
                olderPages << GetFileNameFromPath(path) + QStringLiteral(": ") + OlderPagesText(older);
        }
        trap.step(176, [&] { window_.setPointer(WindowPointer::kDefault); });
        trap.step(178, [&] { window_.setProgressValue(0); });
        trap.step(180, [&] { window_.setProgressText(kIdleProgressText); });
        if (!olderPages.isEmpty()) {
            trap.step(181, [&] {
                prompts_.messageBox(
                    kOlderPagesMessage + QStringLiteral("\r\n") + olderPages.join(QStringLiteral("\r\n")),
                    kOkExclamation);
            });
        }
        trap.step(182, [&] { prompts_.messageBox(kDoneMessage, kOkOnly); });
    }
    trap.step(188, [&] { isSplitting_ = false; });
}

}  // namespace fk
