#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include "app/ProcedureTrap.h"
#include "app/Prompts.h"
#include "split/JsonReport.h"
#include "split/SplitJob.h"

namespace fk {

// What the split run reads from and shows on the main window; every call is made on the window's
// thread.
class SplitRunWindow {
public:
    virtual ~SplitRunWindow() = default;
    virtual int documentCount() = 0;
    // 1-based; throws RuntimeError when the row is gone.
    virtual QString documentText(int index) = 0;
    virtual QString outputFolderText() = 0;
    // The folder the window offers before the user picks one; empty when there is none.
    virtual QString defaultOutputFolderText() { return {}; }
    virtual void setProgressValue(double percent) = 0;
    virtual void setProgressText(const QString& text) = 0;
    virtual void setPointer(int pointer) = 0;
    // Told after each step of the run the window shows (a document begun, a page stored).
    virtual void yield() = 0;
};

inline const QString kDoneMessage = QStringLiteral("Done.");
inline const QString kNoFolderMessage =
    QStringLiteral("Folder does not exist. Please select another folder.");
inline const QString kNoFilesMessage = QStringLiteral("No files added.");
inline const QString kIdleProgressText = QStringLiteral("Progress Bar");
inline const QString kReportNotWrittenMessage = QStringLiteral("The run's report was not written: ");
inline const QString kOlderPagesMessage = QStringLiteral("Older pages remain beside the new ones:");

// A failure of the split in the words of the window's error report. A document that cannot be opened
// is named by its path, with why in the user's words.
QString ReportText(const QString& path, const SplitFailure& failure);

// The run's last message: "Done." when every document was split and pages were stored; otherwise it
// also says how many documents were split and how many pages stored, as reports may have scrolled by.
QString RunEndMessage(int documents, int documentsSplit, int pagesStored);

// Writes the report of a run at `reportFile` (relative to `outputFolder`), as folioknife-split's --json
// does; returns why it was not written, empty when it was.
QString WriteRunReport(const QString& reportFile, const QString& outputFolder, const RunRecord& run);

// "Start Splitting": the listed documents, as the list holds them when the run starts, are split by
// the split job on a thread of its own, so that the window stays painted and answers while the office
// loads and lays out a long document. The job's events come back to the window's thread, where its
// failures are shown as the error report of this handler, under the step that failed.
struct SplitRunSettings {
    QString reportFile;  // the "Report" setting; empty for none
    // The "Timeout" setting (0: none); unset, each document has the deadline its size gives it.
    std::optional<std::chrono::milliseconds> timeout;
    // Kills the window's office when a document's deadline passes; the next document starts a new one.
    std::function<void()> abandonOffice;
};

class SplitRun {
public:
    SplitRun(office::OfficeSession& office, EngineChoice engine, Prompts& prompts, SplitRunWindow& window,
             SplitEngineFactory makeEngine = {}, PrintedPagesFactory makePrintedPages = {},
             SplitRunSettings settings = {})
        : office_(office),
          engine_(std::move(engine)),
          prompts_(prompts),
          window_(window),
          makeEngine_(std::move(makeEngine)),
          makePrintedPages_(std::move(makePrintedPages)),
          settings_(std::move(settings)) {}

    void PushButton7_Click();
    bool IsSplitting() const { return isSplitting_; }

private:
    office::OfficeSession& office_;
    EngineChoice engine_;
    Prompts& prompts_;
    SplitRunWindow& window_;
    SplitEngineFactory makeEngine_;
    PrintedPagesFactory makePrintedPages_;
    SplitRunSettings settings_;
    bool isSplitting_ = false;
};

}  // namespace fk
