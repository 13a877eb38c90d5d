#pragma once

#include "BodyPosition.h"
#include "DocumentFacts.h"
#include "PageMap.h"
#include "PagePlan.h"
#include "slicer/PackageSlicer.h"
#include "slicer/PartPlan.h"

#include <pugixml.hpp>

#include <string>
#include <vector>

namespace fk::slicer {

// Where each part of a document cut at its headings begins and ends in the body, and which pages of
// the input layout it spans. A part runs from one heading mark to the next; the matter before the
// first heading is a part of its own when anything shows in it, and otherwise goes with the first
// heading, so that the first part opens as the input's first page does.
class PartMap {
public:
    struct Part {
        PartSpan span;
        BodyPosition start, end;
        // The page whose start the part starts at; 0 for a part that starts in the middle of a page.
        int opensPage = 0;
        // The page whose start the next part starts at; 0 where the next starts mid-page or none follows.
        int endsBeforePage = 0;
        // Objects anchored to these pages go with the part: the pages whose start lies in it.
        int anchoredFirst = 1, anchoredLast = 0;
    };

    // `headings` holds the text of each heading the office marked, in order.
    PartMap(pugi::xml_node officeText, const std::vector<std::string>& headings, const PagePlan& plan,
            const PageMap& pages, const DocumentFacts& facts);

    int partCount() const { return static_cast<int>(parts_.size()); }
    // Part k (1-based); throws std::out_of_range outside 1..partCount().
    const Part& part(int k) const;
    const std::vector<SliceIssue>& issues() const { return issues_; }

    // Whether anything shows in the body before `end`: text, a table, a drawing in the flow.
    static bool showsSomethingBefore(pugi::xml_node officeText, const BodyPosition& end,
                                     const DocumentFacts& facts);

private:
    std::vector<BodyPosition> locateHeadings(pugi::xml_node officeText, std::size_t headingCount,
                                             const DocumentFacts& facts);
    // The last page whose start lies at or before the position.
    int pageHolding(const BodyPosition& position) const;
    bool startsPage(const BodyPosition& position, int page) const;

    const PagePlan& plan_;
    const PageMap& pages_;
    const DocumentFacts& facts_;
    std::vector<Part> parts_;
    std::vector<SliceIssue> issues_;
};

}  // namespace fk::slicer
