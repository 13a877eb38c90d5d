#include "WordSections.h"

#include <string_view>

#include "WordProperties.h"
#include "WordXml.h"

namespace fk::slicer {

WordSections::WordSections(const std::vector<pugi::xml_node>& blocks, pugi::xml_node last,
                           std::vector<WordPageOpening> pages)
    : pages_(std::move(pages)) {
    for (pugi::xml_node block : blocks) {
        sectionOfBlock_.push_back(sections_.size());
        if (const pugi::xml_node ends = block.child("w:pPr").child("w:sectPr")) sections_.push_back(ends);
    }
    sections_.push_back(last);
    // Each section's first block: the one after the block that ends the section before.
    firstBlockOf_.assign(sections_.size(), 0);
    for (std::size_t b = 1; b < blocks.size(); ++b)
        if (sectionOfBlock_[b] != sectionOfBlock_[b - 1]) firstBlockOf_[sectionOfBlock_[b]] = b;

    // A section without a header or footer of a kind shows the one of the section before.
    for (std::size_t i = 1; i < sections_.size(); ++i) {
        for (const char* reference : {"w:headerReference", "w:footerReference"}) {
            for (pugi::xml_node inherited : sections_[i - 1].children(reference)) {
                const std::string_view type = inherited.attribute("w:type").value();
                bool own = false;
                for (pugi::xml_node mine : sections_[i].children(reference))
                    own = own || type == mine.attribute("w:type").value();
                if (!own) sections_[i].prepend_copy(inherited);
            }
        }
    }

    // Numbers go on from page to page but where a section that opens a page starts them again.
    for (int page = 1; page <= static_cast<int>(pages_.size()); ++page) {
        const pugi::xml_attribute start =
            sections_[sectionOfBlock_[pages_[static_cast<std::size_t>(page - 1)].block]]
                .child("w:pgNumType")
                .attribute("w:start");
        if (beginsPage(page) && start)
            numbers_.push_back(start.as_int(1));
        else
            numbers_.push_back(page == 1 ? 1 : numbers_.back() + 1);
    }
}

bool WordSections::beginsPage(int page) const {
    if (page == 1) return true;
    const WordPageOpening& opening = pages_[static_cast<std::size_t>(page - 1)];
    return firstBlockOf_[sectionOfBlock_[opening.block]] == opening.block && opening.atBlockStart;
}

void WordSections::endPage(pugi::xml_node body, std::size_t lastBlock, int first) const {
    // The page's last paragraph, if it ends a section, ends the page's body instead: ended inside
    // the page, the section would open another.
    pugi::xml_node last = body.last_child();
    if (IsElement(last, "w:p")) last.child("w:pPr").remove_child("w:sectPr");
    body.append_copy(sections_[sectionOfBlock_[lastBlock]]);

    bool opening = true;
    for (pugi::xpath_node found : body.select_nodes("./w:p/w:pPr/w:sectPr | ./w:sectPr")) {
        WordSectionProperties properties(found.node());
        // A page alone has no page before it to leave blank.
        properties.openOnNextPage();
        // A later section of the output numbers its pages as in the input.
        if (!opening) continue;
        opening = false;
        // The page's number is its number in the input; a first page's own header only on the first
        // page of its section.
        properties.setNumberingStart(numbers_[static_cast<std::size_t>(first - 1)]);
        if (!beginsPage(first)) {
            properties.remove("w:titlePg");
        } else if (found.node().child("w:titlePg")) {
            // The office gives a section's first page no header or footer where its first page style has
            // none, and its body the room they take on the other pages; Word's margins are the section's.
            properties.giveFirstPageTheRoomOf("w:headerReference", "w:top", "w:header");
            properties.giveFirstPageTheRoomOf("w:footerReference", "w:bottom", "w:footer");
        }
    }
}

}  // namespace fk::slicer
