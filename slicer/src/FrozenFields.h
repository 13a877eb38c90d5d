#pragma once

#include <pugixml.hpp>

#include <set>
#include <string>

namespace fk::slicer {

// Fields that an output would show otherwise than the input did, made to show what the input showed:
// references to something another page holds (the office would show an error in their place), values the
// office takes from the file, the clock or the whole document, and variables set on another page. A field
// the output can still compute as the input did stays a field.
class FrozenFields {
public:
    // The reference targets (bookmarks, reference marks, captions, notes) an output body holds.
    explicit FrozenFields(pugi::xml_node outputBody);

    // Freezes the fields under root: the output's body, or the root of its styles (headers, footers).
    void freeze(pugi::xml_node root) const;

    // Replaces a field by the text it shows, keeping the spans inside it.
    static void replaceByItsText(pugi::xml_node field);

private:
    bool isTargetHeld(pugi::xml_node reference) const;

    std::set<std::string> bookmarks_, referenceMarks_, sequences_, notes_;
};

}  // namespace fk::slicer
