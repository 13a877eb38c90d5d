#pragma once

#include <pugixml.hpp>

#include <string_view>

namespace fk::slicer {

// Whether a field instruction counts pages (NUMPAGES, SECTIONPAGES, PAGEREF, SECTION): a page alone would
// count itself only.
bool CountsPages(std::string_view instruction);

// Replaces every field under `root` that counts pages by the result the office wrote for it, so that a
// page shows what it showed in the whole document. False when a field is laid out in a way not
// understood (its parts in different paragraphs, or a field inside it). `frozen` counts the fields frozen.
bool FreezePageCountingFields(pugi::xml_node root, int& frozen);

}  // namespace fk::slicer
