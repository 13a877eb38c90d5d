#include "PageConfinement.h"

#include "OdfNodes.h"

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace fk::slicer {

namespace {

// The starts and ends of one kind of range in the body, by name. The declarations at the body's head
// (deleted text of tracked changes among them) are not the body.
struct RangeEnds {
    std::map<std::string, pugi::xml_node> starts, ends;
};

RangeEnds rangeEnds(pugi::xml_node outputText, std::string_view start, std::string_view end,
                    const char* nameAttribute) {
    struct Walker : pugi::xml_tree_walker {
        std::string_view start, end;
        const char* nameAttribute;
        RangeEnds ends;
        bool for_each(pugi::xml_node& node) override {
            const char* name = node.attribute(nameAttribute).as_string();
            if (*name && odf::is(node, start)) ends.starts.emplace(name, node);
            if (*name && odf::is(node, end)) ends.ends.emplace(name, node);
            return true;
        }
    } walker;
    walker.start = start;
    walker.end = end;
    walker.nameAttribute = nameAttribute;
    for (pugi::xml_node block : outputText.children()) {
        if (odf::isPrologue(block)) continue;
        pugi::xml_node node = block;
        walker.for_each(node);
        block.traverse(walker);
    }
    return walker.ends;
}

void removeNode(pugi::xml_node node) {
    node.parent().remove_child(node);
}

// The paragraphs of the body's own text in document order: not those of the declarations at its head, nor
// those of comments and notes, where a change of the text cannot end.
std::vector<pugi::xml_node> bodyParagraphs(pugi::xml_node outputText) {
    const pugi::xpath_query ownParagraphs(
        "descendant-or-self::*[self::text:p or self::text:h]"
        "[not(ancestor::office:annotation) and not(ancestor::text:note)]");
    std::vector<pugi::xml_node> paragraphs;
    for (pugi::xml_node block : outputText.children()) {
        if (odf::isPrologue(block)) continue;
        for (pugi::xpath_node paragraph : block.select_nodes(ownParagraphs))
            paragraphs.push_back(paragraph.node());
    }
    return paragraphs;
}

void closeRangesAsPoints(pugi::xml_node outputText, const std::string& element) {
    const RangeEnds ends = rangeEnds(outputText, element + "-start", element + "-end", "text:name");
    for (const auto& [name, start] : ends.starts) {
        if (ends.ends.contains(name)) continue;
        pugi::xml_node point = start;
        point.set_name(element.c_str());
    }
    for (const auto& [name, end] : ends.ends)
        if (!ends.starts.contains(name)) removeNode(end);
}

void closeComments(pugi::xml_node outputText) {
    const RangeEnds ends = rangeEnds(outputText, "office:annotation", "office:annotation-end", "office:name");
    for (const auto& [name, start] : ends.starts)
        if (!ends.ends.contains(name)) pugi::xml_node(start).remove_attribute("office:name");
    for (const auto& [name, end] : ends.ends)
        if (!ends.starts.contains(name)) removeNode(end);
}

void closeTrackedChanges(pugi::xml_node outputText) {
    const RangeEnds ends = rangeEnds(outputText, "text:change-start", "text:change-end", "text:change-id");
    const std::vector<pugi::xml_node> paragraphs = bodyParagraphs(outputText);
    for (const auto& [id, start] : ends.starts) {
        if (ends.ends.contains(id)) continue;
        // The change goes on beyond the page: it ends with the page's text.
        pugi::xml_node paragraph = paragraphs.empty() ? start.parent() : paragraphs.back();
        paragraph.append_child("text:change-end").append_attribute("text:change-id") = id.c_str();
    }
    for (const auto& [id, end] : ends.ends) {
        if (ends.starts.contains(id)) continue;
        pugi::xml_node paragraph = paragraphs.empty() ? end.parent() : paragraphs.front();
        paragraph.prepend_child("text:change-start").append_attribute("text:change-id") = id.c_str();
    }
}

// Every value of the attributes under root.
void collectAttributeValues(pugi::xml_node root, std::initializer_list<const char*> attributes,
                            std::vector<std::string>& values) {
    struct Walker : pugi::xml_tree_walker {
        std::initializer_list<const char*> attributes;
        std::vector<std::string>* values;
        bool for_each(pugi::xml_node& node) override {
            for (const char* attribute : attributes)
                if (const pugi::xml_attribute found = node.attribute(attribute))
                    values->push_back(found.value());
            return true;
        }
    } walker;
    walker.attributes = attributes;
    walker.values = &values;
    root.traverse(walker);
}

}  // namespace

void PageConfinement::closeCutRanges(pugi::xml_node outputText) {
    closeRangesAsPoints(outputText, "text:bookmark");
    closeRangesAsPoints(outputText, "text:reference-mark");
    closeComments(outputText);
    closeTrackedChanges(outputText);
}

bool PageConfinement::changesHidden(std::string_view settings) {
    pugi::xml_document document;
    if (!document.load_buffer(settings.data(), settings.size())) return false;
    const pugi::xpath_node shown = document.select_node(
        "//config:config-item-set[@config:name='ooo:view-settings']"
        "/config:config-item[@config:name='ShowRedlineChanges']");
    return shown && std::string_view(shown.node().text().get()) == "false";
}

void PageConfinement::leaveOutParagraphDeletions(pugi::xml_node outputText) {
    std::set<std::string> acrossParagraphs;
    for (pugi::xml_node region : outputText.child("text:tracked-changes").children("text:changed-region")) {
        int blocks = 0;
        for (pugi::xml_node child : region.child("text:deletion").children())
            if (child.type() == pugi::node_element && !odf::is(child, "office:change-info")) ++blocks;
        // One paragraph is text deleted inside a paragraph; more take a paragraph's end with them.
        if (blocks > 1) acrossParagraphs.insert(region.attribute("text:id").as_string());
    }
    if (acrossParagraphs.empty()) return;
    std::vector<pugi::xml_node> points;
    for (pugi::xml_node block : outputText.children()) {
        if (odf::isPrologue(block)) continue;
        for (pugi::xpath_node point : block.select_nodes("descendant-or-self::text:change"))
            if (acrossParagraphs.contains(point.node().attribute("text:change-id").as_string()))
                points.push_back(point.node());
    }
    for (pugi::xml_node point : points) removeNode(point);
}

void PageConfinement::keepOwnTrackedChanges(pugi::xml_node outputText) {
    pugi::xml_node changes = outputText.child("text:tracked-changes");
    if (!changes) return;
    std::vector<std::string> ids;
    for (pugi::xml_node block : outputText.children())
        if (block != changes) collectAttributeValues(block, {"text:change-id"}, ids);
    const std::set<std::string> used(ids.begin(), ids.end());
    for (pugi::xml_node region = changes.first_child(); region;) {
        const pugi::xml_node next = region.next_sibling();
        if (!used.contains(region.attribute("text:id").as_string())) changes.remove_child(region);
        region = next;
    }
}

void PageConfinement::keepNeededDeclarations(pugi::xml_node outputText,
                                             std::initializer_list<pugi::xml_node> users) {
    // Fields name what they use; formulas and conditions mention it among other words.
    std::vector<std::string> names, formulas;
    for (pugi::xml_node root : users) {
        for (pugi::xml_node block : root.children()) {
            if (odf::isPrologue(block)) continue;
            collectAttributeValues(block, {"text:name"}, names);
            collectAttributeValues(block, {"text:formula", "text:condition"}, formulas);
        }
    }
    const std::set<std::string> named(names.begin(), names.end());
    const auto needed = [&](const std::string& name) {
        if (named.contains(name)) return true;
        for (const std::string& formula : formulas)
            if (formula.find(name) != std::string::npos) return true;
        return false;
    };
    for (const char* list : {"text:variable-decls", "text:user-field-decls", "text:sequence-decls"}) {
        pugi::xml_node declarations = outputText.child(list);
        for (pugi::xml_node declaration = declarations.first_child(); declaration;) {
            const pugi::xml_node next = declaration.next_sibling();
            if (!needed(declaration.attribute("text:name").as_string()))
                declarations.remove_child(declaration);
            declaration = next;
        }
    }
}

}  // namespace fk::slicer
