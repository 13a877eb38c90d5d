#pragma once

#include "BodyRangeCopier.h"
#include "BoundaryLocator.h"
#include "DocumentFacts.h"
#include "OdfNodes.h"
#include "OutputStyles.h"
#include "StyleCatalog.h"
#include "TestXml.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <memory>
#include <sstream>
#include <string>

namespace fk::slicer {

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

    // Where page `page` begins when the office marked the cells of the rows it starts inside.
    BodyCut cut(int page) const {
        if (page == 1) return {BodyPosition::startOf(text()), {}};
        const pugi::xml_node found = markNode(page);
        if (!found) return {BodyPosition::endOf(text()), {}};
        std::vector<pugi::xml_node> cellMarks;
        for (const pugi::xpath_node node : text().select_nodes(".//text:bookmark"))
            if (odf::markedCellPage(node.node()) == page) cellMarks.push_back(node.node());
        const PageBoundary boundary = BoundaryLocator::locate(found, cellMarks);
        EXPECT_EQ(boundary.issue, "");
        return {boundary.position, boundary.cellCuts};
    }

    // The output body for pages first..last, cut by cell marks; as XML.
    std::string cutPages(int first, int last) {
        BodyRangeCopier copier = prepareOutput();
        copier.copy(text(), cut(first), cut(last + 1), outputText_);
        return innerXml(outputText_);
    }

    // The output body for pages first..last, as XML; derived styles are kept for outputStyle().
    std::string pages(int first, int last) {
        BodyRangeCopier copier = prepareOutput();
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
    BodyRangeCopier prepareOutput() {
        output_.reset();
        pugi::xml_node root = output_.append_child("office:document-content");
        automaticStyles_ = root.append_copy(content_.document_element().child("office:automatic-styles"));
        outputText_ = root.append_child("office:body").append_child("office:text");
        outputStyles_ = std::make_unique<OutputStyles>(*catalog_, automaticStyles_);
        return BodyRangeCopier(*facts_, *outputStyles_, "9");
    }

    pugi::xml_document content_, styles_, output_;
    pugi::xml_node automaticStyles_, outputText_;
    std::unique_ptr<StyleCatalog> catalog_;
    std::unique_ptr<DocumentFacts> facts_;
    std::unique_ptr<OutputStyles> outputStyles_;
};

}  // namespace fk::slicer
