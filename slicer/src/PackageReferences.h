#pragma once

#include <pugixml.hpp>

#include <set>
#include <string>
#include <string_view>

namespace fk::slicer {

// The package entries a document's XML refers to (pictures, embedded objects and their replacement
// images), as paths inside the package.
class PackageReferences {
public:
    void collect(pugi::xml_node root);

    // Whether the entry is referred to, itself or through its folder ("Object 1" covers "Object
    // 1/content.xml").
    bool covers(std::string_view entryName) const;

private:
    std::set<std::string> paths_;
};

}  // namespace fk::slicer
