#include "WordListCarriers.h"

#include <algorithm>

#include "WordXml.h"

namespace fk::slicer {

WordListCarriers::WordListCarriers(pugi::xml_document numbering, const WordStyles& styles,
                                   const std::vector<pugi::xml_node>& blocks,
                                   const std::vector<int>& pageOfBlock,
                                   const std::set<std::size_t>& cutTables, int pageCount)
    : numbering_(std::move(numbering)), lists_(numbering_.document_element()) {
    if (!lists_.understood()) {
        notUnderstood_ = "lists whose levels restart otherwise than after the level above";
        return;
    }
    WordListCounters::Counts counts;
    std::unordered_map<std::string, std::string> listOfAbstract;
    countsAtStart_.assign(static_cast<std::size_t>(pageCount), {});
    int page = 1;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        for (; page < pageOfBlock[b]; ++page) countsAtStart_[static_cast<std::size_t>(page)] = counts;
        const auto count = [&](pugi::xml_node paragraph) {
            const pugi::xml_node list = styles.paragraphProperty(paragraph, "w:numPr");
            const std::string id = list.child("w:numId").attribute("w:val").value();
            const WordListCounters::List* counted = lists_.list(id);
            if (!counted) return true;
            if (cutTables.contains(b)) return false;
            // Lists that share their levels may count on from one another.
            const auto [known, added] = listOfAbstract.try_emplace(counted->abstractId, id);
            if (!added && known->second != id) return false;
            pugi::xml_node level = paragraph.child("w:pPr").child("w:numPr").child("w:ilvl");
            if (!level) level = list.child("w:ilvl");
            const int depth =
                std::clamp(level.attribute("w:val").as_int(0), 0, WordListCounters::kLevels - 1);
            lists_.count(counts, id, depth);
            styles_[id][static_cast<std::size_t>(depth)] =
                paragraph.child("w:pPr").child("w:pStyle").attribute("w:val").value();
            return true;
        };
        bool understood = IsElement(blocks[b], "w:p") ? count(blocks[b]) : true;
        for (pugi::xpath_node nested : blocks[b].select_nodes(".//w:p"))
            understood = count(nested.node()) && understood;
        if (!understood) {
            notUnderstood_ = "lists that count on from one another, or across the pages of a table";
            return;
        }
    }
    // Pages that start inside the last block.
    for (; page < pageCount; ++page) countsAtStart_[static_cast<std::size_t>(page)] = counts;
    for (const WordListCounters::Counts& atStart : countsAtStart_)
        if (carriersFor(atStart).size() > kMaxCarriers) {
            notUnderstood_ = "lists with too many items before a page to count up to";
            return;
        }
}

std::vector<std::pair<std::string, int>> WordListCarriers::carriersFor(
    const WordListCounters::Counts& counts) const {
    std::vector<std::string> ids;
    for (const auto& [id, numbers] : counts) ids.push_back(id);
    std::sort(ids.begin(), ids.end());
    std::vector<std::pair<std::string, int>> carriers;
    for (const std::string& id : ids) {
        const WordListCounters::List& list = *lists_.list(id);
        const std::array<int, WordListCounters::kLevels>& numbers = counts.at(id);
        // The first level counts up at once from its start, which the page's numbering sets; each level
        // below it restarts after it, and counts one carrier at a time.
        for (std::size_t level = 0; level < WordListCounters::kLevels; ++level) {
            const int items = numbers[level] - list.start[level] + 1;
            if (items <= 0 || !list.counting[level]) continue;
            for (int item = 0; item < (level == 0 ? 1 : items) && carriers.size() <= kMaxCarriers; ++item)
                carriers.emplace_back(id, static_cast<int>(level));
        }
    }
    return carriers;
}

std::string WordListCarriers::carry(pugi::xml_node body, int page) const {
    const WordListCounters::Counts& counts = countsAtStart_[static_cast<std::size_t>(page - 1)];
    const std::vector<std::pair<std::string, int>> carriers = carriersFor(counts);
    if (carriers.empty()) return {};
    pugi::xml_document numbering = CopiedPart(numbering_);
    for (const auto& [id, level] : carriers) {
        const auto style = styles_.find(id);
        WordParagraphProperties::appendListCarrier(
            body, style == styles_.end() ? std::string() : style->second[static_cast<std::size_t>(level)], id,
            level);
        if (level != 0) continue;
        // The first level's carrier shows the number the page's first level goes on from.
        pugi::xml_node num =
            numbering.document_element().find_child_by_attribute("w:num", "w:numId", id.c_str());
        pugi::xml_node override = num.find_child_by_attribute("w:lvlOverride", "w:ilvl", "0");
        if (!override) {
            override = num.append_child("w:lvlOverride");
            override.append_attribute("w:ilvl") = "0";
        }
        pugi::xml_node start = override.child("w:startOverride");
        if (!start) start = override.prepend_child("w:startOverride");
        if (!start.attribute("w:val")) start.append_attribute("w:val");
        start.attribute("w:val") = counts.at(id)[0];
    }
    return SerializedPart(numbering);
}

}  // namespace fk::slicer
