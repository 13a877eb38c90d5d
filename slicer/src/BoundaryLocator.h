#pragma once

#include "BodyPosition.h"

#include <pugixml.hpp>

#include <string>
#include <vector>

namespace fk::slicer {

// Where a page really begins, given the bookmark the office put at its first character.
struct PageBoundary {
    BodyPosition position;
    // Where the page starts in each other cell of the table rows it cuts (see RowCutter); empty when
    // it cuts no row.
    std::vector<BodyPosition> cellCuts;
    std::string issue;  // empty when the boundary could be placed faithfully
};

class BoundaryLocator {
public:
    // Moves a position out of every element it opens or closes (ignoring marks and other things
    // without text), so that a paragraph the page starts with goes wholly to that page.
    static BodyPosition lift(BodyPosition position);
    // The same, but never out of `stop` (a table cell whose rest goes to the page).
    static BodyPosition liftWithin(BodyPosition position, pugi::xml_node stop);

    // The boundary for a page mark. A mark inside something the slicer cannot cut (a table row that
    // breaks across pages, a frame, a note) is moved before the outermost such element and reported.
    static PageBoundary locate(pugi::xml_node mark);
    // The same, where the office marked the other cells of a row the page starts inside: `cellMarks`
    // are the page's cell marks, and such a row is cut cell by cell rather than reported.
    static PageBoundary locate(pugi::xml_node mark, const std::vector<pugi::xml_node>& cellMarks);
};

}  // namespace fk::slicer
