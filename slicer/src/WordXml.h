#pragma once

#include <pugixml.hpp>

#include <string>
#include <string_view>

namespace fk::slicer {

// Reading and writing the XML parts of a Word package (the w: namespace, as the office stores it).

bool IsElement(pugi::xml_node node, std::string_view name);
// A run's break to a new page.
bool IsPageBreak(pugi::xml_node node);
// Whether a child of a paragraph shows anything on the page. Bookmarks, proofing marks and the break
// that opens a page do not.
bool Shows(pugi::xml_node child);
// Whether any of the siblings from `first` up to `end` (null: the last) shows anything.
bool ShowsAny(pugi::xml_node first, pugi::xml_node end);

// A part of the package, parsed; throws SliceError naming `part` when it is not XML.
pugi::xml_document ParsedPart(const std::string& xml, std::string_view part);
std::string SerializedPart(const pugi::xml_document& document);
pugi::xml_document CopiedPart(const pugi::xml_document& document);

}  // namespace fk::slicer
