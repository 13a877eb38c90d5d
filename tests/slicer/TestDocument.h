#pragma once

#include "BodyRangeCopier.h"
#include "BoundaryLocator.h"
#include "DocumentFacts.h"
#include "OdfNodes.h"
#include "OutputStyles.h"
#include "StyleCatalog.h"
#include "slicer/PagePlan.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <memory>
#include <sstream>
#include <string>

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

inline std::string contentXml(const std::string& body, const std::string& automaticStyles = "") {
    return std::string("<office:document-content") + kOdfNamespaces + R"( office:version="1.3">)" +
           "<office:automatic-styles>" + automaticStyles +
           "</office:automatic-styles><office:body><office:text>" + body +
           "</office:text></office:body></office:document-content>";
}

inline std::string stylesXml(const std::string& commonStyles, const std::string& masterStyles = "") {
    return std::string("<office:document-styles") + kOdfNamespaces + R"( office:version="1.3">)" +
           "<office:styles>" + commonStyles + "</office:styles><office:master-styles>" + masterStyles +
           "</office:master-styles></office:document-styles>";
}

inline std::string innerXml(pugi::xml_node node) {
    std::ostringstream text;
    for (pugi::xml_node child : node.children()) child.print(text, "", pugi::format_raw);
    return text.str();
}

inline std::string outerXml(pugi::xml_node node) {
    std::ostringstream text;
    node.print(text, "", pugi::format_raw);
    return text.str();
}

// A small body written in the test, and the parts the cutting rules make of it.
class TestDocument {
public:
    explicit TestDocument(const std::string& body, const std::string& automaticStyles = "",
                          const std::string& commonStyles = "") {
        const auto parsed = content_.load_string(contentXml(body, automaticStyles).c_str(),
                                                 pugi::parse_default | pugi::parse_ws_pcdata);
        EXPECT_TRUE(parsed) << parsed.description();
        styles_.load_string(stylesXml(commonStyles).c_str());
        catalog_ = std::make_unique<StyleCatalog>(content_.document_element(), styles_.document_element());
        facts_ = std::make_unique<DocumentFacts>(text(), *catalog_);
    }

    pugi::xml_node text() const {
        return content_.document_element().child("office:body").child("office:text");
    }
    const StyleCatalog& styles() const { return *catalog_; }
    const DocumentFacts& facts() const { return *facts_; }

    pugi::xml_node markNode(int page) const {
        return text().find_node([page](pugi::xml_node node) { return odf::markedPage(node) == page; });
    }

    // Where page `page` begins; the end of the body for a page without mark.
    BodyPosition start(int page) const {
        if (page == 1) return BodyPosition::startOf(text());
        const pugi::xml_node found = markNode(page);
        return found ? BoundaryLocator::locate(found).position : BodyPosition::endOf(text());
    }

    // The output body for pages first..last, as XML; derived styles are kept for outputStyle().
    std::string pages(int first, int last) {
        output_.reset();
        pugi::xml_node root = output_.append_child("office:document-content");
        automaticStyles_ = root.append_copy(content_.document_element().child("office:automatic-styles"));
        outputText_ = root.append_child("office:body").append_child("office:text");
        outputStyles_ = std::make_unique<OutputStyles>(*catalog_, automaticStyles_);
        BodyRangeCopier copier(*facts_, *outputStyles_, "9");
        copier.copy(text(), start(first), start(last + 1), outputText_);
        return innerXml(outputText_);
    }
    std::string page(int number) { return pages(number, number); }

    pugi::xml_node outputText() const { return outputText_; }
    OutputStyles& outputStyles() { return *outputStyles_; }
    std::string outputStyle(const std::string& name) const {
        return outerXml(automaticStyles_.find_child_by_attribute("style:name", name.c_str()));
    }

private:
    pugi::xml_document content_, styles_, output_;
    pugi::xml_node automaticStyles_, outputText_;
    std::unique_ptr<StyleCatalog> catalog_;
    std::unique_ptr<DocumentFacts> facts_;
    std::unique_ptr<OutputStyles> outputStyles_;
};

}  // namespace fk::slicer
