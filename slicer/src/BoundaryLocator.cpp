#include "BoundaryLocator.h"

#include "OdfNodes.h"
#include "RowCutter.h"

#include <string_view>

namespace fk::slicer {

namespace {

bool isLiftable(pugi::xml_node node) {
    const std::string_view name = node.name();
    return odf::isParagraph(node) || odf::isInlineWrapper(node) || odf::isBlockContainer(node) ||
           name == "table:table" || name == "table:table-rows" || name == "table:table-row-group" ||
           name == "table:table-header-rows" || name == "table:table-row" || name == "table:table-cell" ||
           name == "table:covered-table-cell";
}

bool onlyContentFreeBefore(const BodyPosition& position) {
    pugi::xml_node sibling =
        position.before ? position.before.previous_sibling() : position.parent.last_child();
    for (; sibling; sibling = sibling.previous_sibling())
        if (!odf::isContentFree(sibling)) return false;
    return true;
}

bool onlyContentFreeFrom(const BodyPosition& position) {
    for (pugi::xml_node sibling = position.before; sibling; sibling = sibling.next_sibling())
        if (!odf::isContentFree(sibling)) return false;
    return true;
}

std::string describe(pugi::xml_node obstacle) {
    const std::string_view name = obstacle.name();
    if (name.starts_with("table:")) return "a table row breaks across pages";
    if (name.starts_with("draw:")) return "a page starts inside a frame or drawing object";
    if (name.starts_with("text:note")) return "a page starts inside a footnote or endnote";
    if (name == "office:annotation") return "a page starts inside a comment";
    return "a page starts inside " + std::string(name);
}

}  // namespace

BodyPosition BoundaryLocator::lift(BodyPosition position) {
    return liftWithin(position, {});
}

BodyPosition BoundaryLocator::liftWithin(BodyPosition position, pugi::xml_node stop) {
    while (isLiftable(position.parent) && position.parent != stop) {
        const pugi::xml_node container = position.parent;
        if (onlyContentFreeBefore(position))
            position = BodyPosition::before_(container);
        else if (onlyContentFreeFrom(position))
            position = {container.parent(), container.next_sibling()};
        else
            break;
    }
    return position;
}

PageBoundary BoundaryLocator::locate(pugi::xml_node mark) {
    const BodyPosition lifted = lift(BodyPosition::before_(mark));
    pugi::xml_node obstacle;
    for (pugi::xml_node ancestor = lifted.parent; ancestor && !odf::is(ancestor, "office:text");
         ancestor = ancestor.parent())
        if (!odf::canHoldBoundary(ancestor)) obstacle = ancestor;
    if (!obstacle) return {lifted, {}, {}};
    return {lift(BodyPosition::before_(obstacle)), {}, describe(obstacle)};
}

PageBoundary BoundaryLocator::locate(pugi::xml_node mark, const std::vector<pugi::xml_node>& cellMarks) {
    pugi::xml_node obstacle;
    for (pugi::xml_node ancestor = mark.parent(); ancestor && !odf::is(ancestor, "office:text");
         ancestor = ancestor.parent())
        if (!odf::canHoldBoundary(ancestor) && !RowCutter::canCut(ancestor)) obstacle = ancestor;
    if (obstacle) return locate(mark);
    RowCutter cutter(cellMarks);
    const BodyPosition position = cutter.place(mark, {});
    return {position, cutter.cuts(), {}};
}

}  // namespace fk::slicer
