#include "FrozenFields.h"
#include "PageConfinement.h"
#include "RunningHeads.h"
#include "StylesAdjuster.h"
#include "TestDocument.h"

namespace fk::slicer {
namespace {

// An output body (office:text) as the copy leaves it, before the fields and ranges are settled.
class OutputBody {
public:
    explicit OutputBody(const std::string& body, const std::string& header = "") {
        const auto parsed =
            content_.load_string(contentXml(body).c_str(), pugi::parse_default | pugi::parse_ws_pcdata);
        EXPECT_TRUE(parsed) << parsed.description();
        styles_.load_string(stylesXml("", R"(<style:master-page style:name="Standard"><style:header>)" +
                                              header + "</style:header></style:master-page>")
                                .c_str());
    }
    pugi::xml_node text() const {
        return content_.document_element().child("office:body").child("office:text");
    }
    pugi::xml_node stylesRoot() const { return styles_.document_element(); }
    std::string body() const { return innerXml(text()); }
    std::string header() const {
        return innerXml(
            stylesRoot().child("office:master-styles").child("style:master-page").child("style:header"));
    }

private:
    pugi::xml_document content_, styles_;
};

// Freezes an output body cut from an input that holds every target named here besides its own.
std::string freezeBody(const std::string& body) {
    OutputBody output(body);
    const OutputBody input(
        R"(<text:p><text:bookmark text:name="far"/><text:bookmark-start text:name="cut"/>)"
        R"(<text:bookmark-end text:name="cut"/><text:bookmark text:name="a"/><text:note text:id="a"/></text:p>)");
    FrozenFields(output.text(), ReferenceTargets{input.text()}).freeze(output.text());
    return output.body();
}

TEST(FrozenFieldsTest, ReferencesToWhatAnotherPageHoldsShowTheirTextAndTheOthersStayFields) {
    EXPECT_EQ(
        freezeBody(R"(<text:p>see <text:bookmark-ref text:reference-format="text" text:ref-name="far">)"
                   R"(<text:span text:style-name="T1">Far</text:span> away</text:bookmark-ref>.</text:p>)"),
        R"(<text:p>see <text:span text:style-name="T1">Far</text:span> away.</text:p>)");
    const std::string held =
        R"(<text:p><text:bookmark text:name="here"/>x <text:bookmark-ref text:ref-name="here">1</text:bookmark-ref></text:p>)";
    EXPECT_EQ(freezeBody(held), held);
    // Every kind of reference looks for its own kind of target.
    EXPECT_EQ(freezeBody(R"(<text:p><text:reference-mark text:name="a"/><text:sequence text:ref-name="a"/>)"
                         R"(<text:reference-ref text:ref-name="a">A</text:reference-ref>)"
                         R"(<text:sequence-ref text:ref-name="a">Figure 1</text:sequence-ref>)"
                         R"(<text:note-ref text:ref-name="a">2</text:note-ref><text:bookmark-ref )"
                         R"(text:ref-name="a">B</text:bookmark-ref></text:p>)"),
              R"(<text:p><text:reference-mark text:name="a"/><text:sequence text:ref-name="a"/>)"
              R"(<text:reference-ref text:ref-name="a">A</text:reference-ref>)"
              R"(<text:sequence-ref text:ref-name="a">Figure 1</text:sequence-ref>2B</text:p>)");
}

TEST(FrozenFieldsTest, AReferenceToWhatTheInputHoldsNowhereStaysAFieldThatShowsTheOfficesError) {
    // The input showed the office's error, not the text the field was stored with.
    const std::string missing =
        R"(<text:p><text:bookmark-ref text:reference-format="number" )"
        R"(text:ref-name="gone">Error! Reference source not found.</text:bookmark-ref>)"
        R"(<text:reference-ref text:ref-name="a">A</text:reference-ref></text:p>)";
    EXPECT_EQ(freezeBody(missing), missing);
}

TEST(FrozenFieldsTest, ARangeIsHeldOnlyWithBothItsEnds) {
    // The reference may show the text between them, which the page holds only in part.
    EXPECT_EQ(freezeBody(
                  R"(<text:p><text:bookmark-start text:name="cut"/>half</text:p>)"
                  R"(<text:p><text:bookmark-ref text:ref-name="cut">half more</text:bookmark-ref></text:p>)"),
              R"(<text:p><text:bookmark-start text:name="cut"/>half</text:p><text:p>half more</text:p>)");
    const std::string whole = R"(<text:p><text:reference-mark-start text:name="w"/>all)"
                              R"(<text:reference-mark-end text:name="w"/><text:reference-ref )"
                              R"(text:ref-name="w">all</text:reference-ref></text:p>)";
    EXPECT_EQ(freezeBody(whole), whole);
}

TEST(FrozenFieldsTest, ValuesTakenFromTheFileTheClockOrTheWholeDocumentAreKeptAsStored) {
    EXPECT_EQ(freezeBody(R"(<text:p><text:date text:date-value="2001-02-03">03/02/01</text:date> )"
                         R"(<text:file-name text:fixed="false">in.odt</text:file-name> )"
                         R"(<text:author-name>Ann</text:author-name> <text:title>T</text:title></text:p>)"),
              R"(<text:p><text:date text:date-value="2001-02-03" text:fixed="true">03/02/01</text:date> )"
              R"(<text:file-name text:fixed="true">in.odt</text:file-name> )"
              R"(<text:author-name text:fixed="true">Ann</text:author-name> )"
              R"(<text:title text:fixed="true">T</text:title></text:p>)");
    // No way to fix these: their text stands for them. Page numbers are the output's to compute.
    EXPECT_EQ(
        freezeBody(
            R"(<text:p><text:word-count>1234</text:word-count>;<text:template-name>t</text:template-name>;)"
            R"(<text:variable-get text:name="v">7</text:variable-get>;<text:chapter )"
            R"(text:display="name">Intro</text:chapter>;<text:page-number>4</text:page-number></text:p>)"),
        R"(<text:p>1234;t;7;Intro;<text:page-number>4</text:page-number></text:p>)");
}

TEST(FrozenFieldsTest, HeadersAndFootersAreFrozenAgainstTheTargetsOfTheBody) {
    OutputBody output(
        R"(<text:p><text:bookmark text:name="here"/>x</text:p>)",
        R"(<text:p><text:bookmark-ref text:ref-name="here">x</text:bookmark-ref>|)"
        R"(<text:bookmark-ref text:ref-name="gone">y</text:bookmark-ref>|<text:date>d</text:date></text:p>)");
    FrozenFields(output.text(), ReferenceTargets{output.text(), OutputBody("<text:p><text:bookmark "
                                                                           "text:name=\"gone\"/></text:p>")
                                                                    .text()})
        .freeze(output.stylesRoot());
    EXPECT_EQ(output.header(), R"(<text:p><text:bookmark-ref text:ref-name="here">x</text:bookmark-ref>|y|)"
                               R"(<text:date text:fixed="true">d</text:date></text:p>)");
}

std::string closeRanges(const std::string& body) {
    OutputBody output(body);
    PageConfinement::closeCutRanges(output.text());
    return output.body();
}

TEST(PageConfinementTest, RangesCutByTheBoundaryAreClosedOnThePage) {
    EXPECT_EQ(
        closeRanges(R"(<text:p><text:bookmark-end text:name="a"/>x<text:bookmark-start text:name="b"/>y)"
                    R"(<text:reference-mark-start text:name="r"/></text:p>)"),
        R"(<text:p>x<text:bookmark text:name="b"/>y<text:reference-mark text:name="r"/></text:p>)");
    EXPECT_EQ(closeRanges(R"(<text:p><office:annotation-end office:name="c1"/>x<office:annotation )"
                          R"(office:name="c2"><text:p>note</text:p></office:annotation>y</text:p>)"),
              R"(<text:p>x<office:annotation><text:p>note</text:p></office:annotation>y</text:p>)");
    const std::string paired =
        R"(<text:p><text:bookmark-start text:name="b"/>x<text:bookmark-end text:name="b"/>)"
        R"(<office:annotation office:name="c"/>y<office:annotation-end office:name="c"/></text:p>)";
    EXPECT_EQ(closeRanges(paired), paired);
}

TEST(PageConfinementTest, ATrackedChangeCutByTheBoundaryCoversThePagesShareOfIt) {
    // The deleted paragraphs held by the declarations are not the page's first paragraph, nor is a comment's
    // its last.
    EXPECT_EQ(
        closeRanges(
            R"(<text:tracked-changes><text:changed-region text:id="c1"><text:deletion>)"
            R"(<text:p>gone</text:p></text:deletion></text:changed-region></text:tracked-changes>)"
            R"(<text:p>first</text:p><text:list><text:list-item><text:p>in)"
            R"(<text:change-end text:change-id="c1"/> out<text:change-start text:change-id="c2"/>)"
            R"(</text:p></text:list-item></text:list><text:p>last<office:annotation><text:p>remark</text:p>)"
            R"(</office:annotation></text:p>)"),
        R"(<text:tracked-changes><text:changed-region text:id="c1"><text:deletion>)"
        R"(<text:p>gone</text:p></text:deletion></text:changed-region></text:tracked-changes>)"
        R"(<text:p><text:change-start text:change-id="c1"/>first</text:p><text:list><text:list-item><text:p>in)"
        R"(<text:change-end text:change-id="c1"/> out<text:change-start text:change-id="c2"/>)"
        R"(</text:p></text:list-item></text:list><text:p>last<office:annotation><text:p>remark</text:p></office:annotation><text:change-end text:change-id="c2"/></text:p>)");
}

TEST(PageConfinementTest, OnlyTheTrackedChangesAndDeclarationsThePageUsesAreKept) {
    const std::string region =
        R"(<text:changed-region text:id="%"><text:deletion><office:change-info>)"
        R"(<dc:creator>Ann</dc:creator></office:change-info></text:deletion></text:changed-region>)";
    const auto changed = [&](const std::string& id) {
        std::string xml = region;
        xml.replace(xml.find('%'), 1, id);
        return xml;
    };
    OutputBody output(
        R"(<text:variable-decls><text:variable-decl text:name="shown"/><text:variable-decl )"
        R"(text:name="tested"/><text:variable-decl text:name="unused"/></text:variable-decls>)"
        R"(<text:user-field-decls><text:user-field-decl text:name="inHeader"/><text:user-field-decl )"
        R"(text:name="nowhere"/></text:user-field-decls><text:tracked-changes text:track-changes="true">)" +
            changed("c1") + changed("c2") + changed("c3") +
            R"(</text:tracked-changes><text:p><text:change text:change-id="c2"/>)"
            R"(<text:variable-set text:name="shown">1</text:variable-set><text:hidden-text )"
            R"(text:condition="ooow:tested == 1"/></text:p>)",
        R"(<text:p><text:user-field-get text:name="inHeader">u</text:user-field-get></text:p>)");
    PageConfinement::keepNeededDeclarations(output.text(), {output.text(), output.stylesRoot()});
    PageConfinement::keepOwnTrackedChanges(output.text());
    EXPECT_EQ(
        output.body(),
        R"(<text:variable-decls><text:variable-decl text:name="shown"/><text:variable-decl )"
        R"(text:name="tested"/></text:variable-decls><text:user-field-decls><text:user-field-decl )"
        R"(text:name="inHeader"/></text:user-field-decls><text:tracked-changes text:track-changes="true">)" +
            changed("c2") +
            R"(</text:tracked-changes><text:p><text:change text:change-id="c2"/><text:variable-set )"
            R"(text:name="shown">1</text:variable-set><text:hidden-text text:condition="ooow:tested == 1"/></text:p>)");
}

TEST(PageConfinementTest, HiddenDeletionsAcrossAParagraphsEndLeaveThePageWithTheirRecords) {
    const auto region = [](const std::string& id, const std::string& deleted) {
        return R"(<text:changed-region text:id=")" + id +
               R"("><text:deletion><office:change-info>)"
               R"(<dc:creator>Ann</dc:creator></office:change-info>)" +
               deleted + "</text:deletion></text:changed-region>";
    };
    const auto point = [](const std::string& id) {
        return R"(<text:change text:change-id=")" + id + R"("/>)";
    };
    OutputBody output("<text:tracked-changes>" +
                      region("whole", "<text:p>one</text:p><text:p>two</text:p><text:p/>") +
                      region("words", "<text:p>a few words</text:p>") +
                      region("table", "<table:table><table:table-row/></table:table><text:p/>") +
                      "</text:tracked-changes><text:p>" + point("whole") + "opens" + point("words") +
                      "</text:p><text:list><text:list-item><text:p>item" + point("table") +
                      "</text:p></text:list-item></text:list>");
    PageConfinement::leaveOutParagraphDeletions(output.text());
    PageConfinement::keepOwnTrackedChanges(output.text());
    EXPECT_EQ(output.body(),
              "<text:tracked-changes>" + region("words", "<text:p>a few words</text:p>") +
                  "</text:tracked-changes><text:p>opens" + point("words") +
                  "</text:p><text:list><text:list-item><text:p>item</text:p></text:list-item></text:list>");
}

