#include "TestDocument.h"

namespace fk::slicer {
namespace {

std::string describe(const BodyPosition& position) {
    return std::string(position.parent.name()) + " before " +
           (position.before ? (position.before.type() == pugi::node_pcdata
                                   ? std::string("'") + position.before.value() + "'"
                                   : std::string(position.before.name()))
                            : std::string("end"));
}

PageBoundary locate(const TestDocument& document, int page = 2) {
    return BoundaryLocator::locate(document.markNode(page));
}

TEST(BoundaryLocatorTest, MarkAtParagraphStartMovesBeforeTheParagraph) {
    TestDocument document("<text:p>one</text:p><text:p>" + mark(2) + "two</text:p>");
    const PageBoundary boundary = locate(document);
    EXPECT_EQ(describe(boundary.position), "office:text before text:p");
    EXPECT_EQ(boundary.position.before.text().as_string(), std::string("two"));
    EXPECT_TRUE(boundary.issue.empty());
}

TEST(BoundaryLocatorTest, OtherBookmarksAndEmptySpansDoNotCountAsText) {
    TestDocument document(
        R"(<text:p>one</text:p><text:p><text:bookmark text:name="mine"/><text:span> </text:span>)" + mark(2) +
        "two</text:p>");
    EXPECT_EQ(describe(locate(document).position), "office:text before text:p");
}

TEST(BoundaryLocatorTest, MarkInsideTextStaysInsideItsSpan) {
    TestDocument document("<text:p>one <text:span>t" + mark(2) + "wo</text:span></text:p>");
    EXPECT_EQ(describe(locate(document).position), "text:span before text:bookmark");
}

TEST(BoundaryLocatorTest, MarkAtParagraphEndMovesAfterIt) {
    TestDocument document("<text:p>one" + mark(2) + "</text:p><text:p>two</text:p>");
    const PageBoundary boundary = locate(document);
    EXPECT_EQ(describe(boundary.position), "office:text before text:p");
    EXPECT_EQ(boundary.position.before.text().as_string(), std::string("two"));
}

TEST(BoundaryLocatorTest, StartOfFirstCellMovesBeforeTheRowAndTheTable) {
    const std::string table =
        "<table:table><table:table-column/>"
        "<table:table-header-rows><table:table-row><table:table-cell><text:p>head</text:p>"
        "</table:table-cell></table:table-row></table:table-header-rows>"
        "<table:table-row><table:table-cell><text:p>a</text:p></table:table-cell></table:table-row>"
        "<table:table-row><table:table-cell><text:p>" +
        mark(2) + "b</text:p></table:table-cell></table:table-row></table:table>";
    TestDocument document(table);
    EXPECT_EQ(describe(locate(document).position), "table:table before table:table-row");

    TestDocument startsTable(
        "<text:p>x</text:p><table:table><table:table-column/><table:table-row><table:table-cell>"
        "<text:p>" +
        mark(2) + "a</text:p></table:table-cell></table:table-row></table:table>");
    EXPECT_EQ(describe(locate(startsTable).position), "office:text before table:table");
}

TEST(BoundaryLocatorTest, RowBreakingAcrossPagesIsReportedAndCutBeforeTheRow) {
    TestDocument document(
        "<table:table><table:table-row><table:table-cell><text:p>a</text:p></table:table-cell>"
        "</table:table-row><table:table-row><table:table-cell><text:p>b</text:p></table:table-cell>"
        "<table:table-cell><text:p>" +
        mark(2) +
        "c</text:p></table:table-cell>"
        "</table:table-row></table:table>");
    const PageBoundary boundary = locate(document);
    EXPECT_EQ(boundary.issue, "a table row breaks across pages");
    EXPECT_EQ(describe(boundary.position), "table:table before table:table-row");
    EXPECT_EQ(boundary.position.before.previous_sibling().name(), std::string("table:table-row"));
}

TEST(BoundaryLocatorTest, MarkInFrameOrNoteIsReported) {
    TestDocument frame(R"(<text:p>x<draw:frame text:anchor-type="as-char"><draw:text-box><text:p>)" +
                       mark(2) + "in</text:p></draw:text-box></draw:frame>y</text:p>");
    EXPECT_EQ(locate(frame).issue, "a page starts inside a frame or drawing object");
    EXPECT_EQ(describe(locate(frame).position), "text:p before draw:frame");

    TestDocument note(
        R"(<text:p>x<text:note text:note-class="footnote"><text:note-body><text:p>a</text:p><text:p>)" +
        mark(2) + "b</text:p></text:note-body></text:note></text:p>");
    EXPECT_EQ(locate(note).issue, "a page starts inside a footnote or endnote");
}

TEST(BoundaryLocatorTest, NestedStructuresLiftToTheOutermostStart) {
    TestDocument document(
        R"(<text:p>x</text:p><text:section text:name="S"><text:list><text:list-item><text:p>)" + mark(2) +
        "a</text:p></text:list-item></text:list></text:section>");
    EXPECT_EQ(describe(locate(document).position), "office:text before text:section");

    TestDocument secondItem(
        "<text:list><text:list-item><text:p>a</text:p></text:list-item><text:list-item><text:p>" + mark(2) +
        "b</text:p></text:list-item></text:list>");
    EXPECT_EQ(describe(locate(secondItem).position), "text:list before text:list-item");
}

TEST(BoundaryLocatorTest, BookmarkStartServesAsMark) {
    const std::string name = PageMarkName(2);
    TestDocument document("<text:p>one</text:p><text:p><text:bookmark-start text:name=\"" + name +
                          "\"/><text:bookmark-end text:name=\"" + name + "\"/>two</text:p>");
    EXPECT_EQ(describe(locate(document).position), "office:text before text:p");
}

}  // namespace
}  // namespace fk::slicer
