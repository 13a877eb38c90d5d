#include "ObjectsLeftAtFoot.h"

#include "OdfNodes.h"

#include <string_view>

namespace fk::slicer {

namespace {

bool isParagraphAnchored(pugi::xml_node node) {
    return std::string_view(node.attribute("text:anchor-type").value()) == "paragraph";
}

}  // namespace

std::vector<pugi::xml_node> ObjectsLeftAtFoot::objectsOfOpeningParagraph(int page) const {
    // After a blank page the layout inserted, the paragraph cannot have begun on the page before.
    if (page < 2 || page > pages_.pageCount() || plan_.page(page).blank || plan_.page(page - 1).blank)
        return {};
    const pugi::xml_node opening = PageMap::openingBlock(pages_.startOf(page));
    // A paragraph only where the page begins at its very start: one cut in its middle keeps its
    // objects with its first part already.
    if (!odf::isParagraph(opening)) return {};
    std::vector<pugi::xml_node> objects;
    for (pugi::xml_node child : opening.children())
        if (isParagraphAnchored(child)) objects.push_back(child);
    return objects;
}

std::vector<pugi::xml_node> ObjectsLeftAtFoot::leftBefore(int page) const {
    if (page < 2 || page > pages_.pageCount() || !plan_.page(page).openingParagraphBegunBefore) return {};
    return objectsOfOpeningParagraph(page);
}

void ObjectsLeftAtFoot::dropFromOpening(int first, pugi::xml_node outputText) const {
    if (leftBefore(first).empty()) return;
    pugi::xml_node opening = PageMap::openingBlock(BodyPosition::startOf(outputText));
    std::vector<pugi::xml_node> dropped;
    for (pugi::xml_node child : opening.children())
        if (isParagraphAnchored(child)) dropped.push_back(child);
    for (pugi::xml_node child : dropped) opening.remove_child(child);
}

void ObjectsLeftAtFoot::holdAtFoot(int last, pugi::xml_node outputText, BodyRangeCopier& copier,
                                   OutputStyles& styles) const {
    const std::vector<pugi::xml_node> objects = leftBefore(last + 1);
    if (objects.empty()) return;
    // The objects stand at the foot of this page, anchored to a paragraph that takes next to no room,
    // as the input's paragraph did here before its text went on to the next page.
    const pugi::xml_node opening = PageMap::openingBlock(pages_.startOf(last + 1));
    pugi::xml_node holder = outputText.append_child(opening.name());
    pugi::xml_node style = styles.deriveTiny(opening.attribute("text:style-name").value());
    style.remove_attribute("style:master-page-name");
    styles.setProperty(style, "style:paragraph-properties", "fo:break-before", "auto");
    styles.setProperty(style, "style:paragraph-properties", "fo:break-after", "auto");
    holder.append_attribute("text:style-name") = style.attribute("style:name").value();
    for (pugi::xml_node object : objects) copier.copyWhole(object, holder);
}

}  // namespace fk::slicer
