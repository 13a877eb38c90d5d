#pragma once

#include <pugixml.hpp>

#include <array>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "WordProperties.h"

namespace fk::slicer {

// The numbers of a Word document's lists where each page starts, and the hidden list items that make a
// page alone count on from them: a page cut from the middle of a numbered list would count from 1.
class WordListCarriers {
public:
    // `pageOfBlock[b]`: the page the first line of body block `b` is on; `cutTables`: the blocks of the
    // tables that a page starts inside, whose items count with the page the table starts on.
    WordListCarriers(pugi::xml_document numbering, const WordStyles& styles,
                     const std::vector<pugi::xml_node>& blocks, const std::vector<int>& pageOfBlock,
                     const std::set<std::size_t>& cutTables, int pageCount);

    // Empty when every page can count on; otherwise why not.
    const std::string& notUnderstood() const { return notUnderstood_; }

    // Puts page `page`'s carriers at the start of `body`; answers the page's numbering part, empty when
    // the page needs none of its own.
    std::string carry(pugi::xml_node body, int page) const;

private:
    // The carriers of a page, in order: each one's list and level.
    std::vector<std::pair<std::string, int>> carriersFor(const WordListCounters::Counts& counts) const;

    static constexpr std::size_t kMaxCarriers = 500;

    pugi::xml_document numbering_;
    WordListCounters lists_;
    std::vector<WordListCounters::Counts> countsAtStart_;  // by page
    // The paragraph style of each list's items, by level: a carrier counts in the same list.
    std::unordered_map<std::string, std::array<std::string, WordListCounters::kLevels>> styles_;
    std::string notUnderstood_;
};

}  // namespace fk::slicer
