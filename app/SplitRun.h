#pragma once

#include "app/ProcedureTrap.h"
#include "base/Prompts.h"
#include "split/SplitEngine.h"

namespace fk {

// What the split run reads from and shows on the main window.
class SplitRunWindow {
public:
    virtual ~SplitRunWindow() = default;
    virtual int documentCount() = 0;
    // 1-based; throws RuntimeError when the row is gone.
    virtual QString documentText(int index) = 0;
    virtual QString outputFolderText() = 0;
    virtual void setProgressValue(double percent) = 0;
    virtual void setProgressText(const QString& text) = 0;
    virtual void setPointer(int pointer) = 0;
    // Lets the window handle pending events once.
    virtual void yield() = 0;
};

inline const QString kDoneMessage = QStringLiteral("Done.");
inline const QString kNoFolderMessage =
    QStringLiteral("Folder does not exist. Please select another folder.");
inline const QString kNoFilesMessage = QStringLiteral("No files added.");
inline const QString kIdleProgressText = QStringLiteral("Progress Bar");
inline const QString kOlderPagesMessage = QStringLiteral("Older pages remain beside the new ones:");

// "Start Splitting": every listed document is split into one-page documents by the split engine; its
// failures are shown as the error report of this handler, under the step that failed.
class SplitRun {
public:
    SplitRun(SplitEngine& engine, Prompts& prompts, SplitRunWindow& window)
        : engine_(engine), prompts_(prompts), window_(window) {}

    void PushButton7_Click();
    bool IsSplitting() const { return isSplitting_; }

private:
    // Every listed document: no page of the run may replace one of them.
    ProtectedPaths listedDocuments();

    SplitEngine& engine_;
    Prompts& prompts_;
    SplitRunWindow& window_;
    bool isSplitting_ = false;
};

}  // namespace fk
