#pragma once

#include "app/ProcedureTrap.h"
#include "app/Prompts.h"
#include "split/OfficeBridge.h"

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
    // Told after a page was stored; the main window has no use for it, the command line counts pages.
    virtual void pageStored(int /*page*/, int /*pageCount*/) {}
};

inline const QString kDoneMessage = QStringLiteral("Done.");
inline const QString kNoFolderMessage =
    QStringLiteral("Folder does not exist. Please select another folder.");
inline const QString kNoFilesMessage = QStringLiteral("No files added.");
inline const QString kIdleProgressText = QStringLiteral("Progress Bar");

// Output document path for one page: folder text, base name, "_", the page number as "0000", ".odt".
QString PageFilePath(const QString& outputFolderText, const QString& documentPath, int page);

// "Start Splitting": every listed document is split into one-page documents by the office suite.
class SplitRun {
public:
    SplitRun(office::OfficeBridge& bridge, Prompts& prompts, SplitRunWindow& window)
        : bridge_(bridge), prompts_(prompts), window_(window) {}

    void PushButton7_Click();
    bool IsSplitting() const { return isSplitting_; }

private:
    void splitDocument(ProcedureTrap& trap, const QString& path);
    void ensureOnPage(const office::Ref& viewCursor, int page);
    void dispatch(const office::Ref& dispatcher, const office::Ref& frame, const char* command);
    void copyPageThatBeginsInATable(const office::Ref& dispatcher, const office::Ref& inputFrame,
                                    const office::Ref& pageFrame, const office::Ref& viewCursor, int page);

    // Bounds for walking out of tables, so that a document the office misreports cannot hold the run.
    static constexpr int kMaxLeadingTables = 100;
    static constexpr int kMaxTableRows = 100000;

    office::OfficeBridge& bridge_;
    Prompts& prompts_;
    SplitRunWindow& window_;
    bool isSplitting_ = false;
};

}  // namespace fk
