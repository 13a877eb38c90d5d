#include "TestDocument.h"

namespace fk::slicer {
namespace {

const std::string kStyles =
    R"(<style:style style:name="Tab" style:family="table"><style:table-properties style:width="10cm" )"
    R"(fo:margin-top="0.2cm" fo:margin-bottom="0.5cm"/></style:style>)"
    R"(<style:style style:name="Tall" style:family="table-row"><style:table-row-properties )"
    R"(style:min-row-height="4cm"/></style:style>)";

std::string row(const std::string& a, const std::string& b) {
    return R"(<table:table-row table:style-name="Tall"><table:table-cell><text:p>)" + a +
           "</text:p></table:table-cell><table:table-cell><text:p>" + b +
           "</text:p></table:table-cell></table:table-row>";
}

std::string table(const std::string& rows) {
    return R"(<table:table table:name="T" table:style-name="Tab"><table:table-column )"
           R"(table:number-columns-repeated="2"/>)" +
           rows + "</table:table>";
}

// The style attribute the output gives the first element named `element`, and that style's XML.
std::string styleOf(TestDocument& document, const std::string& body, const std::string& element) {
    const pugi::xml_node node = document.outputText().find_node(
        [&](pugi::xml_node candidate) { return candidate.name() == element; });
    EXPECT_TRUE(node) << element << " not in " << body;
    return document.outputStyle(node.attribute("table:style-name").as_string());
}

// A table the page cuts takes no space below in the parts before its last; a row the page cuts keeps
// no minimum height in any part. What the page does not cut keeps its style.
TEST(CutTableStylesTest, PartsOfCutTablesAndRowsTakeOnlyTheRoomTheyHaveOnTheirPage) {
    struct Case {
        const char* name;
        std::string body;
        int page;
        bool tableKeepsSpaceBelow, rowKeepsMinimumHeight;
    };
    const std::string cutBetweenRows =
        table(row("a", "b") + row(mark(2) + "c", "d")) + "<text:p>after</text:p>";
    const std::string cutInsideRow =
        table(row("a", "b") + row("c1 " + mark(2) + "c2", "d1 " + cellMark(2, 1) + "d2")) +
        "<text:p>after</text:p>";
    const std::string wholeOnPage = table(row("a", "b")) + "<text:p>" + mark(2) + "after</text:p>";
    const std::vector<Case> cases{
        {"first part, cut between rows", cutBetweenRows, 1, false, true},
        {"last part, cut between rows", cutBetweenRows, 2, true, true},
        {"first part, cut inside a row", cutInsideRow, 1, false, false},
        {"last part, cut inside a row", cutInsideRow, 2, true, false},
        {"a table the page holds whole", wholeOnPage, 1, true, true},
    };
    for (const Case& c : cases) {
        TestDocument document(c.body, kStyles);
        const std::string body = document.cutPages(c.page, c.page);
        const std::string tableStyle = styleOf(document, body, "table:table");
        EXPECT_EQ(tableStyle.find("fo:margin-bottom=\"0.5cm\"") != std::string::npos, c.tableKeepsSpaceBelow)
            << c.name << ": " << tableStyle;
        // The space above stays: setting one margin must not lose the other.
        EXPECT_NE(tableStyle.find("fo:margin-top=\"0.2cm\""), std::string::npos)
            << c.name << ": " << tableStyle;
        EXPECT_NE(tableStyle.find("style:width=\"10cm\""), std::string::npos) << c.name << ": " << tableStyle;

        const pugi::xml_node lastRow = document.outputText().find_node([](pugi::xml_node node) {
            return odf::is(node, "table:table-row") && !node.next_sibling("table:table-row");
        });
        const std::string rowStyle = document.outputStyle(lastRow.attribute("table:style-name").as_string());
        EXPECT_EQ(rowStyle.find("style:min-row-height=\"4cm\"") != std::string::npos, c.rowKeepsMinimumHeight)
            << c.name << ": " << rowStyle;
    }
}

}  // namespace
}  // namespace fk::slicer
