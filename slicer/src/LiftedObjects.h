#pragma once

#include "OutputStyles.h"

#include <pugixml.hpp>

namespace fk::slicer {

// An object anchored to a paragraph and aligned with its top cannot run off the foot of the page: when it
// would, the layout lifts it above its paragraph and draws it over the text, and the office stores where
// it stood, a negative svg:y. Laid out afresh on a page of its own, the same object would push its
// paragraph on to a second page instead. Such objects are written where they stood and over the text, as
// the input's page shows them.
class LiftedObjects {
public:
    static void drawOverText(pugi::xml_node outputText, OutputStyles& styles);
};

}  // namespace fk::slicer
