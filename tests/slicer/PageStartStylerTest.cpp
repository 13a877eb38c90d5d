#include "PageStartStyler.h"
#include "TestDocument.h"

namespace fk::slicer {
namespace {

TEST(PageStartStylerTest, FirstParagraphCarriesPageStyleAndNumber) {
    TestDocument document(
        R"(<text:p text:style-name="P1">a</text:p><text:p>b</text:p>)",
        R"(<style:style style:name="P1" style:family="paragraph" style:parent-style-name="Body">)"
        R"(<style:text-properties fo:color="#ff0000"/></style:style>)");
    document.page(1);
    PageStartStyler::styleFirstPage(document.outputText(), "Left_20_Page", 7, true, document.outputStyles());
    EXPECT_EQ(innerXml(document.outputText()),
              R"(<text:p text:style-name="FkP1">a</text:p><text:p>b</text:p>)");
    EXPECT_EQ(document.outputStyle("FkP1"),
              R"(<style:style style:name="FkP1" style:family="paragraph" style:parent-style-name="Body" )"
              R"(style:master-page-name="Left_20_Page"><style:paragraph-properties style:page-number="7"/>)"
              R"(<style:text-properties fo:color="#ff0000"/></style:style>)");
}

TEST(PageStartStylerTest, PageStartingWithATableInAListOrSectionStylesTheTable) {
    TestDocument document(
        R"(<text:section text:name="S"><table:table table:style-name="Tab">)"
        "<table:table-row><table:table-cell><text:p>a</text:p></table:table-cell></table:table-row>"
        "</table:table></text:section>");
    document.page(1);
    PageStartStyler::styleFirstPage(document.outputText(), "Standard", 3, true, document.outputStyles());
    EXPECT_EQ(document.outputText().first_child().first_child().attribute("table:style-name").as_string(),
              std::string("FkTab1"));
    EXPECT_EQ(
        document.outputStyle("FkTab1"),
        R"(<style:style style:name="FkTab1" style:family="table" style:parent-style-name="Tab" )"
        R"(style:master-page-name="Standard"><style:table-properties style:page-number="3"/></style:style>)");
}

TEST(PageStartStylerTest, FirstBlockOfAPageTheTextFlowedOntoLosesOnlyItsSpaceAbove) {
    TestDocument document(
        R"(<text:h text:style-name="Heading">a</text:h>)", "",
        R"(<style:style style:name="Heading" style:family="paragraph"><style:paragraph-properties )"
        R"(fo:margin-top="0.4cm" fo:margin-bottom="0.2cm"/></style:style>)");
    document.page(1);
    PageStartStyler::styleFirstPage(document.outputText(), "Standard", 2, false, document.outputStyles());
    EXPECT_EQ(document.outputStyle("FkP1"),
              R"(<style:style style:name="FkP1" style:family="paragraph" style:parent-style-name="Heading" )"
              R"(style:master-page-name="Standard"><style:paragraph-properties style:page-number="2" )"
              R"(fo:margin-bottom="0.2cm" fo:margin-top="0cm"/></style:style>)");
}

TEST(PageStartStylerTest, HiddenFirstBlockCarriesThePageStyleAndTheFirstShownOneLosesItsSpaceAbove) {
    TestDocument document(R"(<text:h text:style-name="Tiny">)"
                          R"(<text:hidden-paragraph text:condition="ooow:1" text:is-hidden="true"/></text:h>)"
                          R"(<text:h text:style-name="Heading">a</text:h>)");
    document.page(1);
    PageStartStyler::styleFirstPage(document.outputText(), "Standard", 5, false, document.outputStyles());
    EXPECT_EQ(innerXml(document.outputText()),
              R"(<text:h text:style-name="FkP1"><text:hidden-paragraph text:condition="ooow:1" )"
              R"(text:is-hidden="true"/></text:h><text:h text:style-name="FkP2">a</text:h>)");
    EXPECT_NE(document.outputStyle("FkP1").find(R"(style:master-page-name="Standard")"), std::string::npos);
    EXPECT_EQ(document.outputStyle("FkP2"),
              R"(<style:style style:name="FkP2" style:family="paragraph" style:parent-style-name="Heading">)"
              R"(<style:paragraph-properties fo:margin-top="0cm"/></style:style>)");
}

TEST(PageStartStylerTest, EmptyBodyGetsAParagraphAfterItsDeclarations) {
    TestDocument document("<text:sequence-decls/>");
    document.page(1);
    PageStartStyler::styleFirstPage(document.outputText(), "Standard", 4, true, document.outputStyles());
    EXPECT_EQ(innerXml(document.outputText()), R"(<text:sequence-decls/><text:p text:style-name="FkP1"/>)");
    EXPECT_EQ(
        document.outputStyle("FkP1"),
        R"(<style:style style:name="FkP1" style:family="paragraph" style:parent-style-name="Standard" )"
        R"(style:master-page-name="Standard"><style:paragraph-properties style:page-number="4"/></style:style>)");
}

TEST(PageStartStylerTest, PageBreakAfterTheLastParagraphIsDropped) {
    TestDocument document(
        R"(<text:list><text:list-item><text:p text:style-name="Breaking">a</text:p></text:list-item>)"
        "</text:list>",
        "",
        R"(<style:style style:name="Breaking" style:family="paragraph">)"
        R"(<style:paragraph-properties fo:break-after="page"/></style:style>)");
    document.page(1);
    PageStartStyler::dropTrailingBreak(document.outputText(), document.outputStyles());
    EXPECT_EQ(document.outputStyle("FkP1"),
              R"(<style:style style:name="FkP1" style:family="paragraph" style:parent-style-name="Breaking">)"
              R"(<style:paragraph-properties fo:break-after="auto"/></style:style>)");
}

TEST(PageStartStylerTest, BodyEndingWithATableEndsWithAHiddenParagraph) {
    TestDocument document(
        R"(<text:section text:name="S"><table:table table:name="T"><table:table-row><table:table-cell>)"
        "<text:p>a</text:p></table:table-cell></table:table-row></table:table></text:section>");
    document.page(1);
    PageStartStyler::closeAfterTable(document.outputText(), document.outputStyles());
    const pugi::xml_node section = document.outputText().first_child();
    EXPECT_EQ(outerXml(section.last_child()),
              R"(<text:p text:style-name="FkP1"><text:hidden-paragraph text:condition="ooow:1" )"
              R"(text:is-hidden="true"/></text:p>)");
    EXPECT_EQ(odf::lastContentChild(document.outputText()), section);
}

}  // namespace
}  // namespace fk::slicer
