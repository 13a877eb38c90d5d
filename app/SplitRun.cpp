#include "app/SplitRun.h"

#include "app/RuntimeError.h"
#include "app/WindowPointer.h"
#include "fsutil/FileHelpers.h"
#include "split/OlderPages.h"

namespace fk {

namespace {

// Shows each failure of the engine the moment it happens, as the handler's error report.
class ReportingObserver : public SplitObserver {
public:
    explicit ReportingObserver(ProcedureTrap& trap) : trap_(trap) {}
    void failed(const SplitFailure& failure) override {
        trap_.reportAt(failure.step > 0 ? failure.step : kFirstDocumentStep, failure.message);
    }

private:
    static constexpr int kFirstDocumentStep = 120;
    ProcedureTrap& trap_;
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
            trap.step(112, [&] {
                const int divisor = window_.documentCount();
                if (divisor == 0) throw RuntimeError(11, QStringLiteral("Division by zero"));
                window_.setProgressValue(static_cast<double>(i) / divisor * 100.0);
            });
            trap.step(114, [&] {
                window_.setProgressText(QStringLiteral("Processing: ") + GetFileNameFromPath(path));
            });
            trap.step(116, [&] { window_.yield(); });
            trap.step(118, [&] { window_.setPointer(WindowPointer::kHourglass); });
            ReportingObserver reports(trap);
            const QString folder = window_.outputFolderText();
            const SplitResult result = engine_.split(path, folder, inputs, reports);  // 120-172
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