TEST(PageConfinementTest, ChangesAreHiddenOnlyWhereTheViewSettingsSaySo) {
    const auto settings = [](const std::string& set, const std::string& value) {
        return R"(<office:document-settings xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
               R"( xmlns:config="urn:oasis:names:tc:opendocument:xmlns:config:1.0"><office:settings>)"
               R"(<config:config-item-set config:name=")" +
               set +
               R"("><config:config-item config:name=)"
               R"("ShowRedlineChanges" config:type="boolean">)" +
               value +
               "</config:config-item></config:config-item-set></office:settings></office:document-settings>";
    };
    const struct {
        std::string settings;
        bool hidden;
    } cases[] = {
        {settings("ooo:view-settings", "false"), true},
        {settings("ooo:view-settings", "true"), false},
        {settings("ooo:configuration-settings", "false"), false},
        {"", false},
        {"<not-closed", false},
    };
    for (const auto& c : cases) EXPECT_EQ(PageConfinement::changesHidden(c.settings), c.hidden) << c.settings;
}

// Three outline levels numbered "1", "1.1" and "A-1.1.i)", the third behind a prefix and a suffix.
const std::string kOutline =
    R"(<text:outline-style style:name="Outline"><text:outline-level-style text:level="1" style:num-format="1"/>)"
    R"(<text:outline-level-style text:level="2" style:num-format="1" text:display-levels="2"/>)"
    R"x(<text:outline-level-style text:level="3" style:num-format="i" style:num-prefix="A-" style:num-suffix=")")x"
    R"( text:display-levels="3"/></text:outline-style>)";

