#include "split/SplitRun.h"

#include "fsutil/FileHelpers.h"
#include "fsutil/RuntimeError.h"
#include "split/MakePropertyValue.h"
#include "split/OutputProbe.h"

namespace fk {

namespace {

const QString kDesktopService = QStringLiteral("com.sun.star.frame.Desktop");
const QString kDispatchHelperService = QStringLiteral("com.sun.star.frame.DispatchHelper");
const QString kBlankFrame = QStringLiteral("_blank");
const QString kNewWriterDocument = QStringLiteral("private:factory/swriter");

// Runs the steps of one document and gives up on it once the office has gone away, so that a dead
// office costs one report and not one per remaining step.
class DocumentSteps {
public:
    DocumentSteps(ProcedureTrap& trap, office::OfficeBridge& bridge) : trap_(trap), bridge_(bridge) {}

    template <typename Step>
    bool run(int line, Step&& body) {
        if (officeLost_) return false;
        if (trap_.step(line, std::forward<Step>(body))) return true;
        officeLost_ = !bridge_.isAlive();
        return false;
    }
    bool officeLost() const { return officeLost_; }

private:
    ProcedureTrap& trap_;
    office::OfficeBridge& bridge_;
    bool officeLost_ = false;
};

}  // namespace

QString PageFilePath(const QString& outputFolderText, const QString& documentPath, int page) {
    return outputFolderText + RemoveExtension(GetFileNameFromPath(documentPath)) + QLatin1Char('_') +
           QStringLiteral("%1").arg(page, 4, 10, QLatin1Char('0')) + QStringLiteral(".odt");
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
        trap.step(108, [&] { count = window_.documentCount(); });
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
            trap.step(118, [&] { window_.setPointer(11); });
            splitDocument(trap, path);
        }
        trap.step(176, [&] { window_.setPointer(0); });
        trap.step(178, [&] { window_.setProgressValue(0); });
        trap.step(180, [&] { window_.setProgressText(kIdleProgressText); });
        trap.step(182, [&] { prompts_.messageBox(kDoneMessage, kOkOnly); });
    }
    trap.step(188, [&] { isSplitting_ = false; });
}

void SplitRun::ensureOnPage(const office::Ref& viewCursor, int page) {
    // The suite can leave the cursor elsewhere (a document that begins with a table, a table that
    // spans pages); copying from there would store another page's content again.
    if (bridge_.getPage(viewCursor) == page) return;
    bridge_.jumpToPage(viewCursor, page);
    if (bridge_.getPage(viewCursor) != page) {
        throw RuntimeError(440, QStringLiteral("The view cursor cannot be moved to page %1").arg(page));
    }
}

void SplitRun::dispatch(const office::Ref& dispatcher, const office::Ref& frame, const char* command) {
    bridge_.executeDispatch(dispatcher, frame, QString::fromLatin1(command), {}, 0, {});
}

void SplitRun::copyPageThatBeginsInATable(const office::Ref& dispatcher, const office::Ref& inputFrame,
                                          const office::Ref& pageFrame, const office::Ref& viewCursor,
                                          int page) {
    // Each table at the top of the page is copied whole; then the rest of the page as usual.
    for (int table = 0; table < kMaxLeadingTables; ++table) {
        dispatch(dispatcher, inputFrame, ".uno:SelectTable");
        dispatch(dispatcher, inputFrame, ".uno:Copy");
        dispatch(dispatcher, pageFrame, ".uno:GoToEndOfDoc");
        dispatch(dispatcher, pageFrame, ".uno:Paste");
        for (int row = 0; bridge_.isInTable(viewCursor); ++row) {
            if (row == kMaxTableRows)
                throw RuntimeError(440, QStringLiteral("A table on page %1 has no end").arg(page));
            dispatch(dispatcher, inputFrame, ".uno:GoDown");
        }
        if (bridge_.getPage(viewCursor) != page) return;  // the table filled the page
        dispatch(dispatcher, inputFrame, ".uno:GoToEndOfPageSel");
        if (!bridge_.isCollapsed(viewCursor)) {
            dispatch(dispatcher, inputFrame, ".uno:Copy");
            dispatch(dispatcher, pageFrame, ".uno:GoToEndOfDoc");
            dispatch(dispatcher, pageFrame, ".uno:Paste");
            return;
        }
        if (!bridge_.isInTable(viewCursor)) return;
    }
}

