#include "TestDocument.h"

namespace fk::slicer {
namespace {

std::string cell(const std::string& content, const std::string& attributes = "") {
    return "<table:table-cell" + attributes + ">" + content + "</table:table-cell>";
}

std::string row(const std::string& cells) {
    return "<table:table-row>" + cells + "</table:table-row>";
}

std::string table(const std::string& rows, int columns = 3) {
    return R"(<table:table table:name="T"><table:table-column table:number-columns-repeated=")" +
           std::to_string(columns) + R"("/>)" + rows + "</table:table>";
}

const std::string kHeading =
    "<table:table-header-rows>" +
    row(cell("<text:p>h1</text:p>") + cell("<text:p>h2</text:p>") + cell("<text:p>h3</text:p>")) +
    "</table:table-header-rows>";

// Row 2 of the table breaks onto page 2: its first cell ended on page 1, the page's own mark is in the
// second cell's second paragraph, the third cell goes on inside its first paragraph.
TEST(RowCutterTest, EachCellOfARowIsCutAtItsOwnPoint) {
    TestDocument document(
        "<text:p>before</text:p>" +
        table(
            kHeading +
            row(cell("<text:p>r1a</text:p>") + cell("<text:p>r1b</text:p>") + cell("<text:p>r1c</text:p>")) +
            row(cell("<text:p>short</text:p>") +
                cell("<text:p>b one</text:p><text:p>" + mark(2) + "b two</text:p>") +
                cell("<text:p>c one " + cellMark(2, 1) + "c rest</text:p>")) +
            row(cell("<text:p>r3a</text:p>") + cell("<text:p>r3b</text:p>") + cell("<text:p>r3c</text:p>"))) +
        "<text:p>after</text:p>");

    const std::string first = document.cutPages(1, 1);
    EXPECT_NE(first.find("<text:p>short</text:p>"), std::string::npos) << first;
    EXPECT_NE(first.find("<text:p>b one</text:p></table:table-cell>"), std::string::npos) << first;
    EXPECT_EQ(first.find("b two"), std::string::npos) << first;
    EXPECT_NE(first.find(">c one</text:p></table:table-cell></table:table-row></table:table>"),
              std::string::npos)
        << first;
    EXPECT_EQ(first.find("r3a"), std::string::npos) << first;

    const std::string second = document.cutPages(2, 2);
    EXPECT_EQ(second.find("before"), std::string::npos) << second;
    EXPECT_EQ(second.find("r1a"), std::string::npos) << second;
    // The heading rows come again, then the rest of the row: an empty first cell, each cell's rest.
    EXPECT_NE(second.find("h3</text:p></table:table-cell></table:table-row></table:table-header-rows>"
                          "<table:table-row><table:table-cell/><table:table-cell><text:p>b two</text:p>"),
              std::string::npos)
        << second;
    EXPECT_NE(second.find(">c rest</text:p></table:table-cell></table:table-row><table:table-row>"
                          "<table:table-cell><text:p>r3a"),
              std::string::npos)
        << second;
    EXPECT_EQ(second.find("short"), std::string::npos) << second;
    EXPECT_EQ(second.find("__folioknife"), std::string::npos) << second;
}

TEST(RowCutterTest, ACellThatStartsOnThePageGoesThereWhole) {
    TestDocument document(table(row(cell("<text:p>a one</text:p><text:p>" + mark(2) + "a two</text:p>") +
                                    cell("<text:p>" + cellMark(2, 1) + "b whole</text:p>")),
                                2));
    const std::string first = document.cutPages(1, 1);
    EXPECT_NE(first.find("<text:p>a one</text:p></table:table-cell><table:table-cell/></table:table-row>"),
              std::string::npos)
        << first;
    const std::string second = document.cutPages(2, 2);
    EXPECT_NE(second.find("<table:table-cell><text:p>b whole</text:p></table:table-cell>"), std::string::npos)
        << second;
}

TEST(RowCutterTest, APageStartingAtACellsStartStartsItsRow) {
    TestDocument document(
        table(row(cell("<text:p>a</text:p>") + cell("<text:p>b</text:p>")) +
                  row(cell("<text:p>" + mark(2) + "c</text:p>") + cell("<text:p>d</text:p>")),
              2));
    const BodyCut cut = document.cut(2);
    EXPECT_TRUE(cut.cellCuts.empty());
    EXPECT_EQ(cut.position.parent.name(), std::string("table:table"));
    EXPECT_EQ(cut.position.before.first_child().first_child().text().as_string(), std::string("c"));
}