std::string chapterShown(TestDocument& document, int page, const std::string& display, int level) {
    pugi::xml_document field;
    field.load_string(("<text:chapter text:display=\"" + display + "\" text:outline-level=\"" +
                       std::to_string(level) + "\">stale</text:chapter>")
                          .c_str());
    return RunningHeads(document.facts(), document.styles()).shown(field.first_child(), document.start(page));
}

TEST(RunningHeadsTest, AHeaderShowsTheChapterInForceWhereThePageStarts) {
    TestDocument document(
        R"(<text:h text:outline-level="1">Intro<text:note><text:note-body><text:p>n</text:p></text:note-body>)"
        R"(</text:note></text:h><text:p>text )" +
            mark(2) +
            R"(goes on</text:p><text:h text:outline-level="2">Used<text:s text:c="2"/>Terms</text:h>)" +
            R"(<text:p>a</text:p>)" + mark(3) +
            R"(<text:h text:outline-level="1">Second</text:h><text:h text:outline-level="2">Deep</text:h>)"
            R"(<text:h text:outline-level="3">Deeper</text:h><text:p>)" +
            mark(4) + "b</text:p>",
        "", kOutline);
    // Page 2 starts in a paragraph of chapter 1; its own heading comes later on the page.
    EXPECT_EQ(chapterShown(document, 2, "number-and-name", 2), "1 Intro");
    EXPECT_EQ(chapterShown(document, 2, "name", 1), "Intro");
    // Page 3 starts with its heading; no heading yet stands at level 2 in chapter 2.
    EXPECT_EQ(chapterShown(document, 3, "number", 2), "2");
    EXPECT_EQ(chapterShown(document, 4, "number", 2), "2.1");
    EXPECT_EQ(chapterShown(document, 4, "name", 2), "Deep");
    EXPECT_EQ(chapterShown(document, 4, "number", 3), "A-2.1.i)");
    EXPECT_EQ(chapterShown(document, 4, "plain-number", 3), "2.1.i");
    EXPECT_EQ(chapterShown(document, 4, "plain-number-and-name", 3), "2.1.i Deeper");
    EXPECT_EQ(chapterShown(document, 1, "name", 1), "Intro");
    // Between the title and the first heading of the document there is no chapter.
    TestDocument untitled(R"(<text:p>x</text:p><text:h text:outline-level="1">Later</text:h>)" + mark(2) + "",
                          "", kOutline);
    EXPECT_EQ(chapterShown(untitled, 1, "name", 1), "");
    EXPECT_EQ(chapterShown(untitled, 2, "name", 1), "Later");
}

