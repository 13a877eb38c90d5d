#pragma once

#include "BodyPosition.h"
#include "DocumentFacts.h"
#include "StyleCatalog.h"

#include <pugixml.hpp>

#include <functional>
#include <string>
#include <string_view>

namespace fk::slicer {

// Chapter fields of headers and footers. The office fills them from the first paragraph of each page; an
// output lacks the headings of the pages before it, so it would show the page's own first heading, or
// nothing. Each field is written as the text the input shows on the page instead.
class RunningHeads {
public:
    RunningHeads(const DocumentFacts& facts, const StyleCatalog& styles);

    // Replaces every chapter field under stylesRoot by what it shows on a page starting at pageStart.
    void freezeChapters(pugi::xml_node stylesRoot, const BodyPosition& pageStart) const;

    // What a chapter field shows for its heading (text:display: name, number, number-and-name,
    // plain-number, plain-number-and-name).
    std::string shown(pugi::xml_node field, const BodyPosition& pageStart) const;

    // A number as a level of the outline writes it (style:num-format 1, a, A, i, I).
    static std::string formatNumber(int number, std::string_view format);

private:
    std::string label(const DocumentFacts::Chapter& chapter, bool withPrefixAndSuffix) const;
    // The format of a level of what numbers the chapter's heading: the outline, or its list.
    pugi::xml_node levelFormat(const DocumentFacts::Chapter& chapter, int level) const;
    // A list format ("%1%.%2%") with each level up to `deepest` replaced by its number.
    static std::string substituteLevels(std::string_view listFormat, int deepest,
                                        const std::function<std::string(int)>& number);
    static std::string title(pugi::xml_node heading);

    const DocumentFacts& facts_;
    const StyleCatalog& styles_;
};

}  // namespace fk::slicer
