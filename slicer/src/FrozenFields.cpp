#include "FrozenFields.h"

#include "OdfNodes.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace fk::slicer {

namespace {

bool isNamed(pugi::xml_node node, std::initializer_list<std::string_view> names) {
    const std::string_view name = node.name();
    for (const std::string_view candidate : names)
        if (candidate == name) return true;
    return false;
}

bool isReference(pugi::xml_node node) {
    return isNamed(node, {"text:bookmark-ref", "text:reference-ref", "text:sequence-ref", "text:note-ref"});
}

// Fields that can keep their stored value: the office then shows it instead of computing it anew.
bool canBeFixed(pugi::xml_node node) {
    static constexpr std::array<std::string_view, 21> kFixable{"text:date",
                                                               "text:time",
                                                               "text:author-name",
                                                               "text:author-initials",
                                                               "text:file-name",
                                                               "text:creator",
                                                               "text:creation-date",
                                                               "text:creation-time",
                                                               "text:initial-creator",
                                                               "text:description",
                                                               "text:keywords",
                                                               "text:subject",
                                                               "text:title",
                                                               "text:modification-date",
                                                               "text:modification-time",
                                                               "text:print-date",
                                                               "text:print-time",
                                                               "text:printed-by",
                                                               "text:editing-cycles",
                                                               "text:editing-duration",
                                                               "text:user-defined"};
    const std::string_view name = node.name();
    return name.starts_with("text:sender-") ||
           std::find(kFixable.begin(), kFixable.end(), name) != kFixable.end();
}

// Fields that cannot: the whole document's statistics, its template, values computed from variables that
// another page may have set, and the chapter, whose heading can stand on another page.
bool showsOnlyComputedValue(pugi::xml_node node) {
    return isNamed(node, {"text:template-name", "text:word-count", "text:character-count",
                          "text:paragraph-count", "text:table-count", "text:image-count", "text:object-count",
                          "text:variable-get", "text:expression", "text:chapter"});
}

// The attribute `attribute` of every element named `element` under root.
void collectNames(pugi::xml_node root, std::string_view element, const char* attribute,
                  std::set<std::string>& names) {
    for (pugi::xpath_node found : root.select_nodes(("descendant-or-self::" + std::string(element)).c_str()))
        names.insert(found.node().attribute(attribute).as_string());
}

// Names of the ranges (element-start ... element-end) whose both ends lie under root.
void collectRanges(pugi::xml_node root, std::string_view element, std::set<std::string>& names) {
    std::set<std::string> starts, ends;
    collectNames(root, std::string(element) + "-start", "text:name", starts);
    collectNames(root, std::string(element) + "-end", "text:name", ends);
    for (const std::string& name : starts)
        if (ends.contains(name)) names.insert(name);
}

}  // namespace

ReferenceTargets::ReferenceTargets(std::initializer_list<pugi::xml_node> roots) {
    // A range is held only when both of its ends are: a reference may show the text between them.
    for (const pugi::xml_node root : roots) {
        if (!root) continue;
        collectNames(root, "text:bookmark", "text:name", bookmarks_);
        collectRanges(root, "text:bookmark", bookmarks_);
        collectNames(root, "text:reference-mark", "text:name", referenceMarks_);
        collectRanges(root, "text:reference-mark", referenceMarks_);
        collectNames(root, "text:sequence", "text:ref-name", sequences_);
        collectNames(root, "text:note", "text:id", notes_);
    }
}

bool ReferenceTargets::holdsTargetOf(pugi::xml_node reference) const {
    const std::string name = reference.attribute("text:ref-name").as_string();
    if (odf::is(reference, "text:bookmark-ref")) return bookmarks_.contains(name);
    if (odf::is(reference, "text:reference-ref")) return referenceMarks_.contains(name);
    if (odf::is(reference, "text:sequence-ref")) return sequences_.contains(name);
    return notes_.contains(name);
}

FrozenFields::FrozenFields(pugi::xml_node outputBody, const ReferenceTargets& inputTargets)
    : outputTargets_({outputBody}), inputTargets_(inputTargets) {}

bool FrozenFields::isTargetElsewhere(pugi::xml_node reference) const {
    return !outputTargets_.holdsTargetOf(reference) && inputTargets_.holdsTargetOf(reference);
}

void FrozenFields::freeze(pugi::xml_node root) const {
    struct Walker : pugi::xml_tree_walker {
        std::vector<pugi::xml_node> fixed, replaced;
        const FrozenFields* fields;
        bool for_each(pugi::xml_node& node) override {
            if (canBeFixed(node))
                fixed.push_back(node);
            else if (showsOnlyComputedValue(node) || (isReference(node) && fields->isTargetElsewhere(node)))
                replaced.push_back(node);
            return true;
        }
    } walker;
    walker.fields = this;
    root.traverse(walker);
    for (pugi::xml_node field : walker.fixed) {
        pugi::xml_attribute fixed = field.attribute("text:fixed");
        if (!fixed) fixed = field.append_attribute("text:fixed");
        fixed.set_value("true");
    }
    // Innermost first: a field inside another one is replaced before its outer field moves it.
    for (auto field = walker.replaced.rbegin(); field != walker.replaced.rend(); ++field)
        replaceByItsText(*field);
}

void FrozenFields::replaceByItsText(pugi::xml_node field) {
    pugi::xml_node parent = field.parent();
    while (pugi::xml_node child = field.first_child()) parent.insert_move_before(child, field);
    parent.remove_child(field);
}

}  // namespace fk::slicer
