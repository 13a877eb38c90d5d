#include "NotesGoingOn.h"

#include "BoundaryLocator.h"
#include "OdfNodes.h"
#include "slicer/MarkNames.h"

#include <algorithm>
#include <string_view>

namespace fk::slicer {

namespace {

// A citation that shows nothing: an empty label would be numbered by the office.
constexpr const char* kNoCitation = "\xE2\x80\x8B";

pugi::xml_node noteWithId(pugi::xml_node root, const std::string& id) {
    return root.find_node([&](pugi::xml_node node) {
        return odf::is(node, "text:note") && id == node.attribute("text:id").as_string();
    });
}

pugi::xml_node firstParagraph(pugi::xml_node outputText) {
    for (pugi::xml_node block : outputText.children()) {
        if (odf::isPrologue(block) || odf::isPageAnchored(block)) continue;
        if (odf::isParagraph(block)) return block;
        const pugi::xml_node inside =
            block.find_node([](pugi::xml_node node) { return odf::isParagraph(node); });
        if (inside) return inside;
    }
    return {};
}

}  // namespace

NotesGoingOn::NotesGoingOn(pugi::xml_node inputText) {
    const pugi::xpath_node_set marks = inputText.select_nodes(".//text:note-body//text:bookmark");
    for (const pugi::xpath_node found : marks) {
        const pugi::xml_node mark = found.node();
        const int page = PageOfNoteMark(mark.attribute("text:name").as_string());
        if (page == 0) continue;
        pugi::xml_node body = mark.parent();
        while (body && !odf::is(body, "text:note-body")) body = body.parent();
        const std::string id = body.parent().attribute("text:id").as_string();
        // A note without an id cannot be found again in an output; it stays whole with its citation.
        if (id.empty()) continue;
        notes_.push_back({page, id, body, BoundaryLocator::liftWithin(BodyPosition::before_(mark), body)});
    }
    // A note may go on over several pages: its parts are found in page order.
    std::stable_sort(notes_.begin(), notes_.end(),
                     [](const GoingOn& a, const GoingOn& b) { return a.page < b.page; });
}

const NotesGoingOn::GoingOn* NotesGoingOn::firstAfter(const std::string& id, int page) const {
    for (const GoingOn& going : notes_)
        if (going.id == id && going.page > page) return &going;
    return nullptr;
}

void NotesGoingOn::cutAtPageEnd(int last, pugi::xml_node outputText, BodyRangeCopier& copier) const {
    for (const GoingOn& going : notes_) {
        // The note's first cut after the output's last page, once per note.
        if (going.page <= last || firstAfter(going.id, last) != &going) continue;
        const pugi::xml_node note = noteWithId(outputText, going.id);
        if (!note) continue;
        pugi::xml_node body = note.child("text:note-body");
        while (body.first_child()) body.remove_child(body.first_child());
        copier.copy(going.body, BodyPosition::startOf(going.body), going.cut, body);
    }
}

void NotesGoingOn::carryOnto(int first, int last, pugi::xml_node outputText, BodyRangeCopier& copier) const {
    for (const GoingOn& going : notes_) {
        if (going.page < first || going.page > last || noteWithId(outputText, going.id)) continue;
        // One part per note and output: from the output's first cut of the note up to the first cut
        // after its last page, or to the note's end.
        if (firstAfter(going.id, first - 1) != &going) continue;
        const GoingOn* next = firstAfter(going.id, last);
        pugi::xml_node paragraph = firstParagraph(outputText);
        if (!paragraph) continue;
        const pugi::xml_node input = going.body.parent();
        pugi::xml_node note = paragraph.prepend_child("text:note");
        note.append_attribute("text:id") = (going.id + "_rest").c_str();
        note.append_attribute("text:note-class") = input.attribute("text:note-class").as_string("footnote");
        pugi::xml_node citation = note.append_child("text:note-citation");
        citation.append_attribute("text:label") = kNoCitation;
        citation.append_child(pugi::node_pcdata).set_value(kNoCitation);
        copier.copy(going.body, going.cut, next ? next->cut : BodyPosition::endOf(going.body),
                    note.append_child("text:note-body"));
    }
}

}  // namespace fk::slicer
