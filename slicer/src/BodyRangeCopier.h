#pragma once

#include "BodyPosition.h"
#include "DocumentFacts.h"
#include "OutlineCounter.h"
#include "OutputStyles.h"

#include <pugixml.hpp>

#include <set>
#include <string>
#include <unordered_set>

namespace fk::slicer {

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

    // Copies one element whole, with the same clean-up; returns the copy.
    pugi::xml_node copyWhole(pugi::xml_node source, pugi::xml_node targetParent);

private:
    void copyNode(pugi::xml_node source, pugi::xml_node targetParent, bool holdsStart, bool holdsEnd);
    void copyChildren(pugi::xml_node source, pugi::xml_node target, bool holdsStart, bool holdsEnd);
    // A paragraph cut by a page boundary: `continues` when it goes on from an earlier page, `continued`
    // when it goes on onto a later one.
    void restyleCutParagraph(pugi::xml_node copy, bool continues, bool continued);
    void continueHeadingNumber(pugi::xml_node source, pugi::xml_node copy);
    void continueSequence(pugi::xml_node source, pugi::xml_node copy);
    bool onStartPath(pugi::xml_node node) const { return startPath_.count(node.internal_object()) > 0; }
    bool onEndPath(pugi::xml_node node) const { return endPath_.count(node.internal_object()) > 0; }

    const DocumentFacts& facts_;
    OutputStyles& styles_;
    std::string pageCountText_;
    BodyPosition start_, end_;
    std::unordered_set<const void*> startPath_, endPath_;
    OutlineCounter shownOutline_;
    std::set<std::string> sequencesSeen_;
};

}  // namespace fk::slicer
