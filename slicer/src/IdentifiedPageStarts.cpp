#include "IdentifiedPageStarts.h"

#include <cstring>

#include "slicer/MarkNames.h"

namespace fk::slicer {

namespace {

bool IsParagraph(pugi::xml_node node) {
    return std::strcmp(node.name(), "text:p") == 0 || std::strcmp(node.name(), "text:h") == 0;
}

// An object the paragraph anchors, or a link around one.
bool AnchoredToParagraph(pugi::xml_node node) {
    if (std::strcmp(node.name(), "draw:a") == 0) node = node.first_child();
    return std::strcmp(node.attribute("text:anchor-type").value(), "paragraph") == 0;
}

void PutBookmarkFor(pugi::xml_node paragraph, pugi::xml_attribute identifier) {
    pugi::xml_node before = paragraph.first_child();
    while (before && before.type() == pugi::node_element && AnchoredToParagraph(before))
        before = before.next_sibling();
    pugi::xml_node bookmark = before ? paragraph.insert_child_before("text:bookmark", before)
                                     : paragraph.append_child("text:bookmark");
    bookmark.append_attribute("text:name") = identifier.value();
    paragraph.remove_attribute(identifier);
}

}  // namespace

int BookmarkIdentifiedPageStarts(pugi::xml_node body) {
    int replaced = 0;
    // Walked without recursion: the body may nest deeply.
    pugi::xml_node node = body.first_child();
    while (node && node != body) {
        if (node.type() == pugi::node_element && IsParagraph(node)) {
            const pugi::xml_attribute identifier = node.attribute("xml:id");
            if (identifier && PageOfMark(identifier.value()) > 0) {
                PutBookmarkFor(node, identifier);
                ++replaced;
            }
        }
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node != body && !node.next_sibling()) node = node.parent();
        if (node != body) node = node.next_sibling();
    }
    return replaced;
}

}  // namespace fk::slicer
