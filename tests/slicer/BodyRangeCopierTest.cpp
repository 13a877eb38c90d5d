#include "TestDocument.h"

namespace fk::slicer {
namespace {

TEST(BodyRangeCopierTest, ParagraphCutInsideTextRepeatsSpansAndLosesIndentOnTheContinuation) {
    TestDocument document(
        R"(<text:p text:style-name="P1">Hello <text:span text:style-name="T1">wo)" + mark(2) +
            R"(rld</text:span> again</text:p><text:p>next</text:p>)",
        R"(<style:style style:name="P1" style:family="paragraph" style:parent-style-name="Body">)"
        R"(<style:paragraph-properties fo:text-indent="1cm" fo:margin-left="2cm"/></style:style>)");
    EXPECT_EQ(
        document.page(1),
        R"(<text:p text:style-name="P1">Hello <text:span text:style-name="T1">wo</text:span></text:p>)");
    EXPECT_EQ(document.page(2),
              R"(<text:p text:style-name="FkP1"><text:span text:style-name="T1">rld</text:span>)"
              R"( again</text:p><text:p>next</text:p>)");
    EXPECT_EQ(document.outputStyle("FkP1"),
              R"(<style:style style:name="FkP1" style:family="paragraph" style:parent-style-name="Body">)"
              R"(<style:paragraph-properties fo:text-indent="0cm" fo:margin-left="2cm" )"
              R"(style:auto-text-indent="false" fo:margin-top="0cm"/></style:style>)");
}

TEST(BodyRangeCopierTest, ContinuationOfACommonStyleParagraphDerivesFromIt) {
    TestDocument document(R"(<text:p text:style-name="Text_20_body">a)" + mark(2) + "b</text:p>");
    EXPECT_EQ(document.page(2), R"(<text:p text:style-name="FkP1">b</text:p>)");
    EXPECT_EQ(
        document.outputStyle("FkP1"),
        R"(<style:style style:name="FkP1" style:family="paragraph" style:parent-style-name="Text_20_body">)"
        R"(<style:paragraph-properties fo:text-indent="0cm" style:auto-text-indent="false" )"
        R"(fo:margin-top="0cm"/></style:style>)");
}

TEST(BodyRangeCopierTest, ContinuationWritesOutTheMarginsTheOfficeWouldOtherwiseReset) {
    // The office holds side margins with the indent, and space below with space above: setting one
    // alone would drop the inherited others.
    TestDocument document(
        R"(<text:p text:style-name="Quote">a)" + mark(2) + "b</text:p>", "",
        R"(<style:style style:name="Base" style:family="paragraph"><style:paragraph-properties )"
        R"(fo:margin-left="1cm" fo:margin-bottom="0.3cm" style:contextual-spacing="true"/></style:style>)"
        R"(<style:style style:name="Quote" style:family="paragraph" style:parent-style-name="Base">)"
        R"(<style:paragraph-properties fo:margin-right="2cm" fo:text-indent="0.5cm" fo:margin-top="1cm"/>)"
        R"(</style:style>)");
    EXPECT_EQ(document.page(2), R"(<text:p text:style-name="FkP1">b</text:p>)");
    EXPECT_EQ(
        document.outputStyle("FkP1"),
        R"(<style:style style:name="FkP1" style:family="paragraph" style:parent-style-name="Quote">)"
        R"(<style:paragraph-properties fo:margin-left="1cm" fo:margin-right="2cm" fo:text-indent="0cm" )"
        R"(style:auto-text-indent="false" fo:margin-bottom="0.3cm" style:contextual-spacing="true" )"
        R"(fo:margin-top="0cm"/></style:style>)");
}

TEST(BodyRangeCopierTest, FirstPartOfAJustifiedParagraphJustifiesItsLastLineWithoutTrailingSpaces) {
    const std::string justified =
        R"(<style:style style:name="J" style:family="paragraph" style:parent-style-name="Body">)"
        R"(<style:paragraph-properties fo:text-align="justify"/></style:style>)";
    TestDocument document(
        R"(<text:p text:style-name="J">one <text:span>two <text:s/></text:span>)" + mark(2) +
            R"(three</text:p><text:p text:style-name="J">four<text:line-break/> )" + mark(3) +
            R"(five</text:p><text:p text:style-name="Plain">six )" + mark(4) + "seven</text:p>",
        justified);
    EXPECT_EQ(document.page(1), R"(<text:p text:style-name="FkP1">one <text:span>two</text:span></text:p>)");
    EXPECT_EQ(document.outputStyle("FkP1"),
              R"(<style:style style:name="FkP1" style:family="paragraph" style:parent-style-name="Body">)"
              R"(<style:paragraph-properties fo:text-align="justify" fo:text-align-last="justify"/>)"
              R"(</style:style>)");
    // A line ended by a manual break is not justified; nor is a paragraph that is not.
    EXPECT_EQ(document.page(2),
              R"(<text:p text:style-name="FkP1">three</text:p><text:p text:style-name="J">four</text:p>)");
    EXPECT_EQ(document.page(3),
              R"(<text:p text:style-name="FkP1">five</text:p><text:p text:style-name="Plain">six</text:p>)");
}

TEST(BodyRangeCopierTest, FirstPartOfAParagraphTakesNoSpaceBelow) {
    // The office gives the space below to a paragraph's last part only; the page before kept no room
    // for it. Space above is written out with it, as the office holds the two together.
    const std::string spaced =
        R"(<style:style style:name="S" style:family="paragraph" style:parent-style-name="Body">)"
        R"(<style:paragraph-properties fo:margin-top="0.1in" fo:margin-bottom="0.139in"/></style:style>)";
    TestDocument document(R"(<text:p text:style-name="S">one )" + mark(2) +
                              R"(two</text:p><text:p text:style-name="Flat">three )" + mark(3) +
                              "four</text:p>",
                          spaced,
                          R"(<style:style style:name="Flat" style:family="paragraph">)"
                          R"(<style:paragraph-properties fo:margin-bottom="0cm"/></style:style>)");
    EXPECT_EQ(document.page(1), R"(<text:p text:style-name="FkP1">one</text:p>)");
    EXPECT_EQ(document.outputStyle("FkP1"),
              R"(<style:style style:name="FkP1" style:family="paragraph" style:parent-style-name="Body">)"
              R"(<style:paragraph-properties fo:margin-top="0.1in" fo:margin-bottom="0cm"/></style:style>)");
    // The last part keeps it; a paragraph without space below keeps its own style.
    EXPECT_EQ(document.page(2),
              R"(<text:p text:style-name="FkP1">two</text:p><text:p text:style-name="Flat">three</text:p>)");
    EXPECT_EQ(
        document.outputStyle("FkP1"),
        R"(<style:style style:name="FkP1" style:family="paragraph" style:parent-style-name="Body">)"
        R"(<style:paragraph-properties fo:margin-top="0cm" fo:margin-bottom="0.139in" fo:text-indent="0cm" )"
        R"(style:auto-text-indent="false"/></style:style>)");
}

TEST(BodyRangeCopierTest, FirstPartEndingWithALineBreakDropsIt) {
    // The break ended the page's last line; kept, it would open an empty line at the page's foot.
    TestDocument document(R"(<text:p><text:span>a<text:line-break/> <text:s/></text:span>)" + mark(2) +
                          R"(b<text:line-break/>)" + mark(3) + "</text:p>");
    EXPECT_EQ(document.page(1), "<text:p><text:span>a</text:span></text:p>");
    // Only the part before a page's start loses it: a break that ends the whole paragraph is the input's.
    EXPECT_EQ(document.page(2), R"(<text:p text:style-name="FkP1">b<text:line-break/></text:p>)");
}

TEST(BodyRangeCopierTest, ParagraphOpenedByTheMarkGoesWhollyToTheNextPage) {
    TestDocument document(R"(<text:p>one</text:p><text:p text:style-name="P1"><text:span>)" + mark(2) +
                          "</text:span>two</text:p>");
    EXPECT_EQ(document.page(1), "<text:p>one</text:p>");
    EXPECT_EQ(document.page(2), R"(<text:p text:style-name="P1"><text:span/>two</text:p>)");
}

TEST(BodyRangeCopierTest, MiddlePageOfAParagraphSpanningThreePages) {
    TestDocument document("<text:p>a" + mark(2) + "b" + mark(3) + "c</text:p>");
    EXPECT_EQ(document.page(1), "<text:p>a</text:p>");
    EXPECT_EQ(document.page(2), R"(<text:p text:style-name="FkP1">b</text:p>)");
    EXPECT_EQ(document.page(3), R"(<text:p text:style-name="FkP1">c</text:p>)");
    EXPECT_EQ(document.pages(1, 3), "<text:p>abc</text:p>");
}

TEST(BodyRangeCopierTest, ListItemCutInsideTextContinuesAsListHeaderAndNumberingGoesOn) {
    TestDocument document(
        R"(<text:list text:style-name="L1"><text:list-item><text:p>one</text:p></text:list-item>)"
        "<text:list-item><text:p>tw" +
        mark(2) +
        "o</text:p></text:list-item>"
        "<text:list-item><text:p>three</text:p></text:list-item></text:list>");
    EXPECT_EQ(document.page(1),
              R"(<text:list text:style-name="L1"><text:list-item><text:p>one</text:p>)"
              "</text:list-item><text:list-item><text:p>tw</text:p></text:list-item></text:list>");
    EXPECT_EQ(document.page(2),
              R"(<text:list text:style-name="L1"><text:list-header><text:p text:style-name="FkP1">)"
              R"(o</text:p></text:list-header><text:list-item text:start-value="3"><text:p>three)"
              "</text:p></text:list-item></text:list>");
}

TEST(BodyRangeCopierTest, ContinuationInAListTakesTheListsIndentUnlessItsStyleGivesOne) {
    const struct {
        const char* paragraphProperties;
        bool indentWritten;
    } cases[] = {
        {"", false},  // an indent of the continuation's own would replace the list's left one
        {R"(fo:margin-left="1cm")", true},
        {R"(fo:text-indent="-0.5cm")", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.paragraphProperties);
        TestDocument document(
            R"(<text:list text:style-name="L1"><text:list-item><text:p text:style-name="P1">tw)" + mark(2) +
                "o</text:p></text:list-item></text:list>",
            R"(<style:style style:name="P1" style:family="paragraph"><style:paragraph-properties )" +
                std::string(c.paragraphProperties) + "/></style:style>");
        document.page(2);
        EXPECT_EQ(document.outputStyle("FkP1").find("fo:text-indent=\"0cm\"") != std::string::npos,
                  c.indentWritten);
    }
}

TEST(BodyRangeCopierTest, ListCutBetweenItemsStartsAtTheInputNumber) {
    TestDocument document(
        R"(<text:list><text:list-item text:start-value="5"><text:p>a</text:p></text:list-item>)"
        "<text:list-item><text:p>b</text:p></text:list-item>"
        "<text:list-item><text:p>" +
        mark(2) +
        "c</text:p>"
        "<text:list><text:list-item><text:p>c1</text:p></text:list-item></text:list>"
        "</text:list-item></text:list>");
    EXPECT_EQ(document.page(2),
              R"(<text:list><text:list-item text:start-value="7"><text:p>c</text:p><text:list>)"
              "<text:list-item><text:p>c1</text:p></text:list-item></text:list></text:list-item>"
              "</text:list>");
}

TEST(BodyRangeCopierTest, ListThatContinuesAnEarlierOneGetsAnExplicitStart) {
    TestDocument document(
        R"(<text:list text:style-name="L1" xml:id="list1"><text:list-item><text:p>a</text:p>)"
        "</text:list-item><text:list-item><text:p>b</text:p></text:list-item></text:list>"
        "<text:p>" +
        mark(2) +
        "between</text:p>"
        R"(<text:list text:style-name="L1" text:continue-numbering="true"><text:list-item>)"
        R"(<text:p>c</text:p></text:list-item></text:list>)"
        R"(<text:list text:style-name="L2" text:continue-list="list1"><text:list-item>)"
        R"(<text:p>d</text:p></text:list-item></text:list>)");
    EXPECT_EQ(document.page(2),
              "<text:p>between</text:p>"
              R"(<text:list text:style-name="L1"><text:list-item text:start-value="3"><text:p>c)"
              "</text:p></text:list-item></text:list>"
              R"(<text:list text:style-name="L2"><text:list-item text:start-value="4"><text:p>d)"
              "</text:p></text:list-item></text:list>");
}

TEST(BodyRangeCopierTest, TableCutBetweenRowsRepeatsColumnsAndHeadingRows) {
    const std::string row = "<table:table-row><table:table-cell><text:p>";
    const std::string end = "</text:p></table:table-cell></table:table-row>";
    TestDocument document(R"(<table:table table:name="T" table:style-name="T1"><table:table-column/>)"
                          "<table:table-header-rows>" +
                          row + "head" + end + "</table:table-header-rows>" + row + "a" + end + row +
                          mark(2) + "b" + end + row + "c" + end + "</table:table>");
    const std::string head = R"(<table:table table:name="T" table:style-name="T1"><table:table-column/>)"
                             "<table:table-header-rows>" +
                             row + "head" + end + "</table:table-header-rows>";
    EXPECT_EQ(document.page(1), head + row + "a" + end + "</table:table>");
    EXPECT_EQ(document.page(2), head + row + "b" + end + row + "c" + end + "</table:table>");
}

TEST(BodyRangeCopierTest, HeadingCellsReachingBelowTheHeadingEndWithItOnTheContinuation) {
    const std::string end = "</table:table-row>";
    const auto cell = [](const std::string& text, int rows) {
        return "<table:table-cell" +
               (rows > 1 ? R"( table:number-rows-spanned=")" + std::to_string(rows) + R"(")"
                         : std::string()) +
               "><text:p>" + text + "</text:p></table:table-cell>";
    };
    const auto head = [&](int reach, int inHeading) {
        return "<table:table table:name=\"T\"><table:table-column table:number-columns-repeated=\"2\"/>"
               "<table:table-header-rows><table:table-row>" +
               cell("a", reach) + cell("b", 1) + end + "<table:table-row><table:covered-table-cell/>" +
               cell("c", inHeading) + end + "</table:table-header-rows>";
    };
    const std::string below = "<table:table-row><table:covered-table-cell/>" + cell("d", 1) + end;
    const std::string rows = "<table:table-row>" + cell("e", 1) + cell("f", 1) + end;
    const std::string marked = "<table:table-row>" + cell(mark(2) + "g", 1) + cell("h", 1) + end;
    // "a" reaches one row below the heading's two, "c" one row more; the first page shows the input's spans.
    TestDocument document(head(3, 2) + below + rows + marked + "</table:table>");
    EXPECT_EQ(document.page(1), head(3, 2) + below + rows + "</table:table>");
    EXPECT_EQ(document.page(2),
              head(2, 1) + "<table:table-row>" + cell("g", 1) + cell("h", 1) + end + "</table:table>");
}

TEST(BodyRangeCopierTest, SectionIsRepeatedAroundEachPartWithUnbalancedColumnsWhereItRunsOn) {
    TestDocument document(
        R"(<text:section text:name="S" text:style-name="Sect1"><text:p>a</text:p><text:p>)" + mark(2) +
            "b</text:p></text:section><text:p>c</text:p>",
        R"(<style:style style:name="Sect1" style:family="section"><style:section-properties>)"
        R"(<style:columns fo:column-count="2"/></style:section-properties></style:style>)");
    EXPECT_EQ(document.page(1), R"(<text:section text:name="S" text:style-name="FkS1"><text:p>a</text:p>)"
                                "</text:section>");
    EXPECT_EQ(document.outputStyle("FkS1"),
              R"(<style:style style:name="FkS1" style:family="section"><style:section-properties )"
              R"(text:dont-balance-text-columns="true"><style:columns fo:column-count="2"/>)"
              R"(</style:section-properties></style:style>)");
    // Where the section ends, its columns are balanced as in the input.
    EXPECT_EQ(document.page(2), R"(<text:section text:name="S" text:style-name="Sect1"><text:p>b</text:p>)"
                                "</text:section><text:p>c</text:p>");
}

TEST(BodyRangeCopierTest, DeclarationsAreKeptOnEveryPage) {
    TestDocument document(
        R"(<text:sequence-decls><text:sequence-decl text:name="Table"/></text:sequence-decls>)"
        "<text:p>a</text:p><text:p>" +
        mark(2) + "b</text:p>");
    EXPECT_EQ(document.page(2),
              R"(<text:sequence-decls><text:sequence-decl text:name="Table"/></text:sequence-decls>)"
              "<text:p>b</text:p>");
}

TEST(BodyRangeCopierTest, APageFarIntoTheBodyTakesItsPrologueAndNoBlockBeforeItsStart) {
    const std::string prologue =
        "<office:forms/><text:tracked-changes/><text:variable-decls/><text:sequence-decls/>";
    TestDocument document(
        prologue + R"(<draw:frame text:anchor-type="page" text:anchor-page-number="1"/>)" +
        "<text:p>one</text:p><text:p>two</text:p><text:section text:name=\"S\"><text:list>"
        "<text:list-item><text:p>three" +
        mark(2) +
        "four</text:p></text:list-item><text:list-item><text:p>five</text:p></text:list-item></text:list>"
        "</text:section><text:p>six</text:p><text:p>" +
        mark(3) + "seven</text:p>");
    EXPECT_EQ(
        document.page(2),
        prologue +
            R"(<text:section text:name="S"><text:list><text:list-header><text:p text:style-name="FkP1">)"
            R"(four</text:p></text:list-header><text:list-item text:start-value="2"><text:p>five</text:p>)"
            "</text:list-item></text:list></text:section><text:p>six</text:p>");
    EXPECT_EQ(document.page(3), prologue + "<text:p>seven</text:p>");
    // A page that begins where the body ends keeps only the prologue.
    EXPECT_EQ(document.page(4), prologue);
}

TEST(BodyRangeCopierTest, MarksSoftBreaksAndPageCountsDoNotSurvive) {
    const std::string name = PageMarkName(3);
    TestDocument document("<text:p>" + mark(1) +
                          "of <text:page-count>12</text:page-count> and "
                          "<text:page-count/>, <text:page-count style:num-format=\"i\">xii</text:page-count>"
                          "<text:soft-page-break/><text:bookmark-start text:name=\"" +
                          name + "\"/>x<text:bookmark-end text:name=\"" + name +
                          R"("/><text:bookmark text:name="own"/></text:p>)");
    EXPECT_EQ(document.pages(1, 3), R"(<text:p>of 9 and 9, xiix<text:bookmark text:name="own"/></text:p>)")
        << "the input's count, not a stale one; a count in letters as the office wrote it";
}

TEST(BodyRangeCopierTest, HeadingsContinueTheOutlineNumbers) {
    const std::string styles =
        R"(<style:style style:name="H1" style:family="paragraph" style:default-outline-level="1"/>)"
        R"(<style:style style:name="H2" style:family="paragraph" style:default-outline-level="2"/>)";
    TestDocument document(R"(<text:h text:style-name="H1" text:outline-level="1">A</text:h>)"
                          R"(<text:h text:style-name="H1" text:outline-level="1">B</text:h>)"
                          R"(<text:h text:style-name="H2" text:outline-level="2">B.1</text:h>)"
                          R"(<text:h text:style-name="H2" text:outline-level="2">)" +
                              mark(2) +
                              "B.2</text:h>"
                              R"(<text:h text:style-name="H2" text:outline-level="2">B.3</text:h>)"
                              R"(<text:h text:style-name="H1" text:outline-level="1">C</text:h>)"
                              R"(<text:h text:style-name="H2" text:outline-level="2">C.1</text:h>)",
                          "", styles);
    EXPECT_EQ(
        document.page(2),
        R"(<text:h text:style-name="H2" text:outline-level="2" text:restart-numbering="true" )"
        R"(text:start-value="2">B.2</text:h><text:h text:style-name="H2" text:outline-level="2">B.3</text:h>)"
        R"(<text:h text:style-name="H1" text:outline-level="1" text:restart-numbering="true" )"
        R"(text:start-value="3">C</text:h><text:h text:style-name="H2" text:outline-level="2">C.1</text:h>)");
}

TEST(BodyRangeCopierTest, AParagraphNumberedByItsHeadingStyleContinuesTheOutlineAsAHeading) {
    const std::string styles =
        R"(<style:style style:name="H1" style:family="paragraph" style:default-outline-level="1"/>)";
    TestDocument document(R"(<text:h text:style-name="H1" text:outline-level="1">A</text:h>)"
                          R"(<text:p text:style-name="H1">B</text:p><text:p>body</text:p>)"
                          R"(<text:p text:style-name="H1">)" +
                              mark(2) +
                              "C</text:p><text:list><text:list-item><text:p text:style-name=\"H1\">" +
                              "item</text:p></text:list-item></text:list>",
                          "", styles);
    EXPECT_EQ(document.page(2),
              R"(<text:h text:style-name="H1" text:outline-level="1" text:restart-numbering="true" )"
              R"(text:start-value="3">C</text:h><text:list><text:list-item><text:p text:style-name="H1">)"
              R"(item</text:p></text:list-item></text:list>)")
        << "the third heading of the outline; a list item is the list's, not the outline's";
}

TEST(BodyRangeCopierTest, HiddenHeadingCarriesTheChapterNumberALowerHeadingShows) {
    const auto styles = [](const char* chapterFormat) {
        return std::string(R"(<style:style style:name="H1" style:family="paragraph" )"
                           R"(style:default-outline-level="1"/>)"
                           R"(<style:style style:name="H2" style:family="paragraph" )"
                           R"(style:default-outline-level="2"/><text:outline-style style:name="Outline">)"
                           R"(<text:outline-level-style text:level="1" style:num-format=")") +
               chapterFormat +
               R"("/><text:outline-level-style text:level="2" style:num-format="1" text:display-levels="2"/>)"
               "</text:outline-style>";
    };
    const std::string body = R"(<text:h text:style-name="H1" text:outline-level="1">A</text:h>)"
                             R"(<text:h text:style-name="H1" text:outline-level="1">B</text:h>)"
                             R"(<text:h text:style-name="H2" text:outline-level="2">B.1</text:h>)"
                             R"(<text:h text:style-name="H2" text:outline-level="2">)" +
                             mark(2) +
                             "B.2</text:h>"
                             R"(<text:h text:style-name="H1" text:outline-level="1">C</text:h>)";
    TestDocument numbered(body, "", styles("1"));
    EXPECT_EQ(
        numbered.page(2),
        R"(<text:h text:style-name="FkP1" text:outline-level="1" text:restart-numbering="true" )"
        R"(text:start-value="2"><text:hidden-paragraph text:condition="ooow:1" text:is-hidden="true"/>)"
        R"(</text:h><text:h text:style-name="H2" text:outline-level="2" text:restart-numbering="true" )"
        R"(text:start-value="2">B.2</text:h><text:h text:style-name="H1" text:outline-level="1">C</text:h>)");
    EXPECT_EQ(
        numbered.outputStyle("FkP1"),
        R"(<style:style style:name="FkP1" style:family="paragraph" style:parent-style-name="H1" )"
        R"(style:master-page-name=""><style:text-properties fo:font-size="1pt"/><style:paragraph-properties )"
        R"(fo:margin-top="0cm" fo:margin-bottom="0cm" fo:line-height="0.002cm" fo:break-before="auto" )"
        R"(fo:break-after="auto" fo:padding="0cm" fo:border="none"/></style:style>)");
    EXPECT_EQ(numbered.page(1).find("hidden-paragraph"), std::string::npos);

