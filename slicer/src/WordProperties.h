#pragma once

#include <pugixml.hpp>

#include <array>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace fk::slicer {

// The paragraph styles of a Word package, for what a paragraph inherits from them.
class WordStyles {
public:
    void read(pugi::xml_document styles);

    // The paragraph property `name` (w:jc, w:numPr ...) in effect: its own, its style's or the
    // document's default; null when none sets it.
    pugi::xml_node paragraphProperty(pugi::xml_node paragraph, std::string_view name) const;
    bool inList(pugi::xml_node paragraph) const;
    bool justified(pugi::xml_node paragraph) const;

private:
    pugi::xml_document document_;
    std::unordered_map<std::string, pugi::xml_node> paragraphStyles_;
    std::string defaultStyle_;
    pugi::xml_node defaults_;  // w:docDefaults/w:pPrDefault/w:pPr
};

// How Word counts the items of its lists (numbering.xml), for comparing the numbers a page shows alone
// with those it shows in the whole document.
class WordListCounters {
public:
    static constexpr int kLevels = 9;
    // Each list's last number at each level, by numbering id.
    using Counts = std::unordered_map<std::string, std::array<int, kLevels>>;

    struct List {
        std::string abstractId;
        std::array<int, kLevels> start{};
        std::array<bool, kLevels> counting{};
    };

    explicit WordListCounters(pugi::xml_node numbering);

    // Whether every list restarts its levels as this model does: a level after any level above it.
    bool understood() const { return understood_; }
    const List* list(const std::string& id) const;
    // Counts an item of level `level` of list `id` in `counts`; answers the numbers of the levels that
    // count, up to the item's own (0 for one that does not count), empty for a list that counts nothing.
    std::vector<int> count(Counts& counts, const std::string& id, int level) const;

private:
    std::unordered_map<std::string, List> lists_;  // by numbering id
    bool understood_ = true;
};

// Changes a paragraph's own properties (w:pPr), each kept in the place Word's schema gives it: Word
// refuses a file whose properties are out of order.
class WordParagraphProperties {
public:
    explicit WordParagraphProperties(pugi::xml_node paragraph);

    void remove(std::string_view name);
    void set(std::string_view name, std::string_view attribute, std::string_view value);
    // w:spacing's w:before or w:after, in twips; the automatic spacing Word would add instead goes.
    void setSpacing(std::string_view side, std::string_view twips);
    void setFirstLineIndent(std::string_view twips);

    // A paragraph that takes no room, at the end of `body`.
    static void appendTiny(pugi::xml_node body);
    // A hidden paragraph at the end of `body` that counts as an item of level `level` of list `id`
    // (in paragraph style `style` unless empty), so that the items after it go on counting from it.
    static void appendListCarrier(pugi::xml_node body, const std::string& style, const std::string& id,
                                  int level);

private:
    pugi::xml_node child(std::string_view name);

    pugi::xml_node paragraph_;
};

// Changes a section's properties (w:sectPr), in schema order too.
class WordSectionProperties {
public:
    explicit WordSectionProperties(pugi::xml_node section) : section_(section) {}

    void remove(std::string_view name);
    // The section's first page is numbered `number`.
    void setNumberingStart(int number);
    // It opens on the next page, not on the next left or right one.
    void openOnNextPage();
    // Where the section's first page has no header (or footer) of its own but the others have one, its
    // body reaches the header's (footer's) distance from the edge: margin `side` of w:pgMar takes
    // the value of `distance`.
    void giveFirstPageTheRoomOf(std::string_view reference, std::string_view side, std::string_view distance);

private:
    pugi::xml_node section_;
};

}  // namespace fk::slicer
