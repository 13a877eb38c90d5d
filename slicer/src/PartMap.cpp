#include "PartMap.h"

#include "BoundaryLocator.h"
#include "OdfNodes.h"

#include <algorithm>
#include <stdexcept>

namespace fk::slicer {

namespace {

int markedHeading(pugi::xml_node node) {
    if (!odf::is(node, "text:bookmark") && !odf::is(node, "text:bookmark-start")) return 0;
    return HeadingOfMark(node.attribute("text:name").as_string());
}

enum class Scan { Nothing, Something, End };

Scan scan(pugi::xml_node parent, std::size_t end, const DocumentFacts& facts) {
    for (pugi::xml_node child : parent.children()) {
        if (facts.orderOf(BodyPosition::before_(child)) >= end) return Scan::End;
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            if (!odf::isContentFree(child)) return Scan::Something;
            continue;
        }
        if (child.type() != pugi::node_element || odf::isPrologue(child) || odf::isPageAnchored(child) ||
            odf::isMarker(child))
            continue;
        const std::string_view name = child.name();
        if (name.starts_with("draw:") || odf::isTable(child)) return Scan::Something;
        if (const Scan inner = scan(child, end, facts); inner != Scan::Nothing) return inner;
    }
    return Scan::Nothing;
}

}  // namespace

bool PartMap::showsSomethingBefore(pugi::xml_node officeText, const BodyPosition& end,
                                   const DocumentFacts& facts) {
    return scan(officeText, facts.orderOf(end), facts) == Scan::Something;
}

PartMap::PartMap(pugi::xml_node officeText, const std::vector<std::string>& headings, const PagePlan& plan,
                 const PageMap& pages, const DocumentFacts& facts)
    : plan_(plan), pages_(pages), facts_(facts) {
    const std::vector<BodyPosition> marks = locateHeadings(officeText, headings.size(), facts);
    if (!issues_.empty()) return;

    std::vector<BodyPosition> starts;
    std::vector<std::string> titles;
    const BodyPosition bodyStart = BodyPosition::startOf(officeText);
    const bool frontMatter = marks.empty() || showsSomethingBefore(officeText, marks.front(), facts);
    if (frontMatter) {
        starts.push_back(bodyStart);
        titles.emplace_back();
    }
    for (std::size_t k = 0; k < marks.size(); ++k) {
        // Where nothing shows before a first heading on the first page, the part opens as that page
        // does, empty paragraphs above the heading included.
        const bool opensDocument = !frontMatter && k == 0 && pageHolding(marks[k]) == 1;
        starts.push_back(opensDocument ? bodyStart : marks[k]);
        titles.push_back(headings[k]);
    }

    const int pageCount = pages.pageCount();
    auto lastPageWithContent = [&](int page, int first) {
        while (page > first && plan.page(page).blank) --page;
        return page;
    };
    for (std::size_t k = 0; k < starts.size(); ++k) {
        Part part;
        part.start = starts[k];
        part.span.heading = titles[k];
        const bool atBodyStart = part.start == bodyStart;
        const int first = atBodyStart ? 1 : pageHolding(part.start);
        part.span.firstPage = first;
        part.opensPage = atBodyStart || startsPage(part.start, first) ? first : 0;
        part.anchoredFirst = part.opensPage ? first : first + 1;
        if (k + 1 < starts.size()) {
            part.end = starts[k + 1];
            const int next = pageHolding(part.end);
            if (startsPage(part.end, next)) {
                part.endsBeforePage = next;
                part.anchoredLast = next - 1;
                part.span.lastPage = lastPageWithContent(std::max(first, next - 1), first);
            } else {
                part.anchoredLast = next;
                part.span.lastPage = std::max(first, next);
            }
        } else {
            part.end = BodyPosition::endOf(officeText);
            part.anchoredLast = pageCount;
            part.span.lastPage = lastPageWithContent(pageCount, first);
        }
        parts_.push_back(std::move(part));
    }
}

std::vector<BodyPosition> PartMap::locateHeadings(pugi::xml_node officeText, std::size_t headingCount,
                                                  const DocumentFacts& facts) {
    std::vector<pugi::xml_node> marks(headingCount);
    struct Walker : pugi::xml_tree_walker {
        std::vector<pugi::xml_node> found;
        bool for_each(pugi::xml_node& node) override {
            if (markedHeading(node) > 0) found.push_back(node);
            return true;
        }
    } walker;
    officeText.traverse(walker);
    for (const pugi::xml_node mark : walker.found) {
        const int heading = markedHeading(mark);
        if (static_cast<std::size_t>(heading) > headingCount)
            issues_.push_back({0, "a heading mark beyond the headings the office marked"});
        else if (marks[heading - 1])
            issues_.push_back({0, "heading mark " + std::to_string(heading) + " appears twice"});
        else
            marks[heading - 1] = mark;
    }
    std::vector<BodyPosition> positions;
    std::size_t previous = 0;
    for (std::size_t k = 0; k < headingCount; ++k) {
        if (!marks[k]) {
            issues_.push_back({0, "heading " + std::to_string(k + 1) + " has no mark in the body"});
            continue;
        }
        const PageBoundary boundary = BoundaryLocator::locate(marks[k]);
        const int page = pageHolding(boundary.position);
        if (!boundary.issue.empty()) issues_.push_back({page, "at a heading, " + boundary.issue});
        const std::size_t order = facts.orderOf(boundary.position);
        if (order < previous) issues_.push_back({page, "the heading marks are out of order"});
        previous = std::max(previous, order);
        positions.push_back(boundary.position);
    }
    return positions;
}

int PartMap::pageHolding(const BodyPosition& position) const {
    const std::size_t order = facts_.orderOf(position);
    int holding = 1;
    for (int page = 2; page <= pages_.pageCount(); ++page)
        if (facts_.orderOf(pages_.startOf(page)) <= order) holding = page;
    return holding;
}

bool PartMap::startsPage(const BodyPosition& position, int page) const {
    return page > 1 && facts_.orderOf(pages_.startOf(page)) == facts_.orderOf(position);
}

const PartMap::Part& PartMap::part(int k) const {
    if (k < 1 || k > partCount())
        throw std::out_of_range("Part " + std::to_string(k) + " is not among " + std::to_string(partCount()));
    return parts_[static_cast<std::size_t>(k - 1)];
}

}  // namespace fk::slicer
