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

// The part of a row on the page before the page cuts it leaves no room below its cells' text: no bottom
// padding (the other sides keep what the shorthand gave) and no space below a cell's last paragraph.
// A cell that ends in a table keeps its padding; a row the page holds whole keeps everything.
TEST(CutTableStylesTest, CellsOfACutRowEndTheirTextWithoutRoomBelowOnThePageBefore) {
    const std::string styles =
        R"(<style:style style:name="Roomy" style:family="table-cell"><style:table-cell-properties )"
        R"(fo:padding="0.2cm" fo:border="0.5pt solid #000000"/></style:style>)"
        R"(<style:style style:name="Spaced" style:family="paragraph"><style:paragraph-properties )"
        R"(fo:margin-bottom="0.3cm"/></style:style>)";
    const auto cell = [](const std::string& content) {
        return R"(<table:table-cell table:style-name="Roomy">)" + content + "</table:table-cell>";
    };
    const auto para = [](const std::string& text) {
        return R"(<text:p text:style-name="Spaced">)" + text + "</text:p>";
    };
    const std::string nested =
        R"(<table:table table:name="N"><table:table-column/><table:table-row>)"
        R"(<table:table-cell><text:p>n</text:p></table:table-cell></table:table-row></table:table>)";
    const std::string cutRow = "<table:table-row>" + cell(para("a") + para("b1 " + mark(2) + "b2")) +
                               cell(para("whole")) + cell(para("c") + nested) + "</table:table-row>";
    const struct {
        const char* name;
        std::string body;
        bool cut;
    } cases[] = {
        {"a row the page cuts",
         "<table:table table:name=\"T\"><table:table-column table:number-columns-repeated=\"3\"/>" + cutRow +
             "</table:table>",
         true},
        {"a row the page holds whole",
         "<table:table table:name=\"T\"><table:table-column table:number-columns-repeated=\"3\"/>" +
             cutRow.substr(0, cutRow.find(mark(2))) + cutRow.substr(cutRow.find(mark(2)) + mark(2).size()) +
             "</table:table><text:p>" + mark(2) + "after</text:p>",
         false},
    };
    for (const auto& c : cases) {
        TestDocument document(c.body, styles);
        document.cutPages(1, 1);
        std::vector<pugi::xml_node> cells;
        for (const pugi::xpath_node node : document.outputText().select_nodes(
                 "//table:table[@table:name='T']/table:table-row/table:table-cell"))
            cells.push_back(node.node());
        ASSERT_EQ(cells.size(), 3u) << c.name;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const bool endsInTable = i == 2;
            const std::string cellStyle =
                document.outputStyle(cells[i].attribute("table:style-name").as_string());
            const bool roomBelow =
                cellStyle.empty() || cellStyle.find("padding-bottom=\"0cm\"") == std::string::npos;
            EXPECT_EQ(roomBelow, !c.cut || endsInTable) << c.name << ", cell " << i << ": " << cellStyle;
            if (c.cut && !endsInTable) {
                EXPECT_NE(cellStyle.find("fo:padding-top=\"0.2cm\""), std::string::npos) << cellStyle;
                EXPECT_NE(cellStyle.find("fo:padding-left=\"0.2cm\""), std::string::npos) << cellStyle;
            }
        }
        const pugi::xml_node whole = cells[1].child("text:p");
        const std::string paragraphStyle =
            document.outputStyle(whole.attribute("text:style-name").as_string());
        EXPECT_EQ(paragraphStyle.find("fo:margin-bottom=\"0cm\"") != std::string::npos, c.cut)
            << c.name << ": " << paragraphStyle;
    }
}

}  // namespace
}  // namespace fk::slicer
