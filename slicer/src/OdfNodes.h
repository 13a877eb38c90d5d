#pragma once

#include <pugixml.hpp>

#include <optional>
#include <string>
#include <string_view>

// What the elements of an OpenDocument text body are to the slicer.
namespace fk::slicer::odf {

inline bool is(pugi::xml_node node, std::string_view name) {
    return name == node.name();
}

inline bool isParagraph(pugi::xml_node node) {
    return is(node, "text:p") || is(node, "text:h");
}
inline bool isTable(pugi::xml_node node) {
    return is(node, "table:table");
}
inline bool isList(pugi::xml_node node) {
    return is(node, "text:list");
}

// Spans, links and other inline wrappers that are repeated around each part of a cut paragraph.
bool isInlineWrapper(pugi::xml_node node);

// Bookmark, reference and index marks, soft page breaks and change marks: positions, not text.
bool isMarker(pugi::xml_node node);

// One of our page, cell or heading bookmarks (point, start or end).
bool isReservedMark(pugi::xml_node node);

// The page a point bookmark or bookmark start of ours opens; 0 for anything else.
int markedPage(pugi::xml_node node);
// The page whose start a cell bookmark of ours marks in one cell of a row cut by it; 0 for anything else.
int markedCellPage(pugi::xml_node node);

// A drawing object anchored to a page rather than to text.
bool isPageAnchored(pugi::xml_node node);

// Head children a container repeats in every part: body declarations, table columns and heading rows,
// index sources.
bool isPrologue(pugi::xml_node node);

// Nodes with no visible text in the flow: a page that starts after them starts before them.
bool isContentFree(pugi::xml_node node);

// Block containers whose start is also the start of their first child, for boundary lifting.
bool isBlockContainer(pugi::xml_node node);

// Elements in which a page boundary can lie and that the slicer knows how to cut.
bool canHoldBoundary(pugi::xml_node node);

// Makes a paragraph hidden: the office lays it out without any room (unless hidden paragraphs are
// shown on screen).
void hide(pugi::xml_node paragraph);
bool isHidden(pugi::xml_node paragraph);

// The text that stands for a page-count field of the input in an output, which has fewer pages: the
// input's count where the office stored a decimal number, for that can be stale (a .docx keeps the
// count its last writer laid out); what it stored where it numbers otherwise ("xii").
std::string pageCountShown(pugi::xml_node field, const std::string& inputPageCount);

// A number the document states (a start value, a page number, a counter's value), held within a
// billion either way, so that counting on from it by pages, notes or headings cannot overflow; the
// office numbers nothing that far. The attribute form reads as pugixml does, `fallback` when absent;
// the text form takes only a whole integer.
int statedNumber(pugi::xml_attribute attribute, int fallback);
std::optional<int> statedNumber(std::string_view text);

// First and last child elements that are body content (not prologue, not page-anchored).
pugi::xml_node firstContentChild(pugi::xml_node parent);
// A list item that holds only a deeper list: it takes no number of its own at its level.
inline bool isListWrapper(pugi::xml_node item) {
    return is(item, "text:list-item") && isList(firstContentChild(item));
}
pugi::xml_node lastContentChild(pugi::xml_node parent);

}  // namespace fk::slicer::odf
