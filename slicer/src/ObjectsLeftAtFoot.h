#pragma once

#include "BodyRangeCopier.h"
#include "OutputStyles.h"
#include "PageMap.h"
#include "PagePlan.h"

#include <pugixml.hpp>

#include <vector>

namespace fk::slicer {

// A picture can fit at the foot of a page while the first line of the paragraph it is anchored to does
// not: the layout then begins that paragraph on the page with nothing but its objects and sets its text
// on the next page (the plan says so, see PlannedPage). Cut with its paragraph, the picture would take
// the next page's top and push that page onto two. Such objects are written at the foot of the page
// before, in a paragraph of almost no height, and left out of the page that holds the text.
class ObjectsLeftAtFoot {
public:
    ObjectsLeftAtFoot(const PagePlan& plan, const PageMap& pages) : plan_(plan), pages_(pages) {}

    // The objects of the input that `page` opens with but the layout left on the page before; none for
    // most pages.
    std::vector<pugi::xml_node> leftBefore(int page) const;

    // Takes them out of the opening paragraph of an output body that begins with page `first`.
    void dropFromOpening(int first, pugi::xml_node outputText) const;

    // Adds to the end of an output body that ends with page `last` the objects the next page left there.
    void holdAtFoot(int last, pugi::xml_node outputText, BodyRangeCopier& copier, OutputStyles& styles) const;

private:
    // The objects anchored to the paragraph that `page` begins at its very start; none for a page that
    // begins elsewhere.
    std::vector<pugi::xml_node> objectsOfOpeningParagraph(int page) const;

    const PagePlan& plan_;
    const PageMap& pages_;
};

}  // namespace fk::slicer
