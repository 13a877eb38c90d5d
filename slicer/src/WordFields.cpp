#include "WordFields.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace fk::slicer {

namespace {

// The fldChar type of a run, empty when the run holds none.
std::string_view fieldCharacter(pugi::xml_node run) {
    return run.child("w:fldChar").attribute("w:fldCharType").value();
}

void freezeSimple(pugi::xml_node field) {
    pugi::xml_node parent = field.parent();
    for (pugi::xml_node child : field.children()) parent.insert_copy_before(child, field);
    parent.remove_child(field);
}

// The run that begins the field of runs an instruction belongs to; null when not found before another
// field's mark.
pugi::xml_node fieldBegin(pugi::xml_node instruction) {
    for (pugi::xml_node run = instruction.parent(); run; run = run.previous_sibling()) {
        const std::string_view type = fieldCharacter(run);
        if (type == "begin") return run;
        if (!type.empty()) return {};
    }
    return {};
}

// A field of runs: begin, instruction, separate, result, end. Its result's runs stay.
bool freezeComplex(pugi::xml_node begin) {
    pugi::xml_node separate = begin.next_sibling();
    while (separate && fieldCharacter(separate) != "separate") {
        if (!fieldCharacter(separate).empty()) return false;  // a field inside it, or no result
        separate = separate.next_sibling();
    }
    pugi::xml_node end = separate ? separate.next_sibling() : pugi::xml_node();
    while (end && fieldCharacter(end) != "end") {
        if (!fieldCharacter(end).empty()) return false;
        end = end.next_sibling();
    }
    if (!separate || !end) return false;
    pugi::xml_node parent = begin.parent();
    for (pugi::xml_node node = begin; node != separate;) {
        const pugi::xml_node next = node.next_sibling();
        parent.remove_child(node);
        node = next;
    }
    parent.remove_child(separate);
    parent.remove_child(end);
    return true;
}

}  // namespace

bool CountsPages(std::string_view instruction) {
    const std::size_t begin = instruction.find_first_not_of(' ');
    if (begin == std::string_view::npos) return false;
    std::string word(instruction.substr(begin, instruction.find(' ', begin) - begin));
    std::transform(word.begin(), word.end(), word.begin(), [](unsigned char c) { return std::toupper(c); });
    return word == "NUMPAGES" || word == "SECTIONPAGES" || word == "PAGEREF" || word == "SECTION";
}

bool FreezePageCountingFields(pugi::xml_node root, int& frozen) {
    frozen = 0;
    // Found once and frozen from the last: freezing a field frees its own nodes only, and a field inside
    // another is frozen before it.
    std::vector<pugi::xml_node> simple;
    for (pugi::xpath_node field : root.select_nodes(".//w:fldSimple"))
        if (CountsPages(field.node().attribute("w:instr").value())) simple.push_back(field.node());
    for (auto field = simple.rbegin(); field != simple.rend(); ++field, ++frozen) freezeSimple(*field);

    std::vector<pugi::xml_node> begins;
    for (pugi::xpath_node field : root.select_nodes(".//w:instrText")) {
        if (!CountsPages(field.node().text().get())) continue;
        const pugi::xml_node begin = fieldBegin(field.node());
        if (!begin) return false;
        if (begins.empty() || begins.back() != begin) begins.push_back(begin);
    }
    for (auto begin = begins.rbegin(); begin != begins.rend(); ++begin, ++frozen)
        if (!freezeComplex(*begin)) return false;
    return true;
}

}  // namespace fk::slicer
