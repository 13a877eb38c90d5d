#include "ObjectsDrawnLater.h"

#include "OdfNodes.h"

#include <string_view>
#include <vector>

namespace fk::slicer {

namespace {

bool isAnchoredToText(pugi::xml_node node) {
    const std::string_view anchor = node.attribute("text:anchor-type").value();
    return anchor == "paragraph" || anchor == "char";
}

// The objects anchored to text under root, by name.
std::map<std::string, pugi::xml_node> namedObjects(pugi::xml_node root) {
    std::map<std::string, pugi::xml_node> objects;
    for (const pugi::xpath_node found : root.select_nodes(".//*[@draw:name][@text:anchor-type]"))
        if (isAnchoredToText(found.node()))
            objects.emplace(found.node().attribute("draw:name").value(), found.node());
    return objects;
}

std::string centimetres(int hundredthsOfMillimetre) {
    return std::to_string(hundredthsOfMillimetre / 1000.0) + "cm";
}

void setAttribute(pugi::xml_node node, const char* name, const std::string& value) {
    pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute) attribute = node.append_attribute(name);
    attribute.set_value(value.c_str());
}

}  // namespace

ObjectsDrawnLater::ObjectsDrawnLater(const PagePlan& plan, pugi::xml_node inputText) {
    bool any = false;
    for (int page = 1; page <= plan.pageCount(); ++page)
        any = any || !plan.page(page).objectsDrawnHere.empty();
    if (!any) return;
    const std::map<std::string, pugi::xml_node> objects = namedObjects(inputText);
    for (int page = 1; page <= plan.pageCount(); ++page) {
        for (const DrawnObject& where : plan.page(page).objectsDrawnHere) {
            const auto found = objects.find(where.name);
            // An object the office named but the body does not hold (in a header, a frame) stays as it is.
            if (found != objects.end()) drawn_[where.name] = {page, where, found->second};
        }
    }
}

void ObjectsDrawnLater::takeOut(int last, pugi::xml_node outputText) const {
    if (drawn_.empty()) return;
    for (const auto& [name, object] : namedObjects(outputText)) {
        const auto found = drawn_.find(name);
        if (found != drawn_.end() && found->second.page > last) object.parent().remove_child(object);
    }
}

void ObjectsDrawnLater::placeOnPages(int first, int last, pugi::xml_node outputText, BodyRangeCopier& copier,
                                     OutputStyles& styles) const {
    if (drawn_.empty()) return;
    const std::map<std::string, pugi::xml_node> held = namedObjects(outputText);
    const pugi::xml_node firstBlock = odf::firstContentChild(outputText);
    for (const auto& [name, drawn] : drawn_) {
        if (drawn.page < first || drawn.page > last || held.contains(name)) continue;
        pugi::xml_node copy = copier.copyWhole(drawn.object, outputText);
        if (!copy) continue;
        if (firstBlock) copy = outputText.insert_move_before(copy, firstBlock);
        setAttribute(copy, "text:anchor-type", "page");
        setAttribute(copy, "text:anchor-page-number", std::to_string(drawn.page - first + 1));
        setAttribute(copy, "svg:x", centimetres(drawn.where.x));
        setAttribute(copy, "svg:y", centimetres(drawn.where.y));
        // Where the page drew it, whatever its paragraph's position said.
        pugi::xml_node style = styles.derive("graphic", copy.attribute("draw:style-name").value());
        for (const auto& [attribute, value] :
             {std::pair{"style:vertical-pos", "from-top"}, std::pair{"style:vertical-rel", "page"},
              std::pair{"style:horizontal-pos", "from-left"}, std::pair{"style:horizontal-rel", "page"}})
            styles.setProperty(style, "style:graphic-properties", attribute, value);
        setAttribute(copy, "draw:style-name", style.attribute("style:name").value());
    }
}

}  // namespace fk::slicer
