#include "StylesAdjuster.h"

#include "OdfNodes.h"

#include <string_view>
#include <utility>
#include <vector>

namespace fk::slicer {

void StylesAdjuster::replacePageCounts(pugi::xml_node root, const std::string& pageCountText) {
    struct Walker : pugi::xml_tree_walker {
        std::vector<pugi::xml_node> fields;
        bool for_each(pugi::xml_node& node) override {
            if (odf::is(node, "text:page-count")) fields.push_back(node);
            return true;
        }
    } walker;
    root.traverse(walker);
    for (pugi::xml_node field : walker.fields) {
        field.parent()
            .insert_child_before(pugi::node_pcdata, field)
            .set_value(odf::pageCountShown(field, pageCountText).c_str());
        field.parent().remove_child(field);
    }
}

void StylesAdjuster::continueNoteNumbers(pugi::xml_node stylesRoot, const DocumentFacts& facts,
                                         const BodyPosition& pageStart) {
    pugi::xml_node styles = stylesRoot.child("office:styles");
    if (!styles) return;
    for (const char* noteClass : {"footnote", "endnote"}) {
        pugi::xml_node configuration =
            styles.find_child_by_attribute("text:notes-configuration", "text:note-class", noteClass);
        const std::string_view scope =
            configuration.attribute("text:start-numbering-at").as_string("document");
        if (scope == "page") continue;
        const int before = facts.notesBefore(noteClass, pageStart, scope == "chapter");
        if (before == 0) continue;
        if (!configuration) {
            configuration = styles.append_child("text:notes-configuration");
            configuration.append_attribute("text:note-class").set_value(noteClass);
        }
        // The office counts from start-value: the n-th note shows start-value + n.
        pugi::xml_attribute start = configuration.attribute("text:start-value");
        if (!start) start = configuration.append_attribute("text:start-value");
        start.set_value(odf::statedNumber(start, 0) + before);
    }
}

void StylesAdjuster::showAsLaterPage(pugi::xml_node stylesRoot, const std::string& masterPage) {
    pugi::xml_node master =
        stylesRoot.child("office:master-styles")
            .find_child_by_attribute("style:master-page", "style:name", masterPage.c_str());
    // Older office versions write the first page's parts in their own namespace.
    for (const char* first :
         {"style:header-first", "style:footer-first", "loext:header-first", "loext:footer-first"})
        while (pugi::xml_node part = master.child(first)) master.remove_child(part);
}

void StylesAdjuster::showAsLeftPage(pugi::xml_node stylesRoot, const std::string& masterPage) {
    pugi::xml_node master =
        stylesRoot.child("office:master-styles")
            .find_child_by_attribute("style:master-page", "style:name", masterPage.c_str());
    if (!master) return;
    for (const auto& [right, left] :
         {std::pair{"style:header", "style:header-left"}, std::pair{"style:footer", "style:footer-left"}}) {
        pugi::xml_node leftPart = master.child(left);
        if (!leftPart) continue;
        pugi::xml_node rightPart = master.child(right);
        if (rightPart) master.remove_child(rightPart);
        leftPart.set_name(right);
    }
    const std::string layoutName = master.attribute("style:page-layout-name").as_string();
    for (pugi::xml_node layout : stylesRoot.child("office:automatic-styles").children("style:page-layout")) {
        if (layoutName != layout.attribute("style:name").as_string() ||
            std::string_view(layout.attribute("style:page-usage").as_string()) != "mirrored")
            continue;
        pugi::xml_node properties = layout.child("style:page-layout-properties");
        const std::string leftMargin = properties.attribute("fo:margin-left").as_string();
        const std::string rightMargin = properties.attribute("fo:margin-right").as_string();
        if (leftMargin.empty() && rightMargin.empty()) continue;
        const auto set = [&](const char* name, const std::string& value) {
            pugi::xml_attribute attribute = properties.attribute(name);
            if (!attribute) attribute = properties.append_attribute(name);
            attribute.set_value(value.empty() ? "0cm" : value.c_str());
        };
        set("fo:margin-left", rightMargin);
        set("fo:margin-right", leftMargin);
    }
}

}  // namespace fk::slicer
