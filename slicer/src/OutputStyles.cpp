#include "OutputStyles.h"

namespace fk::slicer {

namespace {
constexpr int kMaxStyleDepth = 64;
}

OutputStyles::OutputStyles(const StyleCatalog& input, pugi::xml_node automaticStyles)
    : input_(input), automaticStyles_(automaticStyles) {
    for (pugi::xml_node style : automaticStyles_.children())
        usedNames_.insert(style.attribute("style:name").value());
}

pugi::xml_node OutputStyles::automaticStyle(std::string_view family, std::string_view name) const {
    for (pugi::xml_node style : automaticStyles_.children("style:style"))
        if (name == style.attribute("style:name").as_string() &&
            family == style.attribute("style:family").as_string())
            return style;
    return {};
}

std::string OutputStyles::freshName(std::string_view family) {
    const std::string prefix = family == "paragraph" ? "FkP" : family == "table" ? "FkTab" : "FkS";
    std::string name;
    do name = prefix + std::to_string(++lastNumber_);
    while (!usedNames_.insert(name).second);
    return name;
}

pugi::xml_node OutputStyles::derive(std::string_view family, std::string_view base) {
    const std::string name = freshName(family);
    pugi::xml_node style;
    if (const pugi::xml_node automaticBase = base.empty() ? pugi::xml_node() : automaticStyle(family, base)) {
        style = automaticStyles_.append_copy(automaticBase);
        style.attribute("style:name").set_value(name.c_str());
    } else {
        style = automaticStyles_.append_child("style:style");
        style.append_attribute("style:name").set_value(name.c_str());
        style.append_attribute("style:family").set_value(std::string(family).c_str());
        if (!base.empty())
            style.append_attribute("style:parent-style-name").set_value(std::string(base).c_str());
    }
    return style;
}

std::string OutputStyles::inheritedProperty(std::string_view family, std::string_view name,
                                            std::string_view properties, std::string_view attribute) const {
    pugi::xml_node current = automaticStyle(family, name);
    if (!current) current = input_.commonStyle(family, name);
    for (int depth = 0; current && depth < kMaxStyleDepth; ++depth) {
        const pugi::xml_attribute value =
            current.child(std::string(properties).c_str()).attribute(std::string(attribute).c_str());
        if (value) return value.value();
        current = input_.commonStyle(family, current.attribute("style:parent-style-name").as_string());
    }
    return {};
}

void OutputStyles::setProperty(pugi::xml_node style, std::string_view properties, std::string_view attribute,
                               std::string_view value) {
    const std::string propertiesName(properties), attributeName(attribute);
    pugi::xml_node element = style.child(propertiesName.c_str());
    // Properties elements come before the text properties, as the office writes them.
    if (!element) element = style.prepend_child(propertiesName.c_str());
    pugi::xml_attribute target = element.attribute(attributeName.c_str());
    if (!target) target = element.append_attribute(attributeName.c_str());
    target.set_value(std::string(value).c_str());
}

}  // namespace fk::slicer