void SplitRun::splitDocument(ProcedureTrap& trap, const QString& path) {
    DocumentSteps steps(trap, bridge_);
    office::Ref serviceManager, desktop, input, dispatcher, controller, viewCursor, inputFrame;
    int pageCount = 0;
    const office::Arguments none;

    if (!steps.run(120, [&] { serviceManager = bridge_.createServiceManager(); })) return;
    if (!steps.run(122, [&] { desktop = bridge_.createInstance(serviceManager, kDesktopService); })) return;
    if (!steps.run(124, [&] {
            input = bridge_.loadComponentFromURL(desktop, ToFileUrl(path), kBlankFrame, 0, none);
        }))
        return;

    // Without any of these the pages cannot be found; one report is enough, then the document is closed.
    const bool usable = steps.run(126, [&] {
        dispatcher = bridge_.createInstance(serviceManager, kDispatchHelperService);
    }) && steps.run(128, [&] {
        controller = bridge_.getCurrentController(input);
    }) && steps.run(130, [&] {
        viewCursor = bridge_.getViewCursor(controller);
    }) && steps.run(132, [&] {
        bridge_.jumpToLastPage(viewCursor);
    }) && steps.run(134, [&] {
        pageCount = bridge_.getPage(viewCursor);
        if (pageCount < 1) throw RuntimeError(440, QStringLiteral("The document reports no pages"));
    }) && steps.run(136, [&] {
        bridge_.jumpToFirstPage(viewCursor);
        ensureOnPage(viewCursor, 1);
    }) && steps.run(138, [&] { inputFrame = bridge_.getFrame(bridge_.getCurrentController(input)); });

    for (int page = 1; usable && page <= pageCount; ++page) {  // 140
        // With nothing selected a copy would leave the clipboard as it was, and the paste would repeat
        // the page copied before. Nothing is selected on a blank page, and on a page that begins inside
        // a table: the office does not extend a selection out of a table cell.
        bool selected = false;
        bool startsInTable = false;
        steps.run(142, [&] {
            dispatch(dispatcher, inputFrame, ".uno:GoToEndOfPageSel");
            selected = !bridge_.isCollapsed(viewCursor);
            if (!selected) startsInTable = bridge_.isInTable(viewCursor);
        });
        if (selected) {
            steps.run(144, [&] { dispatch(dispatcher, inputFrame, ".uno:Copy"); });
        }
        QString pagePath;
        steps.run(146, [&] { pagePath = PageFilePath(window_.outputFolderText(), path, page); });
        office::Ref pageDocument, pageFrame;
        const bool pageOpen = steps.run(148, [&] {
            pageDocument = bridge_.loadComponentFromURL(desktop, kNewWriterDocument, kBlankFrame, 0, none);
        }) && steps.run(150, [&] {
            pageFrame = bridge_.getFrame(bridge_.getCurrentController(pageDocument));
        });
        if (pageOpen && selected) {
            steps.run(152, [&] { dispatch(dispatcher, pageFrame, ".uno:Paste"); });
        }
        if (pageOpen && startsInTable) {
            steps.run(152, [&] {
                copyPageThatBeginsInATable(dispatcher, inputFrame, pageFrame, viewCursor, page);
            });
        }
        office::Arguments store(2);
        steps.run(154,
                  [&] { store[0] = MakePropertyValue(bridge_, QStringLiteral("URL"), ToFileUrl(pagePath)); });
        steps.run(156, [&] {
            store[1] = MakePropertyValue(bridge_, QStringLiteral("FilterName"), QStringLiteral("writer8"));
        });
        if (pageOpen) {
            const bool stored = steps.run(158, [&] {
                const OutputProbe probe(pagePath);
                bridge_.executeDispatch(dispatcher, pageFrame, QStringLiteral(".uno:SaveAs"), {}, 0, store);
                probe.verifyWritten();
            });
            if (stored) window_.pageStored(page, pageCount);
        }
        bool onNextPage = true;
        if (page < pageCount) {  // 160
            onNextPage = steps.run(162, [&] {
                dispatch(dispatcher, inputFrame, ".uno:GoToStartOfNextPage");
                ensureOnPage(viewCursor, page + 1);
            });
        }
        if (pageDocument) steps.run(164, [&] { bridge_.Close(pageDocument, true); });
        pageDocument.reset();                          // 166
        if (!onNextPage || steps.officeLost()) break;  // 168
    }

    steps.run(170, [&] { bridge_.Close(input, true); });
    input.reset();  // 172
}

}  // namespace fk
