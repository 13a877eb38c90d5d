#pragma once

#include "BodyPosition.h"
#include "OutlineCounter.h"
#include "StyleCatalog.h"

#include <pugixml.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace fk::slicer {

// Numbers the input document shows, worked out once from its whole body, so that every output can
// continue them: list item numbers, heading numbers, caption sequence numbers and note counts.
class DocumentFacts {
public:
    DocumentFacts(pugi::xml_node officeText, const StyleCatalog& styles);

    std::optional<int> listItemNumber(pugi::xml_node item) const { return find(item); }
    // Only headings that take part in the outline numbering have one. A paragraph whose style sets an
    // outline level is numbered as a heading of that level, as the office does.
    std::optional<int> headingNumber(pugi::xml_node heading) const {
        return levels_.contains(heading.internal_object()) ? find(heading) : std::nullopt;
    }
    // The outline level of a heading (or of a paragraph numbered as one).
    int headingLevel(pugi::xml_node heading) const;

    // The numbers of the outer levels a heading's label shows ("3" of "3.2"), outermost first, each
    // with a paragraph style the outline numbers at that level.
    struct OuterNumber {
        int level;
        int number;
        std::string headingStyle;
    };
    std::vector<OuterNumber> outerNumbers(pugi::xml_node heading) const;

    std::optional<int> sequenceNumber(pugi::xml_node field) const { return find(field); }

    // Notes of the class ("footnote", "endnote") numbered before the position; notes with a label of
    // their own do not count. With sinceChapter, only those after the last chapter heading count.
    int notesBefore(std::string_view noteClass, const BodyPosition& position, bool sinceChapter) const;

    // The heading a chapter field of `level` shows on a page starting at `position`: the last heading of
    // that level or above that starts at or before the page's first paragraph, which may have begun on
    // an earlier page. Null when there is none.
    struct Chapter {
        pugi::xml_node heading;
        int level = 0;
        // The office takes a paragraph numbered as a heading by its style for a chapter of every level.
        bool ofEveryLevel = false;
        // The numbers its label shows, outermost first, up to its own: the outline's counters, or those of
        // the list that numbers it (then listStyle names that list's style). Empty when nothing numbers it.
        std::vector<int> numbers;
        std::string listStyle;
    };
    const Chapter* chapterInForce(const BodyPosition& position, int level) const;

    // Document order of a position, comparable between positions.
    std::size_t orderOf(const BodyPosition& position) const;

    // Whether a heading is numbered by the outline (not a list header, not numbered by another list).
    static bool takesOutlineNumber(pugi::xml_node heading, const StyleCatalog& styles);
    static int outlineLevel(pugi::xml_node heading);
    // The outline level a plain paragraph takes from its style; 0 for none.
    static int styleOutlineLevel(pugi::xml_node paragraph, const StyleCatalog& styles);

private:
    struct ListChain;
    struct ListWalk;

    std::optional<int> find(pugi::xml_node node) const;
    void visit(pugi::xml_node node, ListWalk& lists, ListChain* chain, int level);
    void visitList(pugi::xml_node list, ListWalk& lists, ListChain* chain, int level);
    void countHeading(pugi::xml_node heading, int level);
    void numberByList(const ListChain& chain, int depth);
    void countSequence(pugi::xml_node field);
    void countNote(pugi::xml_node note);

    const StyleCatalog& styles_;
    std::unordered_map<const void*, int> numbers_;
    std::unordered_map<const void*, std::vector<OuterNumber>> outerNumbers_;
    std::unordered_map<const void*, int> levels_;  // of the headings counted
    std::unordered_map<const void*, std::size_t> order_;
    std::size_t nodeCount_ = 0;
    std::vector<std::size_t> footnotes_, endnotes_, chapterStarts_, paragraphStarts_;
    std::vector<std::pair<std::size_t, Chapter>> headings_;  // by document order
    std::unordered_map<std::string, int> sequenceCounts_;
    OutlineCounter outline_;
};

}  // namespace fk::slicer
