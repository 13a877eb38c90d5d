#pragma once

#include <pugixml.hpp>

namespace fk::slicer {

// The office marks a page that opens at the very start of a paragraph by the paragraph's identifier
// (xml:id, named as the page's mark), which it keeps without laying the paragraph out again as it
// does for a bookmark. Each such identifier is taken off and the page's bookmark put where the office
// writes one at a paragraph's start: after the objects anchored to the paragraph, before anything else.
// Returns how many were.
int BookmarkIdentifiedPageStarts(pugi::xml_node body);

}  // namespace fk::slicer
