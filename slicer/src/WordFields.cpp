#include "WordFields.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace fk::slicer {

namespace {

// The fldChar type of a run, empty when the run holds none.
std::string_view fieldCharacter(pugi::xml_node run) {
    return run.child("w:fldChar").attribute("w:fldCharType").value();
}

bool freezeSimple(pugi::xml_node field) {
    pugi::xml_node parent = field.parent();
    for (pugi::xml_node child : field.children()) parent.insert_copy_before(child, field);
    parent.remove_child(field);
    return true;
}

// A field of runs: begin, instruction, separate, result, end. Its result's runs stay.
bool freezeComplex(pugi::xml_node instruction) {
    const pugi::xml_node run = instruction.parent();
    pugi::xml_node begin = run;
    while (begin && fieldCharacter(begin) != "begin") {
        if (!fieldCharacter(begin).empty() && begin != run) return false;
        begin = begin.previous_sibling();
    }
    pugi::xml_node separate = run;
    while (separate && fieldCharacter(separate) != "separate") {
        if (fieldCharacter(separate) == "begin" || fieldCharacter(separate) == "end") return false;
        separate = separate.next_sibling();
    }
    pugi::xml_node end = separate.next_sibling();
    while (end && fieldCharacter(end) != "end") {
        if (!fieldCharacter(end).empty()) return false;
        end = end.next_sibling();
    }
    if (!begin || !separate || !end) return false;
    pugi::xml_node parent = run.parent();
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

bool FreezePageCountingFields(pugi::xml_node root) {
    // Found again after each change, which frees the nodes it removes.
    for (;;) {
        pugi::xml_node simple, complex;
        for (pugi::xpath_node field : root.select_nodes(".//w:fldSimple"))
            if (CountsPages(field.node().attribute("w:instr").value())) {
                simple = field.node();
                break;
            }
        if (simple) {
            freezeSimple(simple);
            continue;
        }
        for (pugi::xpath_node field : root.select_nodes(".//w:instrText"))
            if (CountsPages(field.node().text().get())) {
                complex = field.node();
                break;
            }
        if (!complex) return true;
        if (!freezeComplex(complex)) return false;
    }
}

}  // namespace fk::slicer
