#include "split/CopyPageEngine.h"

#include <optional>

#include "base/Failure.h"
#include "split/MakePropertyValue.h"
#include "split/OfficeServices.h"
#include "split/StagedPageFile.h"

namespace fk {

using office::kBlankFrame;
using office::kDesktopService;
using office::kDispatchHelperService;

namespace {

const QString kNewWriterDocument = QStringLiteral("private:factory/swriter");

}  // namespace

// Runs the numbered steps of one document: a step that throws becomes a failure, and the next step
// runs. Once the office has gone away the document is given up, so that a dead office costs one
// failure and not one per remaining step.
class CopyPageEngine::Steps {
public:
    Steps(office::OfficeBridge& bridge, SplitResult& result, SplitObserver& observer)
        : bridge_(bridge), result_(result), observer_(observer) {}

    template <typename Step>
    bool run(int line, SplitStage stage, int page, Step&& body) {
        if (officeLost_) return false;
        try {
            body();
            return true;
        } catch (...) {
            const SplitFailure failure{stage, page, DescriptionOf(std::current_exception()), line,
                                       KindOf(std::current_exception())};
            result_.failures.append(failure);
            observer_.failed(failure);
        }
        officeLost_ = !bridge_.isAlive();
        return false;
    }
    bool officeLost() const { return officeLost_; }

private:
    office::OfficeBridge& bridge_;
    SplitResult& result_;
    SplitObserver& observer_;
    bool officeLost_ = false;
};

CopyPageEngine::Arrival CopyPageEngine::jumpTo(const office::Ref& viewCursor, int page) {
    if (!bridge_.jumpToPage(viewCursor, page)) return Arrival::Refused;
    // The cursor's page is asked only at the page's start: right after a jump into a table that a
    // repeated heading row continues, the office still names the page before.
    bridge_.jumpToStartOfPage(viewCursor);
    return bridge_.getPage(viewCursor) == page ? Arrival::There : Arrival::Elsewhere;
}

bool CopyPageEngine::ensureOnPage(const office::Ref& viewCursor, int page, int pageCount) {
    // The suite can leave the cursor elsewhere (a document that begins with a table, a table that
    // spans pages); copying from there would store another page's content again.
    if (bridge_.getPage(viewCursor) == page) return true;
    const Arrival arrival = jumpTo(viewCursor, page);
    if (arrival == Arrival::There) return true;
    // A page the layout inserts blank (left and right page styles) refuses the cursor. It is never the
    // first or the last page, and the page after it takes the cursor.
    if (arrival == Arrival::Refused && page > 1 && page < pageCount &&
        jumpTo(viewCursor, page + 1) == Arrival::There)
        return false;
    throw Failure(FailureKind::OfficeRefused,
                  QStringLiteral("The view cursor cannot be moved to page %1").arg(page));
}

void CopyPageEngine::dispatch(const office::Ref& dispatcher, const office::Ref& frame, const char* command) {
    bridge_.executeDispatch(dispatcher, frame, QString::fromLatin1(command), {}, 0, {});
}

void CopyPageEngine::copyPageThatBeginsInATable(const office::Ref& dispatcher, const office::Ref& inputFrame,
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
                throw Failure(FailureKind::OfficeRefused,
                              QStringLiteral("A table on page %1 has no end").arg(page));
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

SplitResult CopyPageEngine::split(const QString& path, const QString& outputFolder,
                                  const ProtectedPaths& inputs, SplitObserver& observer) {
    SplitResult result;
    result.method = kMethod;
    Steps steps(bridge_, result, observer);
    office::Ref serviceManager, desktop, input, dispatcher, controller, viewCursor, inputFrame;
    int pageCount = 0;
    const office::Arguments none;

    if (!steps.run(120, SplitStage::Connect, 0, [&] { serviceManager = bridge_.createServiceManager(); }))
        return result;
    if (!steps.run(122, SplitStage::Connect, 0,
                   [&] { desktop = bridge_.createInstance(serviceManager, kDesktopService); }))
        return result;
    if (!steps.run(124, SplitStage::Open, 0, [&] {
            // Visible as ever, but nothing in the document may stop the office with a dialog.
            input = bridge_.loadComponentFromURL(desktop, ToFileUrl(path), kBlankFrame, 0,
                                                 office::UnattendedLoadArguments());
        }))
        return result;

    // Without any of these the pages cannot be found; one failure is enough, then the document is closed.
    const SplitStage counting = SplitStage::CountPages;
    const bool usable = steps.run(126, counting, 0, [&] {
        dispatcher = bridge_.createInstance(serviceManager, kDispatchHelperService);
    }) && steps.run(128, counting, 0, [&] {
        controller = bridge_.getCurrentController(input);
    }) && steps.run(130, counting, 0, [&] {
        viewCursor = bridge_.getViewCursor(controller);
    }) && steps.run(132, counting, 0, [&] {
        bridge_.jumpToLastPage(viewCursor);
    }) && steps.run(134, counting, 0, [&] {
        pageCount = bridge_.getPage(viewCursor);
        if (pageCount < 1)
            throw Failure(FailureKind::Damaged, QStringLiteral("The document reports no pages"));
        result.pageCount = pageCount;
        observer.pageCountKnown(pageCount);
    }) && steps.run(136, counting, 0, [&] {
        bridge_.jumpToFirstPage(viewCursor);
        ensureOnPage(viewCursor, 1, pageCount);
    }) && steps.run(138, counting, 0, [&] {
        inputFrame = bridge_.getFrame(bridge_.getCurrentController(input));
    });

    // The page is one the layout inserted blank: nothing is copied, an empty page is stored, and the
    // cursor already stands on the next page.
    bool blank = false;
    for (int page = 1; usable && page <= pageCount; ++page) {  // 140
        // With nothing selected a copy would leave the clipboard as it was, and the paste would repeat
        // the page copied before. Nothing is selected on a blank page, and on a page that begins inside
        // a table: the office does not extend a selection out of a table cell.
        bool selected = false;
        bool startsInTable = false;
        if (!blank) {
            steps.run(142, SplitStage::Copy, page, [&] {
                dispatch(dispatcher, inputFrame, ".uno:GoToEndOfPageSel");
                selected = !bridge_.isCollapsed(viewCursor);
                if (!selected) startsInTable = bridge_.isInTable(viewCursor);
            });
        }
        if (selected) {
            steps.run(144, SplitStage::Copy, page, [&] { dispatch(dispatcher, inputFrame, ".uno:Copy"); });
        }
        // The office stores under a private name; the page replaces whatever is at its name only once
        // it is complete, and a link there is replaced, not written through. A page that would replace
        // one of the run's documents is not made at all.
        std::optional<StagedPageFile> staged;
        const bool storable = steps.run(146, SplitStage::Store, page, [&] {
            const QString pagePath = PageFilePath(outputFolder, path, page);
            if (inputs.covers(pagePath))
                throw Failure(FailureKind::ProtectedInput, ProtectedPaths::refusal(pagePath));
            staged.emplace(pagePath);
        });
        office::Ref pageDocument, pageFrame;
        const bool pageOpen = storable && steps.run(148, SplitStage::Copy, page, [&] {
            pageDocument = bridge_.loadComponentFromURL(desktop, kNewWriterDocument, kBlankFrame, 0, none);
        }) && steps.run(150, SplitStage::Copy, page, [&] {
            pageFrame = bridge_.getFrame(bridge_.getCurrentController(pageDocument));
        });
        if (pageOpen && selected) {
            steps.run(152, SplitStage::Copy, page, [&] { dispatch(dispatcher, pageFrame, ".uno:Paste"); });
        }
        if (pageOpen && startsInTable) {
            steps.run(152, SplitStage::Copy, page, [&] {
                copyPageThatBeginsInATable(dispatcher, inputFrame, pageFrame, viewCursor, page);
            });
        }
        office::Arguments store(2);
        const bool described = storable && steps.run(154, SplitStage::Store, page, [&] {
            store[0] = MakePropertyValue(bridge_, QStringLiteral("URL"), ToFileUrl(staged->stagingPath()));
        }) && steps.run(156, SplitStage::Store, page, [&] {
            store[1] = MakePropertyValue(bridge_, QStringLiteral("FilterName"), QStringLiteral("writer8"));
        });
        if (pageOpen && described) {
            const bool stored = steps.run(158, SplitStage::Store, page, [&] {
                staged->reserve();
                bridge_.executeDispatch(dispatcher, pageFrame, QStringLiteral(".uno:SaveAs"), {}, 0, store);
                staged->commit();
            });
            if (stored) {
                ++result.pagesStored;
                observer.pageStored(page, staged->finalPath());
            }
        }
        bool onNextPage = true;
        if (page < pageCount) {  // 160
            onNextPage = steps.run(162, SplitStage::NextPage, page + 1, [&] {
                if (!blank) dispatch(dispatcher, inputFrame, ".uno:GoToStartOfNextPage");
                blank = !ensureOnPage(viewCursor, page + 1, pageCount);
            });
        }
        if (pageDocument) steps.run(164, SplitStage::Close, page, [&] { bridge_.Close(pageDocument, true); });
        pageDocument.reset();                          // 166
        if (!onNextPage || steps.officeLost()) break;  // 168
    }

    steps.run(170, SplitStage::Close, 0, [&] { bridge_.Close(input, true); });
    input.reset();  // 172
    return result;
}

}  // namespace fk
