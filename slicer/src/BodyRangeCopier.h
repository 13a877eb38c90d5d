#pragma once

#include "BodyPosition.h"
#include "DocumentFacts.h"
#include "OutlineCounter.h"
#include "OutputStyles.h"

#include <pugixml.hpp>

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace fk::slicer {

// A page boundary as the copier cuts at it: where the page starts, and where it starts in each other
// cell of the table rows it starts inside (a row is cut in every cell at once).
struct BodyCut {
    BodyPosition position;
    std::vector<BodyPosition> cellCuts;
};

// Copies the part of a body between two page boundaries into an output body. Elements that straddle
// a boundary are cut: each part keeps the element's attributes, a paragraph's continuation loses its
// first-line indent, space above and list label, a justified paragraph's first part justifies its last
// line, a table's continuation repeats its columns and heading rows, a section's columns are not balanced on
// a page the section runs beyond, and a list's continuation goes on numbering where the input stands.
// Counters that run through the document (headings, lists, caption sequences) are given explicit start values
// where the output would otherwise start them afresh. Our page marks, soft page breaks and page-count fields
// do not survive the copy.
class BodyRangeCopier {
public:
    BodyRangeCopier(const DocumentFacts& facts, OutputStyles& styles, std::string pageCountText);

    // Both positions lie in sourceText (an office:text), start not after end.
    void copy(pugi::xml_node sourceText, const BodyPosition& start, const BodyPosition& end,
              pugi::xml_node targetText);
    void copy(pugi::xml_node sourceText, const BodyCut& start, const BodyCut& end, pugi::xml_node targetText);

    // Copies one element whole, with the same clean-up; returns the copy.
    pugi::xml_node copyWhole(pugi::xml_node source, pugi::xml_node targetParent);

private:
    void copyNode(pugi::xml_node source, pugi::xml_node targetParent, bool holdsStart, bool holdsEnd);
    void copyChildren(pugi::xml_node source, pugi::xml_node target, bool holdsStart, bool holdsEnd);
    // A paragraph cut by a page boundary: `continues` when it goes on from an earlier page, `continued`
    // when it goes on onto a later one.
    void restyleCutParagraph(pugi::xml_node copy, bool continues, bool continued);
    // The first item a list part opens with only wraps deeper levels: each level is given its number.
    void startWrappedLevels(pugi::xml_node source, pugi::xml_node copy);
    // A table whose rest is on the next page, and a row cut by the page.
    void dropTableSpaceBelow(pugi::xml_node copy);
    void dropRowMinimumHeight(pugi::xml_node copy);
    // A cell of a row the page cuts, on the page before.
    void endCutCell(pugi::xml_node copy);
    // Gives `element` a style of its own, like the `family` style its `styleAttribute` names, with the
    // length `length` of its `properties` none; nothing where that style gives none.
    void dropLength(pugi::xml_node element, const char* styleAttribute, std::string_view family,
                    std::string_view properties, std::string_view length);
    // A table's continuation, whose heading is repeated without the rows that followed it.
    static void endHeadingSpansWithTheHeading(pugi::xml_node copy);
    void continueHeadingNumber(pugi::xml_node source, pugi::xml_node copy);
    void continueSequence(pugi::xml_node source, pugi::xml_node copy);
    bool onStartPath(pugi::xml_node node) const { return startPath_.count(node.internal_object()) > 0; }
    bool onEndPath(pugi::xml_node node) const { return endPath_.count(node.internal_object()) > 0; }
    // The child of `parent` that a boundary lies before: nullopt when none lies directly in it, a null
    // node when one lies at its end.
    using Cuts = std::unordered_map<const void*, pugi::xml_node>;
    static void addCut(const BodyPosition& position, Cuts& cuts, std::unordered_set<const void*>& path);
    static std::optional<pugi::xml_node> cutIn(const Cuts& cuts, pugi::xml_node parent);
    // A cell of a cut row, cut at the start: what the layout shows of it on the earlier page is gone.
    static void continueCell(pugi::xml_node copy);

    const DocumentFacts& facts_;
    OutputStyles& styles_;
    std::string pageCountText_;
    BodyPosition startPosition_;
    Cuts startCuts_, endCuts_;
    std::unordered_set<const void*> startPath_, endPath_;
    OutlineCounter shownOutline_;
    std::set<std::string> sequencesSeen_;
};

}  // namespace fk::slicer
