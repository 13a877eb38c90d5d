#pragma once

#include "BodyPosition.h"

#include <pugixml.hpp>

#include <vector>

namespace fk::slicer {

// Places a page start that lies inside table rows. The office lays a row that does not fit out on two
// or more pages, each cell breaking where its own content runs out of room; it marked the point where
// each cell goes on. Every cell of the row is cut there: the page before keeps each cell's content up
// to its cut, the page gets the rest. A cell without a mark holds nothing on the page (its content
// ended earlier). A page that starts at the start of a cell starts its row: the row is not cut.
class RowCutter {
public:
    // `cellMarks`: the page's cell marks.
    explicit RowCutter(const std::vector<pugi::xml_node>& cellMarks) : cellMarks_(cellMarks) {}

    // Elements a cut can lie in besides those any boundary can.
    static bool canCut(pugi::xml_node element);

    // Where the page starts for the page mark `mark`, lifted as far as the rows allow but not out of
    // `outer` (null: the body); the cuts of the other cells of the rows it cuts are added to cuts().
    BodyPosition place(pugi::xml_node mark, pugi::xml_node outer);

    const std::vector<BodyPosition>& cuts() const { return cuts_; }

private:
    // Where the page starts in a cell that the page's mark does not stand in.
    BodyPosition cutIn(pugi::xml_node cell);
    pugi::xml_node cellMarkIn(pugi::xml_node cell) const;

    const std::vector<pugi::xml_node>& cellMarks_;
    std::vector<BodyPosition> cuts_;
};

}  // namespace fk::slicer
