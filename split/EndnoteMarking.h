#pragma once

#include <QStringList>
#include <optional>
#include <vector>

#include "slicer/PagePlan.h"
#include "split/OfficeSession.h"

namespace fk {

// The office sets endnotes on pages of their own after the body's last page, which the view cursor's
// last page leaves out but the office prints. Marks the start of each such page inside the endnote
// text, as PageMarking marks the body's pages, so that each becomes a page of its own.
class EndnoteMarking {
public:
    explicit EndnoteMarking(office::DocumentStore& documents) : documents_(documents) {}

    // Appends the endnote pages that follow the body's pages (all of `plan`) to the plan, when the office
    // lays out more pages (`renderedPages`, the view's count) than the body's. That count is to be taken
    // before the body's marks go in: asked afterwards, the office lays the whole document out again to
    // answer (0.7 s at 1,000 pages, a sixth of the split). Leaves the plan as it is where the office cannot run Basic or
    // cannot reach the start of every such page in the endnotes: no mark goes in then. Throws Failure
    // when the office fails.
    void mark(const office::DocumentRef& document, std::vector<slicer::PlannedPage>& plan, int renderedPages);

    // The Basic module, which takes "FIRST LAST" (the pages to mark) and answers one entry per page:
    // "+" and the page style's name where the page begins in an endnote, "-" where it does not.
    static office::BasicModule module();
    // The endnote pages of such an answer; nothing unless every page begins in an endnote.
    static std::optional<std::vector<slicer::PlannedPage>> pagesFromAnswer(const QStringList& answer,
                                                                           int pageCount);

    static inline const QString kFunction = QStringLiteral("MarkEndnotePages");

private:
    office::DocumentStore& documents_;
};

}  // namespace fk
