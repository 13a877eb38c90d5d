#pragma once

#include <pugixml.hpp>

namespace fk::slicer {

// A point between two children of a body element: just before `before`, or at the end of `parent`
// when `before` is null.
struct BodyPosition {
    pugi::xml_node parent;
    pugi::xml_node before;

    bool operator==(const BodyPosition&) const = default;

    static BodyPosition startOf(pugi::xml_node element) { return {element, element.first_child()}; }
    static BodyPosition endOf(pugi::xml_node element) { return {element, {}}; }
    static BodyPosition before_(pugi::xml_node node) { return {node.parent(), node}; }
};

}  // namespace fk::slicer
