#pragma once

#include <pugixml.hpp>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace fk::slicer {

// Looks up the styles a body refers to: the automatic styles of content.xml and the common styles of
// styles.xml, following parent styles. The style containers must not change while it is in use.
class StyleCatalog {
public:
    // Either root may be null (a document without styles.xml, a test body).
    StyleCatalog(pugi::xml_node contentRoot, pugi::xml_node stylesRoot);

    pugi::xml_node automaticStyle(std::string_view family, std::string_view name) const;
    pugi::xml_node commonStyle(std::string_view family, std::string_view name) const;
    pugi::xml_node style(std::string_view family, std::string_view name) const;

    // An attribute of a style's properties element (e.g. style:paragraph-properties/@fo:break-after),
    // as the style or its nearest ancestor sets it; empty when none does.
    std::string inheritedProperty(std::string_view family, std::string_view name, std::string_view properties,
                                  std::string_view attribute) const;

    // An attribute of the style element itself (e.g. style:master-page-name), inherited likewise.
    // Returns null when no style in the chain has it.
    pugi::xml_attribute inheritedAttribute(std::string_view family, std::string_view name,
                                           std::string_view attribute) const;

    // content.xml's office:automatic-styles; null when it has none.
    pugi::xml_node automaticStyles() const { return contentAutomatic_; }

    // The automatic styles of content.xml of any kind (style, list style, data style) with this name,
    // in document order.
    const std::vector<pugi::xml_node>& automaticStylesNamed(std::string_view name) const;

    // A list style (text:list-style) by name.
    pugi::xml_node listStyle(std::string_view name) const;

    // The outline numbering's format for a level (text:outline-level-style); null when it has none.
    pugi::xml_node outlineLevelStyle(int level) const;

    // A common paragraph style that the outline numbers at `level`; empty when there is none.
    std::string outlineParagraphStyle(int level) const;

private:
    // A container's styles by element and name, in document order. Every paragraph looks its style
    // up, and a long document has thousands of automatic styles: a search through them all for each
    // would grow with the square of the document.
    class Index {
    public:
        explicit Index(pugi::xml_node container);
        pugi::xml_node find(std::string_view element, std::string_view family, std::string_view name) const;

    private:
        static std::string key(std::string_view element, std::string_view name);
        std::unordered_map<std::string, std::vector<pugi::xml_node>> styles_;
    };

    pugi::xml_node contentAutomatic_;
    pugi::xml_node common_;
    Index automaticIndex_, commonIndex_;
    std::unordered_map<std::string, std::vector<pugi::xml_node>> automaticByName_;
};

}  // namespace fk::slicer
