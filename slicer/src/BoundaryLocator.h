#pragma once

#include "BodyPosition.h"

#include <pugixml.hpp>

#include <string>

namespace fk::slicer {

// Where a page really begins, given the bookmark the office put at its first character.
struct PageBoundary {
    BodyPosition position;
    std::string issue;  // empty when the boundary could be placed faithfully
};

class BoundaryLocator {
public:
    // Moves a position out of every element it opens or closes (ignoring marks and other things
    // without text), so that a paragraph the page starts with goes wholly to that page.
    static BodyPosition lift(BodyPosition position);

    // The boundary for a page mark. A mark inside something the slicer cannot cut (a table row that
    // breaks across pages, a frame, a note) is moved before the outermost such element and reported.
    static PageBoundary locate(pugi::xml_node mark);
};

}  // namespace fk::slicer
