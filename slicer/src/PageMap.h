#pragma once

#include "BodyPosition.h"
#include "BoundaryLocator.h"
#include "DocumentFacts.h"
#include "MasterPages.h"
#include "PagePlan.h"
#include "StyleCatalog.h"
#include "slicer/PackageSlicer.h"

#include <pugixml.hpp>

#include <string>
#include <vector>

namespace fk::slicer {

// Where each page of the input layout begins in the body, which page style it has and which page
// number it shows.
class PageMap {
public:
    PageMap(pugi::xml_node officeText, const PagePlan& plan, const StyleCatalog& styles,
            const MasterPages& masterPages, const DocumentFacts& facts);

    int pageCount() const { return static_cast<int>(pages_.size()); }

    // Where the content of `page` begins; pageCount() + 1 gives the end of the body. A blank page
    // begins where the next page with content does.
    const BodyPosition& startOf(int page) const { return starts_.at(page - 1); }
    // Where the page starts in the other cells of the table rows it starts inside; empty when it
    // starts between blocks or inside a paragraph outside any cut row.
    const std::vector<BodyPosition>& cellCutsOf(int page) const { return cellCuts_.at(page - 1); }
    int shownNumber(int page) const { return pages_.at(page - 1).shownNumber; }
    const std::string& masterPage(int page) const { return pages_.at(page - 1).masterPage; }
    // Whether the page's first block shows its space above: the office leaves that space out at the top
    // of a page the text flowed onto, and keeps it on the first page and after a page break.
    bool showsSpaceAbove(int page) const { return pages_.at(page - 1).spaceAbove; }
    // Whether the page opens a run of its page style (the document's first page, a new page style, or a
    // page break that names one), where a page style with a first page of its own shows that one's header
    // and footer.
    bool opensStyleRun(int page) const { return pages_.at(page - 1).opensRun; }

    const std::vector<SliceIssue>& issues() const { return issues_; }

    // The paragraph or table a page that starts at `position` opens with, if any.
    static pugi::xml_node openingBlock(const BodyPosition& position);

private:
    struct Page {
        int shownNumber = 0;
        std::string masterPage;
        bool spaceAbove = true;
        bool opensRun = true;
    };

    std::vector<pugi::xml_node> findMarks(pugi::xml_node officeText, const PagePlan& plan);
    void locateStarts(pugi::xml_node officeText, const std::vector<pugi::xml_node>& marks,
                      const PagePlan& plan, const DocumentFacts& facts);
    PageBoundary locate(int page, pugi::xml_node mark, const PagePlan& plan) const;
    void numberPages(pugi::xml_node officeText, const PagePlan& plan,
                     const std::vector<pugi::xml_node>& marks, const StyleCatalog& styles,
                     const MasterPages& masterPages);

    std::vector<BodyPosition> starts_;
    std::vector<std::vector<BodyPosition>> cellCuts_;
    std::vector<std::vector<pugi::xml_node>> cellMarks_;  // by page - 1
    std::vector<Page> pages_;
    std::vector<SliceIssue> issues_;
};

}  // namespace fk::slicer
