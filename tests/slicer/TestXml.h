#pragma once

#include "slicer/PagePlan.h"

#include <string>
#include <utility>
#include <vector>

// The XML of small documents, for the tests and for the fuzz target's seeds: no test framework here.
namespace fk::slicer {

// The namespaces the office declares on its documents.
inline constexpr const char* kOdfNamespaces =
    R"( xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
    R"( xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0")"
    R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0")"
    R"( xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0")"
    R"( xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0")"
    R"( xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0")"
    R"( xmlns:xlink="http://www.w3.org/1999/xlink")"
    R"( xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0")";

// Our page mark, as the office stores it in the body.
inline std::string mark(int page) {
    return R"(<text:bookmark text:name=")" + PageMarkName(page) + R"("/>)";
}

// A cell mark of ours: where cell `cell` of a row that page `page` starts inside goes on.
inline std::string cellMark(int page, int cell) {
    return R"(<text:bookmark text:name=")" + CellMarkName(page, cell) + R"("/>)";
}

inline std::string contentXml(const std::string& body, const std::string& automaticStyles = "") {
    return std::string("<office:document-content") + kOdfNamespaces + R"( office:version="1.3">)" +
           "<office:automatic-styles>" + automaticStyles +
           "</office:automatic-styles><office:body><office:text>" + body +
           "</office:text></office:body></office:document-content>";
}

// Page layouts go in the automatic styles, left out when there are none.
inline std::string stylesXml(const std::string& commonStyles, const std::string& masterStyles = "",
                             const std::string& automaticStyles = "") {
    return std::string("<office:document-styles") + kOdfNamespaces + R"( office:version="1.3">)" +
           "<office:styles>" + commonStyles + "</office:styles>" +
           (automaticStyles.empty()
                ? ""
                : "<office:automatic-styles>" + automaticStyles + "</office:automatic-styles>") +
           "<office:master-styles>" + masterStyles + "</office:master-styles></office:document-styles>";
}

// META-INF/manifest.xml of a text package with the entries given (path, media type).
inline std::string manifestXml(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string xml =
        R"(<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0")"
        R"( manifest:version="1.3"><manifest:file-entry manifest:full-path="/" manifest:version="1.3")"
        R"( manifest:media-type="application/vnd.oasis.opendocument.text"/>)";
    for (const auto& [path, type] : entries)
        xml += R"(<manifest:file-entry manifest:full-path=")" + path + R"(" manifest:media-type=")" + type +
               R"("/>)";
    return xml + "</manifest:manifest>";
}

}  // namespace fk::slicer
