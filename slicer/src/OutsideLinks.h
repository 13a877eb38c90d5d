#pragma once

#include <pugixml.hpp>

#include <filesystem>
#include <string>
#include <string_view>

namespace fk::slicer {

// Links to files outside a package are written relative to where the package is. The office wrote the
// marked package's from the private folder it stored it in; the pages are stored elsewhere, and their
// links must lead from there to the same files.
class OutsideLinks {
public:
    // Both folders absolute: where the marked package was stored, and where its pages go.
    OutsideLinks(const std::filesystem::path& storedIn, const std::filesystem::path& pagesIn);

    // An OpenDocument link, relative to the package as if it were a folder: "../" climbs out of it. Links
    // into the package, to a place in the document, absolute or with a scheme stay as they are.
    std::string moved(std::string_view href) const;
    // Every xlink:href under `root`.
    void move(pugi::xml_node root) const;

    // A Word package's external target, relative to the package's folder; absolute targets and those
    // with a scheme stay as they are.
    std::string movedFromFolder(std::string_view target) const;

private:
    // Percent-encoded, as a link's path is.
    std::filesystem::path storedIn_, pagesIn_;
};

}  // namespace fk::slicer
