#pragma once

#include <pugixml.hpp>

#include <initializer_list>
#include <set>
#include <string>

namespace fk::slicer {

// The reference targets (bookmarks, reference marks, captions, notes) held under some roots.
class ReferenceTargets {
public:
    explicit ReferenceTargets(std::initializer_list<pugi::xml_node> roots);

    bool holdsTargetOf(pugi::xml_node reference) const;

private:
    std::set<std::string> bookmarks_, referenceMarks_, sequences_, notes_;
};

// Fields that an output would show otherwise than the input did, made to show what the input showed:
// references to something another page holds (the office would show an error in their place), values the
// office takes from the file, the clock or the whole document, and variables set on another page. A field
// the output can still compute as the input did stays a field, and so does a reference to what the input
// holds nowhere: the output shows the office's error, as the input did.
class FrozenFields {
public:
    // `inputTargets`: those of the whole input.
    FrozenFields(pugi::xml_node outputBody, const ReferenceTargets& inputTargets);

    // Freezes the fields under root: the output's body, or the root of its styles (headers, footers).
    void freeze(pugi::xml_node root) const;

    // Replaces a field by the text it shows, keeping the spans inside it.
    static void replaceByItsText(pugi::xml_node field);

private:
    bool isTargetElsewhere(pugi::xml_node reference) const;

    ReferenceTargets outputTargets_;
    const ReferenceTargets& inputTargets_;
};

}  // namespace fk::slicer
