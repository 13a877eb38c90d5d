#pragma once

#include <pugixml.hpp>

#include <initializer_list>
#include <string_view>

namespace fk::slicer {

// Keeps in an output only what its own body refers to. The input's body declares tracked changes and
// variables for the whole document; copied whole, every page would carry the deleted text and authors of
// the others. Ranges (bookmarks, reference marks, comments, tracked changes) that a page boundary cuts are
// closed on the page, so that each part stands on its own.
class PageConfinement {
public:
    // Pairs every range start of the body with an end and every end with a start: a bookmark or reference
    // mark cut by the boundary becomes a point where it starts, a comment whose end is on another page
    // is anchored where it stands, and a tracked change is closed at the page's last paragraph or opened at
    // its first.
    static void closeCutRanges(pugi::xml_node outputText);

    // Whether a document's settings (settings.xml) hide tracked changes from view.
    static bool changesHidden(std::string_view settings);

    // Leaves out of the body the hidden deletions that cross a paragraph's end. Opened alone, the office puts
    // the deleted paragraphs of one that stood at the page's start before its first paragraph, on a page
    // of their own that shows nothing; hidden, they show nothing on the page anyway. Their records go
    // with keepOwnTrackedChanges.
    static void leaveOutParagraphDeletions(pugi::xml_node outputText);

    // Drops the tracked changes that no mark of the body refers to.
    static void keepOwnTrackedChanges(pugi::xml_node outputText);

    // Drops the variable, user field and sequence declarations that no field or formula under `users`
    // names (the body, and the headers and footers of the output's styles).
    static void keepNeededDeclarations(pugi::xml_node outputText,
                                       std::initializer_list<pugi::xml_node> users);
};

}  // namespace fk::slicer
