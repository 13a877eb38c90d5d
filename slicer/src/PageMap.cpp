#include "PageMap.h"

#include "BoundaryLocator.h"
#include "OdfNodes.h"

#include <optional>

namespace fk::slicer {

namespace {

struct BlockStyle {
    std::string family, name, properties;
};

BlockStyle styleOf(pugi::xml_node block) {
    if (odf::isTable(block))
        return {"table", block.attribute("table:style-name").as_string(), "style:table-properties"};
    if (odf::isParagraph(block))
        return {"paragraph", block.attribute("text:style-name").as_string(), "style:paragraph-properties"};
    return {};
}

std::optional<int> pageNumberSetBy(pugi::xml_node block, const StyleCatalog& styles) {
    const BlockStyle style = styleOf(block);
    if (style.family.empty()) return std::nullopt;
    return odf::statedNumber(
        styles.inheritedProperty(style.family, style.name, style.properties, "style:page-number"));
}

std::string masterPageSetBy(pugi::xml_node block, const StyleCatalog& styles) {
    const BlockStyle style = styleOf(block);
    if (style.family.empty()) return {};
    return styles.inheritedAttribute(style.family, style.name, "style:master-page-name").as_string();
}

// The block before `block` in the flow: the last paragraph or table before it, at its level or above.
pugi::xml_node precedingBlock(pugi::xml_node block) {
    for (pugi::xml_node node = block; node && !odf::is(node, "office:text"); node = node.parent()) {
        for (pugi::xml_node previous = node.previous_sibling(); previous;
             previous = previous.previous_sibling()) {
            if (previous.type() != pugi::node_element || odf::isContentFree(previous) ||
                odf::isPrologue(previous) || odf::isPageAnchored(previous))
                continue;
            while (odf::isBlockContainer(previous) && odf::lastContentChild(previous))
                previous = odf::lastContentChild(previous);
            return previous;
        }
    }
    return {};
}

// Whether a page break comes right before the block: its own break or page style, or a break after
// the block before it.
bool followsPageBreak(pugi::xml_node block, const StyleCatalog& styles) {
    const BlockStyle own = styleOf(block);
    if (own.family.empty()) return false;
    if (styles.inheritedProperty(own.family, own.name, own.properties, "fo:break-before") == "page" ||
        !masterPageSetBy(block, styles).empty())
        return true;
    const BlockStyle previous = styleOf(precedingBlock(block));
    return !previous.family.empty() &&
           styles.inheritedProperty(previous.family, previous.name, previous.properties, "fo:break-after") ==
               "page";
}

}  // namespace

PageMap::PageMap(pugi::xml_node officeText, const PagePlan& plan, const StyleCatalog& styles,
                 const MasterPages& masterPages, const DocumentFacts& facts) {
    const std::vector<pugi::xml_node> marks = findMarks(officeText, plan);
    locateStarts(officeText, marks, plan, facts);
    numberPages(officeText, plan, marks, styles, masterPages);
}

std::vector<pugi::xml_node> PageMap::findMarks(pugi::xml_node officeText, const PagePlan& plan) {
    const int pageCount = plan.pageCount();
    std::vector<pugi::xml_node> marks(static_cast<std::size_t>(pageCount) + 1);
    struct Walker : pugi::xml_tree_walker {
        std::vector<pugi::xml_node> found, cells;
        bool for_each(pugi::xml_node& node) override {
            if (odf::markedPage(node) > 0) found.push_back(node);
            if (odf::markedCellPage(node) > 0) cells.push_back(node);
            return true;
        }
    } walker;
    officeText.traverse(walker);
    cellMarks_.assign(static_cast<std::size_t>(pageCount), {});
    for (const pugi::xml_node mark : walker.cells) {
        const int page = odf::markedCellPage(mark);
        if (page <= pageCount) cellMarks_[page - 1].push_back(mark);
    }
    for (const pugi::xml_node mark : walker.found) {
        const int page = odf::markedPage(mark);
        if (page > pageCount)
            issues_.push_back({page, "a page mark beyond the last page of the layout"});
        else if (marks[page])
            issues_.push_back({page, "the page mark appears twice"});
        else if (plan.page(page).blank && page > 1)
            issues_.push_back({page, "a page the layout leaves blank carries a mark"});
        else
            marks[page] = mark;
    }
    for (int page = 2; page <= pageCount; ++page)
        if (!plan.page(page).blank && !marks[page])
            issues_.push_back({page, "the page has no mark in the body", false, true});
    return marks;
}

void PageMap::locateStarts(pugi::xml_node officeText, const std::vector<pugi::xml_node>& marks,
                           const PagePlan& plan, const DocumentFacts& facts) {
    const int pageCount = plan.pageCount();
    starts_.assign(static_cast<std::size_t>(pageCount) + 1, BodyPosition::endOf(officeText));
    cellCuts_.assign(static_cast<std::size_t>(pageCount) + 1, {});
    std::vector<bool> marked(static_cast<std::size_t>(pageCount) + 1, false);
    for (int page = 2; page <= pageCount; ++page) {
        if (!marks[page]) continue;
        PageBoundary boundary = locate(page, marks[page], plan);
        if (!boundary.issue.empty()) issues_.push_back({page, boundary.issue});
        starts_[page - 1] = boundary.position;
        cellCuts_[page - 1] = std::move(boundary.cellCuts);
        marked[page] = true;
    }
    // Pages without a mark begin where the next page with one does.
    for (int page = pageCount; page >= 2; --page) {
        if (marked[page]) continue;
        starts_[page - 1] = starts_[page];
        cellCuts_[page - 1] = cellCuts_[page];
    }
    if (pageCount > 0) starts_[0] = BodyPosition::startOf(officeText);

    std::size_t previous = 0;
    for (int page = 2; page <= pageCount; ++page) {
        if (!marked[page]) continue;
        const std::size_t order = facts.orderOf(starts_[page - 1]);
        if (order < previous) issues_.push_back({page, "the page marks are out of order", true});
        previous = std::max(previous, order);
    }
}

PageBoundary PageMap::locate(int page, pugi::xml_node mark, const PagePlan& plan) const {
    if (!plan.page(page).cellsMarked) return BoundaryLocator::locate(mark);
    return BoundaryLocator::locate(mark, cellMarks_[page - 1]);
}

pugi::xml_node PageMap::openingBlock(const BodyPosition& position) {
    pugi::xml_node node = position.before;
    while (node && (odf::isContentFree(node) || odf::isPageAnchored(node) || odf::isPrologue(node)))
        node = node.next_sibling();
    while (node && odf::isBlockContainer(node)) node = odf::firstContentChild(node);
    return odf::isParagraph(node) || odf::isTable(node) ? node : pugi::xml_node();
}

void PageMap::numberPages(pugi::xml_node officeText, const PagePlan& plan,
                          const std::vector<pugi::xml_node>& marks, const StyleCatalog& styles,
                          const MasterPages& masterPages) {
    const int pageCount = plan.pageCount();
    pages_.resize(static_cast<std::size_t>(pageCount));
    for (int page = 1; page <= pageCount; ++page) {
        // Only a page that opens with a paragraph or table of its own can set its style and number.
        pugi::xml_node opening;
        if (page == 1)
            opening = openingBlock(BodyPosition::startOf(officeText));
        else if (marks[page])
            opening = openingBlock(starts_[page - 1]);

        Page& current = pages_[page - 1];
        const Page* previous = page > 1 ? &pages_[page - 2] : nullptr;
        current.shownNumber =
            pageNumberSetBy(opening, styles).value_or(previous ? previous->shownNumber + 1 : 1);
        current.spaceAbove = page == 1 || plan.page(page).blank || followsPageBreak(opening, styles);
        const std::string setByOpening = masterPageSetBy(opening, styles);
        current.masterPage = masterPages.resolve(plan.page(page).pageStyle);
        if (current.masterPage.empty()) current.masterPage = setByOpening;
        if (current.masterPage.empty())
            current.masterPage = previous ? masterPages.next(previous->masterPage) : masterPages.initial();
        current.opensRun = !previous || previous->masterPage != current.masterPage || !setByOpening.empty();
    }
}

}  // namespace fk::slicer