TEST(RunningHeadsTest, TextDeletedUnderChangeTrackingNeitherCountsNorStandsAsAChapter) {
    TestDocument document(
        R"(<text:tracked-changes><text:changed-region text:id="c1"><text:deletion>)"
        R"(<text:h text:outline-level="1">Gone</text:h><text:p>gone too</text:p></text:deletion>)"
        R"(</text:changed-region></text:tracked-changes><text:h text:outline-level="1">Kept</text:h>)"
        R"(<text:p>x)" +
            mark(2) + "y</text:p>",
        "", kOutline);
    EXPECT_EQ(document.facts().headingNumber(document.text().child("text:h")), 1);
    EXPECT_EQ(chapterShown(document, 1, "number-and-name", 1), "1 Kept");
    EXPECT_EQ(chapterShown(document, 2, "number-and-name", 1), "1 Kept");
}

TEST(RunningHeadsTest, AHeadingTheOutlineDoesNotNumberShowsItsNameAlone) {
    TestDocument document(
        R"(<text:h text:outline-level="1" text:is-list-header="true">Preface</text:h><text:p>)" + mark(2) +
            "x</text:p>",
        "", kOutline);
    EXPECT_EQ(chapterShown(document, 2, "number-and-name", 1), "Preface");
}

TEST(RunningHeadsTest, TheOfficesListFormatGivesTheSeparatorsPrefixAndSuffix) {
    TestDocument document(
        R"(<text:h text:outline-level="1">A</text:h><text:h text:outline-level="2">B</text:h><text:p>)" +
            mark(2) + "x</text:p>",
        "",
        R"x(<text:outline-style style:name="Outline"><text:outline-level-style text:level="1" style:num-format="I"/>)x"
        R"x(<text:outline-level-style text:level="2" style:num-format="a" loext:num-list-format="(%1%-%2%%9%)")x"
        R"x( style:num-prefix="(" style:num-suffix=")" text:display-levels="2"/></text:outline-style>)x");
    EXPECT_EQ(chapterShown(document, 2, "number", 2), "(I-a%9%)");
    EXPECT_EQ(chapterShown(document, 2, "plain-number-and-name", 2), "I-a%9% B");
}

