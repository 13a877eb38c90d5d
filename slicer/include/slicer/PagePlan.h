#pragma once

#include <string>
#include <string_view>

namespace fk::slicer {

// Page numbers in mark and output names have at least this many digits.
inline constexpr int kPageNumberDigits = 4;

// Bookmark the office inserts at the start of page `page` (1-based): "__folioknife_page_0001" etc.,
// the prefix and the page number in at least four digits.
std::string PageMarkName(int page);
std::string_view PageMarkPrefix();

// The page number of a mark name, or 0 when the name is not one of ours.
int PageOfMark(std::string_view bookmarkName);

// Bookmark at the point where cell `cell` (numbered by the office from 1, any order) of a table row that
// page `page` starts inside goes on: "__folioknife_page_0005_cell_3". Cells the page's own mark stands in
// and cells whose content all lies on earlier pages carry none.
std::string CellMarkName(int page, int cell);
// The page of a cell mark's name, or 0 when the name is not a cell mark of ours.
int PageOfCellMark(std::string_view bookmarkName);

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
};

}  // namespace fk::slicer
