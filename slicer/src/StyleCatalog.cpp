#include "StyleCatalog.h"

#include <string>

namespace fk::slicer {

namespace {
// Parent chains are short; the bound only guards against a style that is its own ancestor.
constexpr int kMaxStyleDepth = 64;
}  // namespace

StyleCatalog::StyleCatalog(pugi::xml_node contentRoot, pugi::xml_node stylesRoot)
    : contentAutomatic_(contentRoot.child("office:automatic-styles")),
      common_(stylesRoot.child("office:styles")),
      automaticIndex_(contentAutomatic_),
      commonIndex_(common_) {
    for (pugi::xml_node style : contentAutomatic_.children())
        if (const pugi::xml_attribute name = style.attribute("style:name"))
            automaticByName_[name.value()].push_back(style);
}

const std::vector<pugi::xml_node>& StyleCatalog::automaticStylesNamed(std::string_view name) const {
    static const std::vector<pugi::xml_node> kNone;
    const auto found = automaticByName_.find(std::string(name));
    return found == automaticByName_.end() ? kNone : found->second;
}

StyleCatalog::Index::Index(pugi::xml_node container) {
    for (pugi::xml_node style : container.children())
        if (style.type() == pugi::node_element)
            styles_[key(style.name(), style.attribute("style:name").as_string())].push_back(style);
}

std::string StyleCatalog::Index::key(std::string_view element, std::string_view name) {
    std::string joined(element);
    joined += '\0';
    joined += name;
    return joined;
}

pugi::xml_node StyleCatalog::Index::find(std::string_view element, std::string_view family,
                                         std::string_view name) const {
    const auto found = styles_.find(key(element, name));
    if (found == styles_.end()) return {};
    for (pugi::xml_node style : found->second)
        if (family.empty() || family == style.attribute("style:family").as_string()) return style;
    return {};
}

pugi::xml_node StyleCatalog::automaticStyle(std::string_view family, std::string_view name) const {
    return automaticIndex_.find("style:style", family, name);
}

pugi::xml_node StyleCatalog::commonStyle(std::string_view family, std::string_view name) const {
    return commonIndex_.find("style:style", family, name);
}

pugi::xml_node StyleCatalog::style(std::string_view family, std::string_view name) const {
    if (name.empty()) return {};
    pugi::xml_node found = automaticStyle(family, name);
    return found ? found : commonStyle(family, name);
}

pugi::xml_node StyleCatalog::listStyle(std::string_view name) const {
    pugi::xml_node found = automaticIndex_.find("text:list-style", "", name);
    return found ? found : commonIndex_.find("text:list-style", "", name);
}

pugi::xml_node StyleCatalog::outlineLevelStyle(int level) const {
    for (pugi::xml_node levelStyle : common_.child("text:outline-style").children("text:outline-level-style"))
        if (levelStyle.attribute("text:level").as_int() == level) return levelStyle;
    return {};
}

std::string StyleCatalog::outlineParagraphStyle(int level) const {
    for (pugi::xml_node style : common_.children("style:style")) {
        if (std::string_view(style.attribute("style:family").as_string()) != "paragraph" ||
            style.attribute("style:default-outline-level").as_int() != level)
            continue;
        // A style with a list of its own is numbered by that list, not by the outline.
        const std::string name = style.attribute("style:name").as_string();
        const pugi::xml_attribute ownList = inheritedAttribute("paragraph", name, "style:list-style-name");
        if (!ownList || !*ownList.value()) return name;
    }
    return {};
}

std::string StyleCatalog::inheritedProperty(std::string_view family, std::string_view name,
                                            std::string_view properties, std::string_view attribute) const {
    pugi::xml_node current = style(family, name);
    for (int depth = 0; current && depth < kMaxStyleDepth; ++depth) {
        const pugi::xml_attribute value =
            current.child(std::string(properties).c_str()).attribute(std::string(attribute).c_str());
        if (value) return value.value();
        current = commonStyle(family, current.attribute("style:parent-style-name").as_string());
    }
    return {};
}

pugi::xml_attribute StyleCatalog::inheritedAttribute(std::string_view family, std::string_view name,
                                                     std::string_view attribute) const {
    pugi::xml_node current = style(family, name);
    for (int depth = 0; current && depth < kMaxStyleDepth; ++depth) {
        if (const pugi::xml_attribute value = current.attribute(std::string(attribute).c_str())) return value;
        current = commonStyle(family, current.attribute("style:parent-style-name").as_string());
    }
    return {};
}

}  // namespace fk::slicer
