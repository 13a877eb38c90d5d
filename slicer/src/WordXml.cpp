#include "WordXml.h"

#include <algorithm>
#include <array>
#include <sstream>

#include "slicer/SliceError.h"

namespace fk::slicer {

bool IsElement(pugi::xml_node node, std::string_view name) {
    return node.type() == pugi::node_element && name == node.name();
}

bool IsPageBreak(pugi::xml_node node) {
    return IsElement(node, "w:br") && std::string_view(node.attribute("w:type").value()) == "page";
}

bool Shows(pugi::xml_node child) {
    static constexpr std::array<std::string_view, 8> kUnseen = {
        "w:pPr",       "w:bookmarkStart", "w:bookmarkEnd",       "w:proofErr",
        "w:permStart", "w:permEnd",       "w:commentRangeStart", "w:commentRangeEnd"};
    if (child.type() != pugi::node_element) return false;
    if (std::find(kUnseen.begin(), kUnseen.end(), child.name()) != kUnseen.end()) return false;
    if (!IsElement(child, "w:r")) return true;  // links, changes, fields and controls hold runs that show
    for (pugi::xml_node part : child.children()) {
        if (IsElement(part, "w:rPr") || IsElement(part, "w:lastRenderedPageBreak") || IsPageBreak(part))
            continue;
        if (part.type() == pugi::node_element) return true;
    }
    return false;
}

bool ShowsAny(pugi::xml_node first, pugi::xml_node end) {
    for (pugi::xml_node child = first; child && child != end; child = child.next_sibling())
        if (Shows(child)) return true;
    return false;
}

pugi::xml_document ParsedPart(const std::string& xml, std::string_view part) {
    pugi::xml_document document;
    // Whitespace is text in Word's runs (a w:t of one space).
    const pugi::xml_parse_result result =
        document.load_buffer(xml.data(), xml.size(), pugi::parse_default | pugi::parse_ws_pcdata);
    if (!result)
        throw SliceError("The Word package's " + std::string(part) + " is not XML: " + result.description());
    return document;
}

std::string SerializedPart(const pugi::xml_document& document) {
    std::ostringstream out;
    document.save(out, "", pugi::format_raw, pugi::encoding_utf8);
    return std::move(out).str();
}

pugi::xml_document CopiedPart(const pugi::xml_document& document) {
    pugi::xml_document copy;
    for (pugi::xml_node node = document.first_child(); node; node = node.next_sibling())
        copy.append_copy(node);
    return copy;
}

}  // namespace fk::slicer
