#pragma once

#include "BodyRangeCopier.h"
#include "OutputStyles.h"
#include "PagePlan.h"

#include <pugixml.hpp>

#include <map>
#include <string>

namespace fk::slicer {

// An object anchored to a page's last paragraph can be drawn on the next page: it no longer fitted under
// its paragraph, and it follows the text flow. Cut with its paragraph, it would push that page onto a
// second one, and the page that shows it would lack it. Such objects leave their paragraph's output and
// stand on the page that draws them, anchored to that page where the input drew them.
class ObjectsDrawnLater {
public:
    ObjectsDrawnLater(const PagePlan& plan, pugi::xml_node inputText);

    // Takes out of an output body that ends with page `last` the objects the layout draws after it.
    void takeOut(int last, pugi::xml_node outputText) const;

    // Places on an output body of pages first..last the objects drawn there whose anchor it does not
    // hold, anchored to their page.
    void placeOnPages(int first, int last, pugi::xml_node outputText, BodyRangeCopier& copier,
                      OutputStyles& styles) const;

private:
    struct Drawn {
        int page = 0;
        DrawnObject where;
        pugi::xml_node object;  // in the input's body
    };
    std::map<std::string, Drawn> drawn_;  // by name
};

}  // namespace fk::slicer
