#include "OutsideLinks.h"

#include <gtest/gtest.h>

namespace fk::slicer {
namespace {

TEST(OutsideLinksTest, LinksOutOfThePackageLeadToTheSameFilesFromThePagesFolder) {
    const struct {
        const char* storedIn;
        const char* pagesIn;
        const char* href;
        const char* moved;
    } cases[] = {
        // The office stored the package in its private folder; the link named a file beside the input.
        {"/tmp/fk-1", "/home/u/out/pages", "../../../home/u/docs/notes.txt", "../../../docs/notes.txt"},
        {"/tmp/fk-1", "/home/u/out", "../../../home/u/a%20b.odt#Chapter", "../../a%20b.odt#Chapter"},
        {"/tmp/fk-1", "/tmp/fk-1", "../x.png", "../x.png"},
        // Into the private folder itself, which no link climbs out of: the folder's name is written out.
        {"/tmp/my work", "/tmp/out", "../pic.png", "../../my%20work/pic.png"},
        // Inside the package, a place in the document, absolute, or with a scheme: as they are.
        {"/tmp/fk-1", "/home/u/out", "Pictures/1.png", "Pictures/1.png"},
        {"/tmp/fk-1", "/home/u/out", "./Object 1", "./Object 1"},
        {"/tmp/fk-1", "/home/u/out", "#Heading", "#Heading"},
        {"/tmp/fk-1", "/home/u/out", "/srv/share/a.pdf", "/srv/share/a.pdf"},
        {"/tmp/fk-1", "/home/u/out", "https://example.com/a/../b", "https://example.com/a/../b"},
        {"/tmp/fk-1", "/home/u/out", "file:///srv/a.pdf", "file:///srv/a.pdf"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OutsideLinks(c.storedIn, c.pagesIn).moved(c.href), c.moved)
            << c.href << " to " << c.pagesIn;
    }
}

TEST(OutsideLinksTest, WordTargetsAreRelativeToThePackagesFolder) {
    const OutsideLinks links("/tmp/fk-1", "/home/u/out");
    EXPECT_EQ(links.movedFromFolder("../../home/u/docs/notes.txt"), "../docs/notes.txt");
    EXPECT_EQ(links.movedFromFolder("beside.txt"), "../../../tmp/fk-1/beside.txt");
    EXPECT_EQ(links.movedFromFolder("mailto:someone@example.com"), "mailto:someone@example.com");
}

TEST(OutsideLinksTest, EveryLinkInADocumentIsMovedHoweverDeepItIs) {
    pugi::xml_document document;
    pugi::xml_node node = document.append_child("office:text");
    for (int depth = 0; depth < 3000; ++depth) node = node.append_child("text:section");
    node.append_child("text:a").append_attribute("xlink:href") = "../../../home/u/a.txt";
    document.document_element().append_child("draw:image").append_attribute("xlink:href") = "Pictures/1.png";
    OutsideLinks("/tmp/fk-1", "/home/u").move(document.document_element());
    EXPECT_STREQ(node.child("text:a").attribute("xlink:href").value(), "../a.txt");
    EXPECT_STREQ(document.document_element().child("draw:image").attribute("xlink:href").value(),
                 "Pictures/1.png");
}

}  // namespace
}  // namespace fk::slicer
