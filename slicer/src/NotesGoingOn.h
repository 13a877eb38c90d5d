#pragma once

#include "BodyRangeCopier.h"

#include <pugixml.hpp>

#include <string>
#include <vector>

namespace fk::slicer {

// A footnote that does not fit on its citation's page goes on at the foot of a later page, or moves there
// whole. Held whole by the citation's page, it pushed that page onto a second one, and the later page
// lacked it. The office marks in the note's text where the later page's part begins (NoteMarkName): the
// output of the citation's page holds the note up to the mark, and the output of the later page the
// rest, in a note of its own at its start whose citation shows nothing, as the input shows it there. A
// note that goes on over several pages has a mark for each, and each later page holds its own part.
class NotesGoingOn {
public:
    explicit NotesGoingOn(pugi::xml_node inputText);

    // Cuts at their marks the notes of an output ending with page `last` that go on after it.
    void cutAtPageEnd(int last, pugi::xml_node outputText, BodyRangeCopier& copier) const;

    // Adds to an output of pages first..last the rest of each note that goes on on one of its pages and
    // whose citation is on an earlier page.
    void carryOnto(int first, int last, pugi::xml_node outputText, BodyRangeCopier& copier) const;

private:
    struct GoingOn {
        int page = 0;         // where the rest is printed
        std::string id;       // text:id of the note
        pugi::xml_node body;  // its text:note-body in the input
        BodyPosition cut;     // where the rest begins, in body
    };
    // The first cut of note `id` on a page after `page`, or none.
    const GoingOn* firstAfter(const std::string& id, int page) const;

    std::vector<GoingOn> notes_;  // in page order
};

}  // namespace fk::slicer
