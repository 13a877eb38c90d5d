#include "OutputStyles.h"

#include <array>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace fk::slicer {

namespace {

constexpr int kMaxStyleDepth = 64;

using PropertyGroup = std::array<std::string_view, 4>;
constexpr std::array<PropertyGroup, 3> kLinkedParagraphProperties{{
    {"fo:margin-left", "fo:margin-right", "fo:text-indent", "style:auto-text-indent"},
    {"fo:margin-top", "fo:margin-bottom", "style:contextual-spacing", ""},
    {"fo:text-align", "fo:text-align-last", "style:justify-single-word", ""},
}};
constexpr std::array<PropertyGroup, 2> kLinkedTableProperties{{
    {"fo:margin-left", "fo:margin-right", "", ""},
    {"fo:margin-top", "fo:margin-bottom", "", ""},
}};

const PropertyGroup* linkedGroup(std::string_view properties, std::string_view attribute) {
    const auto find = [attribute](const auto& groups) -> const PropertyGroup* {
        for (const PropertyGroup& group : groups)
            for (const std::string_view member : group)
                if (!member.empty() && member == attribute) return &group;
        return nullptr;
    };
    if (properties == "style:paragraph-properties") return find(kLinkedParagraphProperties);
    if (properties == "style:table-properties") return find(kLinkedTableProperties);
    return nullptr;
}

// Every attribute value under `node`, and each word of it, for a few attributes name several styles.
void collectNames(pugi::xml_node node, std::vector<std::string>& names) {
    struct Walker : pugi::xml_tree_walker {
        std::vector<std::string>* names = nullptr;
        void take(pugi::xml_node element) {
            for (pugi::xml_attribute attribute : element.attributes()) {
                const std::string_view value = attribute.value();
                names->emplace_back(value);
                for (std::size_t start = 0; start < value.size();) {
                    const std::size_t end = std::min(value.find(' ', start), value.size());
                    if (start > 0 || end < value.size())
                        names->emplace_back(value.substr(start, end - start));
                    start = end + 1;
                }
            }
        }
        bool for_each(pugi::xml_node& element) override {
            if (element.type() == pugi::node_element) take(element);
            return true;
        }
    } walker;
    walker.names = &names;
    if (node.type() == pugi::node_element) walker.take(node);
    node.traverse(walker);
}

void setAttribute(pugi::xml_node element, const std::string& name, std::string_view value) {
    pugi::xml_attribute target = element.attribute(name.c_str());
    if (!target) target = element.append_attribute(name.c_str());
    target.set_value(std::string(value).c_str());
}

}  // namespace

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
    return input_.automaticStyle(family, name);
}

std::string OutputStyles::freshName(std::string_view family) {
    const std::string prefix = family == "paragraph" ? "FkP" : family == "table" ? "FkTab" : "FkS";
    std::string name;
    do name = prefix + std::to_string(++lastNumber_);
    while (!input_.automaticStylesNamed(name).empty() || !usedNames_.insert(name).second);
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

pugi::xml_node OutputStyles::deriveTiny(std::string_view base) {
    pugi::xml_node style = derive("paragraph", base);
    setProperty(style, "style:paragraph-properties", "fo:margin-top", "0cm");
    setProperty(style, "style:paragraph-properties", "fo:margin-bottom", "0cm");
    // Word keeps the height to a twip: 0.01 cm became six, which a full page had no room for.
    setProperty(style, "style:paragraph-properties", "fo:line-height", "0.002cm");
    setProperty(style, "style:text-properties", "fo:font-size", "1pt");
    // Nor does it break the page or draw a frame, as the heading style it may come from does.
    setProperty(style, "style:paragraph-properties", "fo:break-before", "auto");
    setProperty(style, "style:paragraph-properties", "fo:break-after", "auto");
    setProperty(style, "style:paragraph-properties", "fo:padding", "0cm");
    setProperty(style, "style:paragraph-properties", "fo:border", "none");
    pugi::xml_attribute masterPage = style.attribute("style:master-page-name");
    if (!masterPage) masterPage = style.append_attribute("style:master-page-name");
    masterPage.set_value("");
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
                               std::string_view value) const {
    const std::string propertiesName(properties);
    pugi::xml_node element = style.child(propertiesName.c_str());
    // Properties elements come before the text properties, as the office writes them.
    if (!element) element = style.prepend_child(propertiesName.c_str());
    if (const PropertyGroup* group = linkedGroup(properties, attribute)) {
        const std::string family = style.attribute("style:family").as_string();
        const std::string name = style.attribute("style:name").as_string();
        for (const std::string_view member : *group) {
            const std::string memberName(member);
            if (member.empty() || member == attribute || element.attribute(memberName.c_str())) continue;
            // A percentage is relative to the parent's value and would apply twice.
            const std::string inherited = inheritedProperty(family, name, properties, member);
            if (!inherited.empty() && !inherited.ends_with('%')) setAttribute(element, memberName, inherited);
        }
    }
    setAttribute(element, std::string(attribute), value);
}

void OutputStyles::takeNamedFromInput() {
    std::vector<std::string> pending;
    for (pugi::xml_node part : automaticStyles_.parent().children())
        if (part != automaticStyles_) collectNames(part, pending);
    for (pugi::xml_node style : automaticStyles_.children()) collectNames(style, pending);
    // A style taken takes the styles it names in turn (a list style, a data style).
    std::unordered_set<std::string> seen;
    std::unordered_set<const void*> taken;
    while (!pending.empty()) {
        std::string name = std::move(pending.back());
        pending.pop_back();
        if (usedNames_.contains(name) || !seen.insert(name).second) continue;
        for (pugi::xml_node style : input_.automaticStylesNamed(name)) {
            taken.insert(style.internal_object());
            collectNames(style, pending);
        }
    }
    if (taken.empty()) return;
    // In the input's order, before the styles derived here.
    const pugi::xml_node firstDerived = automaticStyles_.first_child();
    std::size_t left = taken.size();
    for (pugi::xml_node style = input_.automaticStyles().first_child(); style && left > 0;
         style = style.next_sibling()) {
        if (!taken.contains(style.internal_object())) continue;
        --left;
        if (firstDerived)
            automaticStyles_.insert_copy_before(style, firstDerived);
        else
            automaticStyles_.append_copy(style);
    }
}

}  // namespace fk::slicer
