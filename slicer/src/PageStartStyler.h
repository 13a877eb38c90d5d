#pragma once

#include "OutputStyles.h"

#include <pugixml.hpp>

#include <string>

namespace fk::slicer {

// Makes an output body start and end as its page did in the input.
class PageStartStyler {
public:
    // Gives the first paragraph (or table) the page's style and the number the page shows, through a
    // derived automatic style; a body with no block gets an empty paragraph to carry them. Without
    // spaceAbove, the block loses its space above, which the office shows on a document's first page
    // but not on a page the text flowed onto.
    static void styleFirstPage(pugi::xml_node outputText, const std::string& masterPage, int shownNumber,
                               bool spaceAbove, OutputStyles& styles);

    // A page break after the last block would add an empty page at the end of the output.
    static void dropTrailingBreak(pugi::xml_node outputText, OutputStyles& styles);

    // The office ends every document with a paragraph and adds one after a closing table; a table that
    // fills its page would push that paragraph onto a second page. Ends such a body with a hidden
    // paragraph, and a tiny one where hidden paragraphs are shown.
    static void closeAfterTable(pugi::xml_node outputText, OutputStyles& styles);
};

}  // namespace fk::slicer
