#pragma once

#include <pugixml.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace fk::slicer {

// The page styles (master pages) of styles.xml, found by the names the office API reports.
class MasterPages {
public:
    explicit MasterPages(pugi::xml_node stylesRoot);

    // The master page's style:name (as the body refers to it) for an API page style name such as
    // "Left Page"; empty when none matches.
    std::string resolve(std::string_view pageStyle) const;

    // The master page that follows a page of `name`.
    std::string next(std::string_view name) const;

    // The page style a document starts with when its first paragraph names none.
    std::string initial() const;

    // The page layout (style:page-layout-name) of the master page `name`; empty when none matches.
    std::string layoutOf(std::string_view name) const;

    // "Left_20_Page" -> "Left Page": undoes the office's _xx_ escapes of characters not allowed in names.
    static std::string decodeName(std::string_view encoded);

private:
    struct Page {
        std::string name, displayName, nextName, layoutName;
    };
    std::vector<Page> pages_;
};

}  // namespace fk::slicer