TEST(RunningHeadsTest, AHeadingNumberedByAListShowsTheListsLabel) {
    TestDocument document(
        R"(<text:list text:style-name="L"><text:list-item><text:h text:style-name="Listed" text:outline-level="1">One</text:h>)"
        R"(<text:list><text:list-item><text:p>a</text:p></text:list-item><text:list-item>)"
        R"(<text:h text:style-name="Listed" text:outline-level="2">One b</text:h></text:list-item></text:list>)"
        R"(</text:list-item></text:list><text:p>)" +
            mark(2) + "x</text:p>",
        R"(<text:list-style style:name="L"><text:list-level-style-number text:level="1" style:num-format="I"/>)"
        R"x(<text:list-level-style-number text:level="2" style:num-format="a" style:num-suffix=")" )x"
        R"(text:display-levels="2"/></text:list-style><style:style style:name="Listed" style:family="paragraph" )"
        R"(style:list-style-name="L"/>)",
        kOutline);
    EXPECT_EQ(chapterShown(document, 2, "number-and-name", 2), "I.b) One b");
    EXPECT_EQ(chapterShown(document, 2, "plain-number", 1), "I");
}

TEST(RunningHeadsTest, AParagraphNumberedAsAHeadingByItsStyleStandsForEveryLevel) {
    // The office finds it for a chapter field of any level, though its style puts it at level 3.
    TestDocument document(
        R"(<text:h text:outline-level="1">One</text:h><text:p text:style-name="H3">Styled</text:p>)"
        R"(<text:p>)" +
            mark(2) + "x</text:p>",
        "",
        kOutline + R"(<style:style style:name="H3" style:family="paragraph" )"
                   R"(style:default-outline-level="3"/>)");
    EXPECT_EQ(chapterShown(document, 2, "plain-number", 1), "1.0.i");
    EXPECT_EQ(chapterShown(document, 2, "name", 1), "Styled");
}

