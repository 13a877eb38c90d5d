#pragma once

#include "StyleCatalog.h"

#include <pugixml.hpp>

#include <string>
#include <string_view>
#include <unordered_set>

namespace fk::slicer {

// The automatic styles of one output document: finds them (its own first, then the input's), adds
// styles derived from existing ones, and takes over the input's that the document names.
class OutputStyles {
public:
    OutputStyles(const StyleCatalog& input, pugi::xml_node automaticStyles);

    // A new automatic style of `family` that looks like `base` (an automatic or common style name, or
    // empty). Automatic styles cannot have automatic parents, so an automatic base is copied whole and
    // keeps its own parent; a common base becomes the parent. Returns the new style element.
    pugi::xml_node derive(std::string_view family, std::string_view base);

    // A new paragraph style like `base` whose paragraphs take almost no room: no margins, a tiny line.
    pugi::xml_node deriveTiny(std::string_view base);

    std::string inheritedProperty(std::string_view family, std::string_view name, std::string_view properties,
                                  std::string_view attribute) const;

    // Sets an attribute on the style's properties element, creating the element when missing. The office
    // keeps some paragraph properties together (left and right margins with the first-line indent, space
    // above with space below, alignment with that of the last line; a table's margins likewise): a style that
    // sets one of them resets the others to nothing rather than inheriting them, so these are written out
    // with the values the style inherits.
    void setProperty(pugi::xml_node style, std::string_view properties, std::string_view attribute,
                     std::string_view value) const;

    // Copies in the input's automatic styles that the document names, directly or through a style
    // taken, and that it does not hold already. A long input has thousands, of which a page uses a few:
    // the output starts without them, and a derived style's base is found in the input.
    void takeNamedFromInput();

private:
    pugi::xml_node automaticStyle(std::string_view family, std::string_view name) const;
    std::string freshName(std::string_view family);

    const StyleCatalog& input_;
    pugi::xml_node automaticStyles_;
    std::unordered_set<std::string> usedNames_;
    int lastNumber_ = 0;
};

}  // namespace fk::slicer
