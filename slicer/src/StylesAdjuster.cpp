#include "StylesAdjuster.h"

#include "OdfNodes.h"

#include <string_view>
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

}  // namespace fk::slicer
