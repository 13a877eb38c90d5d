#pragma once

#include <string>
#include <vector>

#include "slicer/MarkNames.h"

namespace fk::slicer {

// An object anchored to a paragraph on an earlier page that the layout draws on this one, and where: its
// top-left corner from the page's, in 1/100 mm.
struct DrawnObject {
    std::string name;  // draw:name, which the office makes unique
    int x = 0;
    int y = 0;
};

struct PlannedPage {
    bool blank =
        false;  // a blank page the layout inserted (e.g. before a right-hand page): no mark in the body
    std::string pageStyle;  // the page style's name as the office API reports it; empty = not known
    // The layout began the page's first paragraph on the page before, which holds none of its text but
    // the objects anchored to it: a picture that left no room under it for the first line. Those
    // objects belong to the page before.
    bool openingParagraphBegunBefore = false;
    // Every cell of a row the page starts inside carries a cell mark where its content goes on, so the
    // row can be cut; without them such a row is not understood.
    bool cellsMarked = false;
    // A page of endnotes after the body's last page: its mark stands in the endnote text. Endnote pages
    // come last in a plan.
    bool endnotes = false;
    // The office could not mark where the page starts and marked the first line of the page that took a
    // mark: the page is cut there, which may leave a few lines of it on the page before.
    bool approximate = false;
    // Objects the page shows that are anchored to a paragraph on an earlier page: a picture that no longer
    // fitted under its paragraph and went on with the text. They belong to this page, not to their anchor's.
    std::vector<DrawnObject> objectsDrawnHere;
};

}  // namespace fk::slicer
