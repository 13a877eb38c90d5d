#pragma once

#include <string>
#include <string_view>

namespace fk::slicer {

// Bookmark the office inserts at the start of the n-th heading it cuts at (1-based, in document
// order): "__folioknife_heading_0001" etc. Headings are counted, not parts: whether the matter before
// the first heading makes a part of its own is for the slicer to tell from the body.
std::string HeadingMarkName(int heading);
std::string_view HeadingMarkPrefix();

// The heading number of a mark name, or 0 when the name is not one of ours.
int HeadingOfMark(std::string_view bookmarkName);

// One output of a document cut at its headings: the body from one heading to the next.
struct PartSpan {
    std::string heading;  // the heading's text as the office tells it; empty for the matter before the first
    int firstPage = 1;    // first and last page of the input layout that the part has text on
    int lastPage = 1;
};

}  // namespace fk::slicer
