#pragma once

#include <QList>
#include <QString>

#include "base/Failure.h"

#include "split/OutputNames.h"
#include "split/ProtectedPaths.h"

namespace fk {

// Where in the splitting of one document something went wrong.
enum class SplitStage { Connect, Open, CountPages, Mark, Copy, Store, NextPage, Close, Slice, Verify };

QString StageName(SplitStage stage);

// What an engine that works call by call was doing within a stage when it failed.
enum class SplitAction {
    Unnamed,        // the stage says all there is
    CountPages,     // the office's first count of the pages it laid out
    SettleLayout,   // counting again until the layout stands still
    GoToFirstPage,  // the cursor put on the first page before copying
    SelectPage,
    CopyPage,
    NamePage,  // the page's file named, and an input's name refused
    NewDocument,
    PastePage,
    StorePage,
    ClosePage,
    CloseDocument,
};

struct SplitFailure {
    SplitStage stage = SplitStage::Open;
    int page = 0;  // 1-based; 0 where no page applies
    QString message;
    SplitAction action = SplitAction::Unnamed;
    FailureKind kind = FailureKind::Other;
};

struct SplitResult {
    int pageCount = 0;  // 0 while unknown
    int pagesStored = 0;
    QList<SplitFailure> failures;
    QString method;  // which engine made the pages
    // Documents a complete split writes when a page selection makes it other than one per page; -1:
    // one per page. pagesStored then counts those documents.
    int outputsExpected = -1;
    // The number a complete split's last document carries where a page selection makes it other than
    // the page count (0: none); -1: the page count.
    int lastNumber = -1;

    // Where the document was cut at its headings: one entry per part, in order, written or not.
    struct Part {
        QString heading;  // empty for the matter before the first heading
        int firstPage = 0;
        int lastPage = 0;
    };
    QList<Part> parts;

    int expectedOutputs() const { return outputsExpected >= 0 ? outputsExpected : pageCount; }
    int lastOutputNumber() const { return lastNumber >= 0 ? lastNumber : pageCount; }
    bool succeeded() const { return failures.isEmpty() && pageCount > 0 && pagesStored == expectedOutputs(); }
};

// Told as a document is split; every call is made on the thread that runs the engine.
class SplitObserver {
public:
    virtual ~SplitObserver() = default;
    // The split has reached a stage (opened, laid out and counted, marked, stored, cut), told once as
    // each begins; pages are told as they are stored.
    virtual void stageReached(SplitStage /*stage*/) {}
    // How far the stage the split is in has come, 0 to 1, as the office reports it (its load, layout,
    // store, and our marking). The one call besides stopRequested that may come from another thread:
    // the office reports while the engine waits in its call.
    virtual void stageAdvanced(double /*fraction*/) {}
    virtual void pageCountKnown(int /*pageCount*/) {}
    // How many documents a complete split writes, where that is other than one per page; told before
    // the first is stored.
    virtual void outputCountKnown(int /*outputCount*/) {}
    virtual void pageStored(int /*page*/, const QString& /*path*/) {}
    // Each failure as it happens; the result lists them all again.
    virtual void failed(const SplitFailure& /*failure*/) {}
    // A note for the user that is not a failure (for example that another method took over).
    virtual void noted(const QString& /*text*/) {}
    // The office's part of the split is over: the engine goes on without it (writing pages), and the
    // office may take the next document meanwhile. Engines that need the office to the end never call it.
    virtual void officeDone() {}
    // Whether the run was asked to stop: an engine then writes no further output. The one call that may
    // come from any of the engine's threads.
    virtual bool stopRequested() const { return false; }
};

// Splits one document into one document per page: NAME_0001.odt, NAME_0002.odt ... in the output folder.
// A page whose file would replace one of `inputs` (the run's documents) is not stored but failed.
//
// Threads: split() runs on the thread that calls it, and makes every observer call on that thread, in
// order; threads an engine starts for its own work (SlicePageEngine writes pages on a few) never call
// the observer. The window calls split() on its own thread, one document after the other.
// folioknife-split calls it on a thread for each document, with one engine and one office per job: once
// a split has called officeDone(), the job's next document starts on the same engine while the first
// still writes its pages. So an engine keeps nothing of one document in its members, and the office
// bridge serves one split() at a time, the one that has not yet called officeDone().
class SplitEngine {
public:
    virtual ~SplitEngine() = default;
    virtual SplitResult split(const QString& documentPath, const QString& outputFolder,
                              const ProtectedPaths& inputs, SplitObserver& observer) = 0;
};

}  // namespace fk
