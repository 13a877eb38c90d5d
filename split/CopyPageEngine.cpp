#include "split/CopyPageEngine.h"

#include <QThread>
#include <algorithm>
#include <optional>

#include "base/Failure.h"
#include "split/DocumentOpening.h"
#include "split/PageWriter.h"

namespace fk {

namespace {

// Said of a document whose remaining pages cannot be reached: it is not split whole.
QString pagesLeftOut(const SplitResult& result, int pageCount) {
    return QStringLiteral("; %1 of %2 pages were stored, and the pages after them are not")
        .arg(result.pagesStored)
        .arg(pageCount);
}

}  // namespace

// Runs the steps of one document: a step that throws becomes a failure, and the next step
// runs. Once the office has gone away the document is given up, so that a dead office costs one
// failure and not one per remaining step.
class CopyPageEngine::Steps {
public:
    Steps(office::OfficeSession& office, SplitResult& result, SplitObserver& observer)
        : office_(office), result_(result), observer_(observer) {}

    template <typename Step>
    bool run(SplitAction action, SplitStage stage, int page, Step&& body) {
        if (officeLost_) return false;
        try {
            body();
            return true;
        } catch (...) {
            const SplitFailure failure{stage, page, DescriptionOf(std::current_exception()), action,
                                       KindOf(std::current_exception())};
            result_.failures.append(failure);
            observer_.failed(failure);
        }
        officeLost_ = !office_.isAlive();
        return false;
    }
    bool officeLost() const { return officeLost_; }

private:
    office::OfficeSession& office_;
    SplitResult& result_;
    SplitObserver& observer_;
    bool officeLost_ = false;
};

CopyPageEngine::Arrival CopyPageEngine::jumpTo(const office::DocumentRef& input, int page) {
    if (!office_.cursor().move(input, office::CursorMove::toPage(page))) return Arrival::Refused;
    // The cursor's page is asked only at the page's start: right after a jump into a table that a
    // repeated heading row continues, the office still names the page before.
    office_.cursor().move(input, office::CursorMove::toStartOfPage());
    return office_.cursor().currentPage(input) == page ? Arrival::There : Arrival::Elsewhere;
}

bool CopyPageEngine::ensureOnPage(const office::DocumentRef& input, int page, int pageCount) {
    // The suite can leave the cursor elsewhere (a document that begins with a table, a table that
    // spans pages); copying from there would store another page's content again.
    if (office_.cursor().currentPage(input) == page) return true;
    const Arrival arrival = jumpTo(input, page);
    if (arrival == Arrival::There) return true;
    // A page the layout inserts blank (left and right page styles) refuses the cursor. It is never the
    // first or the last page, and the page after it takes the cursor.
    if (arrival == Arrival::Refused && page > 1 && page < pageCount &&
        jumpTo(input, page + 1) == Arrival::There)
        return false;
    throw Failure(FailureKind::OfficeRefused,
                  QStringLiteral("The view cursor cannot be moved to page %1").arg(page));
}

int CopyPageEngine::settledPageCount(const office::DocumentRef& input) {
    int count = office_.cursor().currentPage(input);
    for (int check = 0; check < kSettleChecks; ++check) {
        QThread::msleep(kSettleIntervalMs);
        office_.cursor().move(input, office::CursorMove::toLastPage());
        const int again = office_.cursor().currentPage(input);
        if (again == count) return count;
        count = again;
    }
    return count;
}

void CopyPageEngine::dispatch(const office::DocumentRef& document, const char* command) {
    office_.cursor().dispatch(document, QString::fromLatin1(command), {});
}

void CopyPageEngine::copyPageThatBeginsInATable(const office::DocumentRef& input,
                                                const office::DocumentRef& pageDocument, int page) {
    // Each table at the top of the page is copied whole; then the rest of the page as usual.
    for (int table = 0; table < kMaxLeadingTables; ++table) {
        dispatch(input, ".uno:SelectTable");
        dispatch(input, ".uno:Copy");
        dispatch(pageDocument, ".uno:GoToEndOfDoc");
        dispatch(pageDocument, ".uno:Paste");
        for (int row = 0; office_.cursor().holds(input, office::CursorTest::InTable); ++row) {
            if (row == kMaxTableRows)
                throw Failure(FailureKind::OfficeRefused,
                              QStringLiteral("A table on page %1 has no end").arg(page));
            dispatch(input, ".uno:GoDown");
        }
        if (office_.cursor().currentPage(input) != page) return;  // the table filled the page
        dispatch(input, ".uno:GoToEndOfPageSel");
        if (!office_.cursor().holds(input, office::CursorTest::Collapsed)) {
            dispatch(input, ".uno:Copy");
            dispatch(pageDocument, ".uno:GoToEndOfDoc");
            dispatch(pageDocument, ".uno:Paste");
            return;
        }
        if (!office_.cursor().holds(input, office::CursorTest::InTable)) return;
    }
}

SplitResult CopyPageEngine::split(const QString& path, const QString& outputFolder,
                                  const ProtectedPaths& inputs, SplitObserver& observer) {
    SplitResult result;
    result.method = kMethod;
    Steps steps(office_, result, observer);
    PageWriter writer(outputFolder, path, OutputFormat::Odt, inputs, result, observer);
    office::DocumentRef input;
    int pageCount = 0;

    if (!steps.run(SplitAction::Unnamed, SplitStage::Open, 0, [&] {
            // Nothing in the document may stop the office with a dialog.
            input = OpenForSplitting(office_, path, {.hidden = hidden_});
        }))
        return result;

    // Without any of these the pages cannot be found; one failure is enough, then the document is closed.
    const SplitStage counting = SplitStage::CountPages;
    const bool usable = steps.run(SplitAction::CountPages, counting, 0, [&] {
        office_.documents().completeLayout(input);
        office_.cursor().move(input, office::CursorMove::toLastPage());
    }) && steps.run(SplitAction::SettleLayout, counting, 0, [&] {
        pageCount = settledPageCount(input);
        if (pageCount < 1)
            throw Failure(FailureKind::Damaged, QStringLiteral("The document reports no pages"));
        result.pageCount = pageCount;
        observer.pageCountKnown(pageCount);
    }) && steps.run(SplitAction::GoToFirstPage, counting, 0, [&] {
        office_.cursor().move(input, office::CursorMove::toFirstPage());
        ensureOnPage(input, 1, pageCount);
    });

    // The page is one the layout inserted blank: nothing is copied, an empty page is stored, and the
    // cursor already stands on the next page.
    bool blank = false;
    int page = 1;
    bool cutShort =
        false;  // a page could not be reached, or the run stops: the pages after it are not stored
    while (usable) {
        for (; page <= pageCount; ++page) {
            if (observer.stopRequested()) {
                cutShort = true;
                break;
            }
            // With nothing selected a copy would leave the clipboard as it was, and the paste would repeat
            // the page copied before. Nothing is selected on a blank page, and on a page that begins inside
            // a table: the office does not extend a selection out of a table cell.
            bool selected = false;
            bool startsInTable = false;
            if (!blank) {
                steps.run(SplitAction::SelectPage, SplitStage::Copy, page, [&] {
                    dispatch(input, ".uno:GoToEndOfPageSel");
                    selected = !office_.cursor().holds(input, office::CursorTest::Collapsed);
                    if (!selected) startsInTable = office_.cursor().holds(input, office::CursorTest::InTable);
                });
            }
            if (selected) {
                steps.run(SplitAction::CopyPage, SplitStage::Copy, page,
                          [&] { dispatch(input, ".uno:Copy"); });
            }
            // The office stores under a private name; the page replaces whatever is at its name only once
            // it is complete, and a link there is replaced, not written through. A page that would replace
            // one of the run's documents is not made at all.
            std::optional<StagedPageFile> staged;
            const bool storable = steps.run(SplitAction::NamePage, SplitStage::Store, page,
                                            [&] { writer.stage(page, staged); });
            office::DocumentRef pageDocument;
            const bool pageOpen =
                storable && steps.run(SplitAction::NewDocument, SplitStage::Copy, page, [&] {
                    pageDocument = office_.documents().createTextDocument(hidden_);
                });
            if (pageOpen && selected) {
                steps.run(SplitAction::PastePage, SplitStage::Copy, page,
                          [&] { dispatch(pageDocument, ".uno:Paste"); });
            }
            if (pageOpen && startsInTable) {
                steps.run(SplitAction::PastePage, SplitStage::Copy, page,
                          [&] { copyPageThatBeginsInATable(input, pageDocument, page); });
            }
            if (pageOpen) {
                const bool stored = steps.run(SplitAction::StorePage, SplitStage::Store, page, [&] {
                    writer.store(*staged, [&](const QString& stagingPath) {
                        office_.cursor().dispatch(pageDocument, QStringLiteral(".uno:SaveAs"),
                                                  {{QStringLiteral("URL"), ToFileUrl(stagingPath)},
                                                   {QStringLiteral("FilterName"), QStringLiteral("writer8")},
                                                   LinksFrom(staged->finalPath())});
                    });
                });
                if (stored) writer.stored(page);
            }
            const bool folderRefuses = writer.folderRefuses();
            bool onNextPage = true;
            if (page < pageCount && !folderRefuses) {
                onNextPage = steps.run(SplitAction::Unnamed, SplitStage::NextPage, page + 1, [&] {
                    try {
                        if (!blank) dispatch(input, ".uno:GoToStartOfNextPage");
                        blank = !ensureOnPage(input, page + 1, pageCount);
                    } catch (const Failure& failure) {
                        throw Failure(failure.kind(), failure.message() + pagesLeftOut(result, pageCount));
                    }
                });
            }
            if (pageDocument)
                steps.run(SplitAction::ClosePage, SplitStage::Close, page,
                          [&] { office_.documents().close(pageDocument); });
            pageDocument.reset();
            // A folder that takes no more files fails every page after this one the same way.
            if (folderRefuses) break;
            if (!onNextPage || steps.officeLost()) {
                cutShort = page < pageCount;
                ++page;
                break;
            }
        }
        if (cutShort || writer.folderRefuses() || steps.officeLost()) break;
        // Every page counted is stored. An office still laying out may have made more pages meanwhile:
        // those are split too, so that no text is left out without a word.
        int pagesNow = pageCount;
        if (!steps.run(SplitAction::SettleLayout, SplitStage::CountPages, 0,
                       [&] {
                           office_.cursor().move(input, office::CursorMove::toLastPage());
                           pagesNow = settledPageCount(input);
                       }) ||
            pagesNow <= pageCount)
            break;
        const int next = pageCount + 1;
        pageCount = pagesNow;
        result.pageCount = pageCount;
        observer.pageCountKnown(pageCount);
        if (!steps.run(SplitAction::Unnamed, SplitStage::NextPage, next, [&] {
                try {
                    blank = !ensureOnPage(input, next, pageCount);
                } catch (const Failure& failure) {
                    throw Failure(failure.kind(), failure.message() + pagesLeftOut(result, pageCount));
                }
            })) {
            cutShort = true;
            break;
        }
    }

    steps.run(SplitAction::CloseDocument, SplitStage::Close, 0, [&] { office_.documents().close(input); });
    input.reset();
    return result;
}

}  // namespace fk
