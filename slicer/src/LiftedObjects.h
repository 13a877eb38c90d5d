#pragma once

#include "OutputStyles.h"

#include <pugixml.hpp>

namespace fk::slicer {

// An unwrapped object anchored to a paragraph and aligned with its top cannot run off the foot of the
// page: when it would, the layout lifts it above its paragraph and draws it over the text, and the
// office stores how far it lifted it, a negative svg:y. Laid out afresh on a page of its own, the same
// object may push its paragraph on to a second page instead. Such objects are written to be drawn
// over the text, where the office lifts them again, as the input's page shows them.
class LiftedObjects {
public:
    static void drawOverText(pugi::xml_node outputText, OutputStyles& styles);
};

}  // namespace fk::slicer
