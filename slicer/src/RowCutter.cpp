#include "RowCutter.h"

#include "BoundaryLocator.h"
#include "OdfNodes.h"

namespace fk::slicer {

namespace {

bool isCell(pugi::xml_node node) {
    return odf::is(node, "table:table-cell") || odf::is(node, "table:covered-table-cell");
}

// The innermost cell around `node` (itself included) below `outer`; null when there is none.
pugi::xml_node cellAround(pugi::xml_node node, pugi::xml_node outer) {
    for (; node && node != outer; node = node.parent())
        if (isCell(node) && odf::is(node.parent(), "table:table-row")) return node;
    return {};
}

// Whether the cell shows nothing before `position`.
bool atStartOf(const BodyPosition& position, pugi::xml_node cell) {
    if (position.parent != cell) return false;
    for (pugi::xml_node sibling = position.before ? position.before.previous_sibling() : cell.last_child();
         sibling; sibling = sibling.previous_sibling())
        if (!odf::isContentFree(sibling)) return false;
    return true;
}

bool holds(pugi::xml_node ancestor, pugi::xml_node node) {
    for (; node; node = node.parent())
        if (node == ancestor) return true;
    return false;
}

}  // namespace

bool RowCutter::canCut(pugi::xml_node element) {
    // Heading rows are repeated, not cut: a page starting inside one is not understood.
    return (odf::is(element, "table:table-row") && !odf::is(element.parent(), "table:table-header-rows")) ||
           isCell(element);
}

BodyPosition RowCutter::place(pugi::xml_node mark, pugi::xml_node outer) {
    pugi::xml_node cell = cellAround(mark.parent(), outer);
    BodyPosition position = BoundaryLocator::liftWithin(BodyPosition::before_(mark), cell ? cell : outer);
    bool cutting = false;  // once a row is cut, every row around it is cut too
    while (cell) {
        const pugi::xml_node row = cell.parent();
        const pugi::xml_node outerCell = cellAround(row.parent(), outer);
        if (!cutting && atStartOf(position, cell)) {
            // A page that starts at a cell's start starts the row: the page starts before it.
            position = BoundaryLocator::liftWithin(BodyPosition::before_(row), outerCell ? outerCell : outer);
        } else {
            cutting = true;
            for (pugi::xml_node other : row.children())
                if (other != cell && isCell(other)) cuts_.push_back(cutIn(other));
        }
        cell = outerCell;
    }
    return position;
}

BodyPosition RowCutter::cutIn(pugi::xml_node cell) {
    const pugi::xml_node mark = cellMarkIn(cell);
    if (!mark) return BodyPosition::endOf(cell);
    return place(mark, cell);
}

pugi::xml_node RowCutter::cellMarkIn(pugi::xml_node cell) const {
    for (const pugi::xml_node mark : cellMarks_)
        if (holds(cell, mark)) return mark;
    return {};
}

}  // namespace fk::slicer
