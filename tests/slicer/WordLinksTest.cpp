#include "slicer/WordLinks.h"

#include <gtest/gtest.h>

namespace fk::slicer {
namespace {

TEST(WordLinksTest, TargetsLeadFromTheFolderThePackageGoesToToTheSameFiles) {
    const struct {
        const char* storedIn;
        const char* goesTo;
        const char* target;
        const char* moved;
    } cases[] = {
        // The office stored the package in its private folder; the link named a file beside the input.
        {"/tmp/fk-1", "/home/u/out", "../../home/u/docs/notes.txt", "../docs/notes.txt"},
        {"/tmp/fk-1", "/tmp/out", "../a%20b.docx#Part", "../a%20b.docx#Part"},
        {"/tmp/fk-1", "/tmp/fk-1", "x.png", "x.png"},
        // Into the private folder itself: its name is written out, encoded.
        {"/tmp/my work", "/tmp/out", "pic.png", "../my%20work/pic.png"},
        // A first segment with a colon is kept from reading as a scheme.
        {"/home/u/a", "/home/u", "../Notes:2024/x.txt", "./Notes:2024/x.txt"},
        // A scheme, an absolute path or a place in the document: as they are.
        {"/tmp/fk-1", "/home/u/out", "mailto:someone@example.com", "mailto:someone@example.com"},
        {"/tmp/fk-1", "/home/u/out", "file:///srv/a.pdf", "file:///srv/a.pdf"},
        {"/tmp/fk-1", "/home/u/out", "/srv/share/a.pdf", "/srv/share/a.pdf"},
        {"/tmp/fk-1", "/home/u/out", "#Heading", "#Heading"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WordLinks(c.storedIn, c.goesTo).moved(c.target), c.moved) << c.target << " to " << c.goesTo;
}

TEST(WordLinksTest, OnlyExternalTargetsOfARelationshipsPartMove) {
    const WordLinks links("/tmp/fk-1", "/home/u/out");
    const std::string part =
        R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="rId1" Type="t" Target="media/image1.png"/>)"
        R"(<Relationship Id="rId2" Type="t" TargetMode="External" Target="../../home/u/notes.txt"/>)"
        R"(</Relationships>)";
    const std::optional<std::string> moved = links.movedRelations(part, "word/_rels/document.xml.rels");
    ASSERT_TRUE(moved);
    EXPECT_NE(moved->find(R"(Target="media/image1.png")"), std::string::npos);
    EXPECT_NE(moved->find(R"(Target="../notes.txt")"), std::string::npos);
    EXPECT_FALSE(WordLinks("/tmp/fk-1", "/tmp/fk-1").movedRelations(part, "word/_rels/document.xml.rels"))
        << "nothing moves where the package stays";
}

}  // namespace
}  // namespace fk::slicer