TEST(RunningHeadsTest, NumbersAreWrittenInTheLevelsFormat) {
    EXPECT_EQ(RunningHeads::formatNumber(14, "I"), "XIV");
    EXPECT_EQ(RunningHeads::formatNumber(1999, "i"), "mcmxcix");
    EXPECT_EQ(RunningHeads::formatNumber(28, "a"), "bb");
    EXPECT_EQ(RunningHeads::formatNumber(26, "A"), "Z");
    // Numbers no reader can take in letters, and none at all, are written in digits.
    EXPECT_EQ(RunningHeads::formatNumber(5000, "I"), "5000");
    EXPECT_EQ(RunningHeads::formatNumber(100000, "a"), "100000");
    EXPECT_EQ(RunningHeads::formatNumber(0, "i"), "0");
}

}  // namespace
}  // namespace fk::slicer

namespace fk::slicer {
namespace {

TEST(LeftPageTest, ALeftPageOfTheInputShowsItsLeftHeaderFooterAndMargins) {
    pugi::xml_document styles;
    ASSERT_TRUE(styles.load_string(
        stylesXml(
            "",
            R"(<style:master-page style:name="Mirrored" style:page-layout-name="M"><style:header><text:p>)"
            R"(right</text:p></style:header><style:header-left><text:p>left</text:p></style:header-left>)"
            R"(<style:footer><text:p>foot</text:p></style:footer></style:master-page>)"
            R"(<style:master-page style:name="Other" style:page-layout-name="M"><style:header><text:p>)"
            R"(other</text:p></style:header><style:header-left><text:p>other left</text:p>)"
            R"(</style:header-left></style:master-page>)",
            R"(<style:page-layout style:name="M" style:page-usage="mirrored"><style:page-layout-properties )"
            R"(fo:margin-left="3cm"/></style:page-layout>)")
            .c_str()));
    StylesAdjuster::showAsLeftPage(styles.document_element(), "Mirrored");
    const pugi::xml_node masters = styles.document_element().child("office:master-styles");
    // Only the left header differs; the footer serves both sides.
    EXPECT_EQ(innerXml(masters.first_child()),
              "<style:header><text:p>left</text:p></style:header><style:footer><text:p>foot</text:p></"
              "style:footer>");
    EXPECT_EQ(innerXml(masters.last_child()),
              "<style:header><text:p>other</text:p></style:header>"
              "<style:header-left><text:p>other left</text:p></style:header-left>");
    EXPECT_EQ(
        outerXml(styles.document_element().child("office:automatic-styles").first_child().first_child()),
        R"(<style:page-layout-properties fo:margin-left="0cm" fo:margin-right="3cm"/>)");
}

}  // namespace
}  // namespace fk::slicer