    // A chapter level that shows no number needs no carrier.
    TestDocument unnumbered(body, "", styles(""));
    EXPECT_EQ(unnumbered.page(2).find("hidden-paragraph"), std::string::npos);

    // Chapter 1 is carried as well: documents that keep the old numbering show a level not counted as 0.
    TestDocument firstChapter(R"(<text:h text:style-name="H1" text:outline-level="1">A</text:h>)"
                              R"(<text:h text:style-name="H2" text:outline-level="2">A.1</text:h>)" +
                                  mark(2) +
                                  R"(<text:h text:style-name="H2" text:outline-level="2">A.2</text:h>)",
                              "", styles("1"));
    EXPECT_NE(firstChapter.page(2).find(R"(text:outline-level="1" text:restart-numbering="true" )"
                                        R"(text:start-value="1"><text:hidden-paragraph)"),
              std::string::npos);

    // Before the sections the heading opens, where it takes no space from above the heading.
    TestDocument inSection(R"(<text:h text:style-name="H1" text:outline-level="1">A</text:h><text:p>)" +
                               mark(2) +
                               R"(a</text:p><text:section text:name="S"><text:section text:name="T"><text:h )"
                               R"(text:style-name="H2" text:outline-level="2">A.1</text:h></text:section>)"
                               "</text:section>",
                           "", styles("1"));
    const std::string page = inSection.page(2);
    EXPECT_LT(page.find("hidden-paragraph"), page.find(R"(<text:section text:name="S">)"));
}

TEST(BodyRangeCopierTest, HeadingCutInsideTextContinuesWithoutANumber) {
    TestDocument document(R"(<text:h text:outline-level="1" text:start-value="4">Long)" + mark(2) +
                          " title</text:h>");
    EXPECT_EQ(
        document.page(2),
        R"(<text:h text:outline-level="1" text:style-name="FkP1" text:is-list-header="true"> title</text:h>)");

    // The same for a paragraph that its style numbers as a heading.
    TestDocument byStyle(
        R"(<text:p text:style-name="H1">Long)" + mark(2) + " title</text:p>", "",
        R"(<style:style style:name="H1" style:family="paragraph" style:default-outline-level="2"/>)");
    EXPECT_EQ(byStyle.page(2), R"(<text:h text:style-name="FkP1" text:outline-level="2" )"
                               R"(text:is-list-header="true"> title</text:h>)");
}

TEST(BodyRangeCopierTest, FirstCaptionOfEachSequenceStartsAtItsInputNumber) {
    const auto caption = [](const char* name, const char* formula) {
        return std::string(R"(<text:p><text:sequence text:name=")") + name + R"(" text:formula=")" + formula +
               R"(">?</text:sequence></text:p>)";
    };
    TestDocument document(caption("Table", "ooow:Table+1") + caption("Figure", "ooow:Figure+1") +
                          caption("Table", "ooow:Table+1") + "<text:p>" + mark(2) + "</text:p>" +
                          caption("Table", "ooow:Table+1") + caption("Table", "ooow:Table+1") +
                          caption("Figure", "ooow:Figure+1"));
    EXPECT_EQ(document.page(2), "<text:p/>" + caption("Table", "ooow:3") + caption("Table", "ooow:Table+1") +
                                    caption("Figure", "ooow:2"));
}

}  // namespace
}  // namespace fk::slicer
