#pragma once

#include <pugixml.hpp>

#include <cstddef>
#include <vector>

namespace fk::slicer {

// Where a page of a Word document starts: in which block of the body, and whether at that block's start.
struct WordPageOpening {
    std::size_t block = 0;
    bool atBlockStart = false;
};

// The sections of a Word document's body: the section each block is in, the headers and footers each
// shows (its own, or those it takes over from the section before), and the number each page prints.
class WordSections {
public:
    // `blocks`: the body's children but its own section properties, `last`; `pages`: page k's start
    // at [k - 1]. The sections take over their headers and footers in the document itself.
    WordSections(const std::vector<pugi::xml_node>& blocks, pugi::xml_node last,
                 std::vector<WordPageOpening> pages);

    // Ends the body of pages `first`.. with the properties of the section its block `lastBlock` is in:
    // numbered, and with the first page's header, as the document prints the page.
    void endPage(pugi::xml_node body, std::size_t lastBlock, int first) const;

private:
    bool beginsPage(int page) const;

    std::vector<pugi::xml_node> sections_;  // in order, the body's own last
    std::vector<std::size_t> sectionOfBlock_;
    std::vector<std::size_t> firstBlockOf_;  // by section
    std::vector<WordPageOpening> pages_;
    std::vector<int> numbers_;  // page k's number at [k - 1]
};

}  // namespace fk::slicer
