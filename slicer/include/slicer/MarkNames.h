#pragma once

#include <string>
#include <string_view>

namespace fk::slicer {

// The bookmarks the office puts in for the slicer, and how their names read. The office's Basic
// modules (split/basic) are filled in from the constants below when the build is configured, which
// reads them from this file: keep each a plain literal on one line.
inline constexpr std::string_view kPageMarkPrefix = "__folioknife_page_";
inline constexpr std::string_view kHeadingMarkPrefix = "__folioknife_heading_";
inline constexpr std::string_view kCellMarkInfix = "_cell_";
inline constexpr std::string_view kNoteMarkInfix = "_note_";
// Page and heading numbers in mark and output names have at least this many digits.
inline constexpr int kPageNumberDigits = 4;

// Mark at the start of page `page` (1-based), of the body or of the endnotes after it:
// "__folioknife_page_0001" etc.
std::string PageMarkName(int page);
// The page number of a page mark's name, or 0 when the name is not one.
int PageOfMark(std::string_view bookmarkName);

// Mark where cell `cell` (numbered by the office from 1, any order) of a table row that page `page`
// starts inside goes on: "__folioknife_page_0005_cell_3". Cells the page's own mark stands in and cells
// whose content all lies on earlier pages carry none.
std::string CellMarkName(int page, int cell);
// The page of a cell mark's name, or 0 when the name is not a cell mark.
int PageOfCellMark(std::string_view bookmarkName);

// Mark at the start of the n-th heading the document is cut at (1-based, in document order):
// "__folioknife_heading_0001" etc. Headings are counted, not parts: whether the matter before the
// first heading makes a part of its own is for the slicer to tell from the body.
// Mark in the text of a footnote where the part that page `page` shows begins, the `note`-th so marked
// (numbered by the office from 1): "__folioknife_page_0005_note_1". Only a note that the layout
// continues on a later page than its citation's carries one.
std::string NoteMarkName(int page, int note);
// The page of a note mark's name, or 0 when the name is not a note mark.
int PageOfNoteMark(std::string_view bookmarkName);

std::string HeadingMarkName(int heading);
// The heading number of a heading mark's name, or 0 when the name is not one.
int HeadingOfMark(std::string_view bookmarkName);

// Whether a bookmark is one of ours, of any kind: ours never reach an output.
bool IsOurMark(std::string_view bookmarkName);

}  // namespace fk::slicer
