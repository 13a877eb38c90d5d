#include "LiftedObjects.h"

#include <string>
#include <string_view>
#include <vector>

namespace fk::slicer {

namespace {

bool isAnchoredToText(pugi::xml_node node) {
    const std::string_view anchor = node.attribute("text:anchor-type").value();
    return anchor == "paragraph" || anchor == "char";
}

std::string graphicProperty(const OutputStyles& styles, pugi::xml_node object, std::string_view attribute) {
    return styles.inheritedProperty("graphic", object.attribute("draw:style-name").value(),
                                    "style:graphic-properties", attribute);
}

bool isLifted(pugi::xml_node object, const OutputStyles& styles) {
    if (!isAnchoredToText(object) || !object.attribute("draw:style-name")) return false;
    // Only the top of the paragraph gives a natural position of zero; below it is the lift.
    if (!std::string_view(object.attribute("svg:y").value()).starts_with('-')) return false;
    const std::string relation = graphicProperty(styles, object, "style:vertical-rel");
    return graphicProperty(styles, object, "style:vertical-pos") == "top" &&
           (relation == "paragraph" || relation == "paragraph-content");
}

}  // namespace

void LiftedObjects::drawOverText(pugi::xml_node outputText, OutputStyles& styles) {
    std::vector<pugi::xml_node> lifted;
    for (const pugi::xpath_node found : outputText.select_nodes(".//*[@text:anchor-type][@svg:y]"))
        if (isLifted(found.node(), styles)) lifted.push_back(found.node());
    for (pugi::xml_node object : lifted) {
        pugi::xml_node style = styles.derive("graphic", object.attribute("draw:style-name").value());
        styles.setProperty(style, "style:graphic-properties", "style:wrap", "run-through");
        object.attribute("draw:style-name").set_value(style.attribute("style:name").value());
    }
}

}  // namespace fk::slicer
