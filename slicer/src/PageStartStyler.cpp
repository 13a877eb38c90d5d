#include "PageStartStyler.h"

#include "OdfNodes.h"

namespace fk::slicer {

namespace {

struct BlockStyle {
    const char* family;
    const char* styleAttribute;
    const char* properties;
};

BlockStyle blockStyle(pugi::xml_node block) {
    if (odf::isTable(block)) return {"table", "table:style-name", "style:table-properties"};
    return {"paragraph", "text:style-name", "style:paragraph-properties"};
}

pugi::xml_node innermost(pugi::xml_node block, pugi::xml_node (*pick)(pugi::xml_node)) {
    while (block && odf::isBlockContainer(block)) block = pick(block);
    return block;
}

pugi::xml_node nextContentSibling(pugi::xml_node node) {
    for (node = node.next_sibling(); node; node = node.next_sibling())
        if (node.type() == pugi::node_element && !odf::isPrologue(node) && !odf::isPageAnchored(node) &&
            !odf::isMarker(node))
            return node;
    return {};
}

pugi::xml_node restyle(pugi::xml_node block, OutputStyles& styles) {
    const BlockStyle kind = blockStyle(block);
    pugi::xml_node style = styles.derive(kind.family, block.attribute(kind.styleAttribute).as_string());
    pugi::xml_attribute reference = block.attribute(kind.styleAttribute);
    if (!reference) reference = block.append_attribute(kind.styleAttribute);
    reference.set_value(style.attribute("style:name").value());
    return style;
}

}  // namespace

void PageStartStyler::styleFirstPage(pugi::xml_node outputText, const std::string& masterPage,
                                     int shownNumber, bool spaceAbove, OutputStyles& styles) {
    const pugi::xml_node firstTop = odf::firstContentChild(outputText);
    pugi::xml_node block = innermost(firstTop, odf::firstContentChild);
    if (!odf::isParagraph(block) && !odf::isTable(block)) {
        block =
            firstTop ? outputText.insert_child_before("text:p", firstTop) : outputText.append_child("text:p");
        block.append_attribute("text:style-name").set_value("Standard");
    }
    pugi::xml_node style = restyle(block, styles);
    if (!masterPage.empty()) {
        pugi::xml_attribute master = style.attribute("style:master-page-name");
        if (!master) master = style.append_attribute("style:master-page-name");
        master.set_value(masterPage.c_str());
    }
    styles.setProperty(style, blockStyle(block).properties, "style:page-number", std::to_string(shownNumber));
    if (spaceAbove) return;
    // The office lays out the first block that shows as the page's first, hidden ones before it aside.
    pugi::xml_node shown = block;
    while (odf::isHidden(shown)) shown = innermost(nextContentSibling(shown), odf::firstContentChild);
    if (!odf::isParagraph(shown) && !odf::isTable(shown)) return;
    styles.setProperty(shown == block ? style : restyle(shown, styles), blockStyle(shown).properties,
                       "fo:margin-top", "0cm");
}

void PageStartStyler::dropTrailingBreak(pugi::xml_node outputText, OutputStyles& styles) {
    const pugi::xml_node block = innermost(odf::lastContentChild(outputText), odf::lastContentChild);
    if (!odf::isParagraph(block) && !odf::isTable(block)) return;
    const BlockStyle kind = blockStyle(block);
    const std::string breakAfter = styles.inheritedProperty(
        kind.family, block.attribute(kind.styleAttribute).as_string(), kind.properties, "fo:break-after");
    if (breakAfter != "page") return;
    styles.setProperty(restyle(block, styles), kind.properties, "fo:break-after", "auto");
}

void PageStartStyler::closeAfterTable(pugi::xml_node outputText, OutputStyles& styles) {
    pugi::xml_node container = outputText;
    pugi::xml_node last = odf::lastContentChild(container);
    while (odf::is(last, "text:section")) {
        container = last;
        last = odf::lastContentChild(container);
    }
    if (!odf::isTable(last)) return;
    pugi::xml_node paragraph = container.insert_child_after("text:p", last);
    paragraph.append_attribute("text:style-name") = styles.deriveTiny("").attribute("style:name").value();
    // A hidden paragraph takes no room at all: a table may end closer to the foot of its page than
    // the smallest line.
    odf::hide(paragraph);
}

}  // namespace fk::slicer