TEST(RowCutterTest, ARowOverThreePagesGivesTheMiddlePageTheMiddleParts) {
    TestDocument document(table(
        row(cell("<text:p>a1 " + mark(2) + "a2 " + mark(3) + "a3</text:p>") +
            cell("<text:p>b1 " + cellMark(2, 1) + "b2</text:p><text:p>" + cellMark(3, 2) + "b3</text:p>") +
            cell("<text:p>c1</text:p>")),
        3));
    const std::string middle = document.cutPages(2, 2);
    EXPECT_NE(middle.find(">a2</text:p></table:table-cell>"), std::string::npos) << middle;
    EXPECT_NE(middle.find(">b2</text:p></table:table-cell>"), std::string::npos) << middle;
    EXPECT_NE(middle.find("<table:table-cell/></table:table-row>"), std::string::npos) << middle;
    for (const char* elsewhere : {"a1", "a3", "b1", "b3", "c1"})
        EXPECT_EQ(middle.find(elsewhere), std::string::npos) << elsewhere << " in " << middle;
    const std::string last = document.cutPages(3, 3);
    EXPECT_NE(last.find(">a3</text:p></table:table-cell><table:table-cell><text:p>b3</text:p>"
                        "</table:table-cell><table:table-cell/>"),
              std::string::npos)
        << last;
}

TEST(RowCutterTest, ANestedTableIsCutWithTheRowAroundIt) {
    const std::string inner = table(row(cell("<text:p>x</text:p>") + cell("<text:p>y</text:p>")) +
                                        row(cell("<text:p>i1 " + mark(2) + "i2</text:p>") +
                                            cell("<text:p>j1 " + cellMark(2, 1) + "j2</text:p>")),
                                    2);
    TestDocument document(table(
        row(cell("<text:p>left</text:p>" + inner) + cell("<text:p>o1 " + cellMark(2, 2) + "o2</text:p>")),
        2));
    const std::string first = document.cutPages(1, 1);
    for (const char* shown : {"left", ">x<", "i1", "j1", "o1"})
        EXPECT_NE(first.find(shown), std::string::npos) << shown << " not in " << first;
    for (const char* hidden : {"i2", "j2", "o2"}) EXPECT_EQ(first.find(hidden), std::string::npos) << hidden;
    const std::string second = document.cutPages(2, 2);
    for (const char* shown : {"i2", "j2", "o2"})
        EXPECT_NE(second.find(shown), std::string::npos) << shown << " not in " << second;
    for (const char* hidden : {"left", ">x<", "i1", "j1", "o1"})
        EXPECT_EQ(second.find(hidden), std::string::npos) << hidden << " in " << second;
}

TEST(RowCutterTest, CellsCoveredFromAboveOpenThePageEmptyThoseCoveredFromTheLeftStayCovered) {
    TestDocument document(
        table(row(cell("<text:p>top</text:p>", R"( table:number-rows-spanned="2")") +
                  cell("<text:p>t2</text:p>") + cell("<text:p>t3</text:p>")) +
                  row("<table:covered-table-cell/>" +
                      cell("<text:p>w1 " + mark(2) + "w2</text:p>", R"( table:number-columns-spanned="2")") +
                      "<table:covered-table-cell/>"),
              3));
    const std::string second = document.cutPages(2, 2);
    EXPECT_NE(
        second.find("<table:table-row><table:table-cell/><table:table-cell table:number-columns-spanned"),
        std::string::npos)
        << second;
    EXPECT_NE(second.find("w2</text:p></table:table-cell><table:covered-table-cell/></table:table-row>"),
              std::string::npos)
        << second;
}

TEST(RowCutterTest, WithoutCellMarksARowCutIsStillReported) {
    TestDocument document(
        table(row(cell("<text:p>a " + mark(2) + "b</text:p>") + cell("<text:p>c</text:p>")), 2));
    EXPECT_EQ(BoundaryLocator::locate(document.markNode(2)).issue, "a table row breaks across pages");
}

TEST(RowCutterTest, HeadingRowsAreNotCut) {
    TestDocument document(table("<table:table-header-rows>" +
                                    row(cell("<text:p>h " + mark(2) + "i</text:p>")) +
                                    "</table:table-header-rows>" + row(cell("<text:p>r</text:p>")),
                                1));
    EXPECT_EQ(BoundaryLocator::locate(document.markNode(2), {}).issue, "a table row breaks across pages");
}

}  // namespace
}  // namespace fk::slicer
