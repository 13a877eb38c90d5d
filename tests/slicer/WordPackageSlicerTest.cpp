#include "slicer/WordPackageSlicer.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <fstream>
#include <map>
#include <pugixml.hpp>

#include "TestPackage.h"
#include "slicer/MarkNames.h"

namespace fk::slicer {
namespace {

namespace fs = std::filesystem;

// A point bookmark as the office stores one of ours.
std::string mark(int page) {
    return R"(<w:bookmarkStart w:id=")" + std::to_string(page) + R"(" w:name=")" + PageMarkName(page) +
           R"("/><w:bookmarkEnd w:id=")" + std::to_string(page) + R"("/>)";
}
std::string run(const std::string& text) {
    return "<w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
}
const std::string kPageBreak = R"(<w:r><w:br w:type="page"/></w:r>)";
const std::string kJustified = R"(<w:pPr><w:ind w:firstLine="567"/><w:jc w:val="both"/></w:pPr>)";

struct Package {
    std::string body;
    std::string numbering;
    std::string settings = "<w:settings/>";
    std::string header = "<w:hdr/>";
};

class WordPackageSlicerTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("fk-word-slicer-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    WordPackageSlicer slicer(const Package& package, int pages) {
        const std::string ns = R"(xmlns:w="w" xmlns:r="r" xmlns:wp="wp" xmlns:mc="mc")";
        std::vector<std::pair<std::string, std::string>> entries{
            {"[Content_Types].xml", "<Types/>"},
            {"word/document.xml", "<w:document " + ns + "><w:body>" + package.body +
                                      R"(<w:sectPr><w:headerReference r:id="rIdH"/><w:pgSz w:w="11906"/>)"
                                      R"(<w:titlePg/></w:sectPr></w:body></w:document>)"},
            {"word/_rels/document.xml.rels",
             R"(<Relationships><Relationship Id="rIdH" Type="header" Target="header1.xml"/>)"
             R"(<Relationship Id="rIdA" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/image" Target="media/a.png"/>)"
             R"(<Relationship Id="rIdB" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/image" Target="media/b.png"/>)"
             R"(<Relationship Id="rIdL" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/image" Target="media/logo.png"/></Relationships>)"},
            {"word/_rels/header1.xml.rels",
             R"(<Relationships><Relationship Id="rId1" Type="image" Target="media/logo.png"/></Relationships>)"},
            {"word/header1.xml", "<w:hdr " + ns + ">" + package.header + "</w:hdr>"},
            {"word/settings.xml", package.settings},
            {"word/media/a.png", "a"},
            {"word/media/b.png", "b"},
            {"word/media/logo.png", "logo"}};
        if (!package.numbering.empty()) entries.emplace_back("word/numbering.xml", package.numbering);
        const fs::path path = folder_ / "marked.docx";
        TestPackage::write(path, entries);
        return WordPackageSlicer(path, pages, {});
    }

    // Output pages first..last: its entries, and its body parsed.
    std::map<std::string, std::string> cut(const WordPackageSlicer& slicer, int first, int last,
                                           pugi::xml_document& document) {
        const fs::path path = folder_ / "page.docx";
        { std::ofstream(path, std::ios::binary) << slicer.pagesPackage(first, last); }
        std::map<std::string, std::string> entries = TestPackage::contents(path);
        EXPECT_TRUE(document.load_string(entries["word/document.xml"].c_str(),
                                         pugi::parse_default | pugi::parse_ws_pcdata));
        return entries;
    }

    static std::string text(const pugi::xml_document& document) {
        std::string shown;
        for (pugi::xpath_node node : document.select_nodes("//w:p"))
            for (pugi::xpath_node t : node.node().select_nodes(".//w:t")) shown += t.node().text().get();
        return shown;
    }

    fs::path folder_;
};

TEST_F(WordPackageSlicerTest, CutsAParagraphWherePagesMeetAndStylesEachPieceAsItsPageShowsIt) {
    const WordPackageSlicer words =
        slicer({.body = "<w:p>" + kJustified + run("First page ends ") + mark(2) + run("second begins") +
                        "</w:p>" + "<w:p>" + kPageBreak + mark(3) + run("Third") + "</w:p>"},
               3);
    ASSERT_EQ(words.notUnderstood(), "");

    pugi::xml_document first, second, third;
    cut(words, 1, 1, first);
    cut(words, 2, 2, second);
    cut(words, 3, 3, third);
    EXPECT_EQ(text(first), "First page ends");  // the space that ended the line goes
    EXPECT_EQ(text(second), "second begins");
    EXPECT_EQ(text(third), "Third");
    // The page's last line justified as in the input, and no space below it; the rest of the paragraph
    // without a first-line indent or space above; the pieces' properties in Word's order.
    const pugi::xml_node head = first.select_node("//w:p/w:pPr").node();
    EXPECT_STREQ(head.child("w:jc").attribute("w:val").value(), "distribute");
    EXPECT_STREQ(head.child("w:spacing").attribute("w:after").value(), "0");
    EXPECT_EQ(head.child("w:spacing").next_sibling(), head.child("w:ind"));
    const pugi::xml_node tail = second.select_node("//w:p/w:pPr").node();
    EXPECT_STREQ(tail.child("w:ind").attribute("w:firstLine").value(), "0");
    EXPECT_STREQ(tail.child("w:spacing").attribute("w:before").value(), "0");
    // The page break that opened page 3 leaves no empty page at the end of page 2 nor in page 3.
    EXPECT_EQ(second.select_nodes("//w:p").size(), 1u);
    EXPECT_FALSE(third.select_node("//w:br"));
    // No mark of ours reaches a page; each page is numbered as in the input, and only the first keeps
    // the first page's header.
    for (const pugi::xml_document* page : {&first, &second, &third})
        EXPECT_FALSE(page->select_node("//w:bookmarkStart | //w:bookmarkEnd"));
    EXPECT_STREQ(first.select_node("//w:pgNumType").node().attribute("w:start").value(), "1");
    EXPECT_STREQ(third.select_node("//w:pgNumType").node().attribute("w:start").value(), "3");
    EXPECT_TRUE(first.select_node("//w:titlePg"));
    EXPECT_FALSE(third.select_node("//w:titlePg"));

    // The page opens its output: no break before it, not even its style's.
    EXPECT_STREQ(third.select_node("//w:pageBreakBefore").node().attribute("w:val").value(), "0");

    pugi::xml_document range;
    cut(words, 2, 3, range);
    EXPECT_EQ(text(range), "second beginsThird");
    EXPECT_TRUE(range.select_node("//w:br[@w:type='page']"));  // between its two pages
}

TEST_F(WordPackageSlicerTest, AParagraphWithNothingToShowOnOneSideOfAMarkGoesWhole) {
    const struct {
        const char* name;
        std::string secondParagraph;
        std::size_t firstPageParagraphs, secondPageParagraphs;
    } cases[] = {
        // An empty paragraph that page 2 starts in takes a line there.
        {"empty", "<w:p>" + mark(2) + "<w:r><w:rPr/></w:r></w:p>", 1, 2},
        // The break that opened page 2 leaves nothing on page 1.
        {"page break", "<w:p>" + kPageBreak + mark(2) + run("two") + "</w:p>", 1, 2},
        {"mid-paragraph", "<w:p>" + run("one") + mark(2) + run("two") + "</w:p>", 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const WordPackageSlicer words = slicer({.body = "<w:p>" + run("first") + "</w:p>" +
                                                        c.secondParagraph + "<w:p>" + run("last") + "</w:p>"},
                                               2);
        pugi::xml_document first, second;
        cut(words, 1, 1, first);
        cut(words, 2, 2, second);
        EXPECT_EQ(first.select_nodes("//w:body/w:p").size(), c.firstPageParagraphs);
        EXPECT_EQ(second.select_nodes("//w:body/w:p").size(), c.secondPageParagraphs);
    }
}

TEST_F(WordPackageSlicerTest, EachPageEndsWithItsSectionNumberedAndHeadedAsInTheDocument) {
    // Section 1 (pages 1-2, numbered from 5, with a footer) ends in a paragraph that page 2 starts in;
    // section 2 opens page 3 with a title page, numbered on, and no footer of its own.
    const WordPackageSlicer words = slicer(
        {.body = "<w:p>" + run("one") + mark(2) + run("two") +
                 R"(<w:pPr><w:sectPr><w:footerReference w:type="default" r:id="rIdH"/><w:pgSz w:w="5000"/>)"
                 R"(<w:pgNumType w:start="5"/></w:sectPr></w:pPr></w:p><w:p>)" +
                 mark(3) + run("three") + "</w:p><w:p>" + mark(4) + run("four") + "</w:p>"},
        4);
    ASSERT_EQ(words.notUnderstood(), "");
    const auto section = [&](int page) {
        pugi::xml_document document;
        cut(words, page, page, document);
        EXPECT_EQ(document.select_nodes("//w:sectPr").size(), 1u) << page;
        const pugi::xml_node found = document.select_node("//w:body/w:sectPr").node();
        return std::string(found.child("w:pgSz").attribute("w:w").value()) + " from " +
               found.child("w:pgNumType").attribute("w:start").value() +
               (found.child("w:titlePg") ? " title" : "") +
               (found.child("w:footerReference") ? " footer" : "");
    };
    EXPECT_EQ(section(1), "5000 from 5 footer");
    EXPECT_EQ(section(2), "5000 from 6 footer");  // the rest of the paragraph that ends section 1
    EXPECT_EQ(section(3), "11906 from 7 title footer");
    EXPECT_EQ(section(4), "11906 from 8 footer");
}

TEST_F(WordPackageSlicerTest, ARowCutByThePageShowsEachCellsPartOnItsPageUnderTheRepeatedHeading) {
    // A heading row, a row that starts on page 1, and one that page 2 cuts: its first cell goes on at
    // the page's mark, its second at a cell mark, its third has shown all it holds on page 1.
    const std::string heading = R"(<w:tr><w:trPr><w:tblHeader/></w:trPr><w:tc><w:p>)" + run("Heading") +
                                "</w:p></w:tc><w:tc><w:p/></w:tc><w:tc><w:p/></w:tc></w:tr>";
    const std::string cellMark =
        R"(<w:bookmarkStart w:id="9" w:name=")" + CellMarkName(2, 2) + R"("/><w:bookmarkEnd w:id="9"/>)";
    const WordPackageSlicer words = slicer(
        {.body = "<w:tbl><w:tblPr/><w:tblGrid/>" + heading + "<w:tr><w:tc><w:p>" + run("Whole") +
                 R"(</w:p></w:tc></w:tr><w:tr><w:trPr><w:trHeight w:val="3000"/></w:trPr><w:tc><w:p>)" +
                 run("A1 ") + mark(2) + run("A2") + "</w:p></w:tc><w:tc><w:p>" + run("B1") + "</w:p><w:p>" +
                 cellMark + run("B2") + "</w:p></w:tc><w:tc><w:p>" + run("C1") +
                 "</w:p></w:tc></w:tr></w:tbl>" + "<w:p>" + run("After") + "</w:p>"},
        2);
    ASSERT_EQ(words.notUnderstood(), "");
    pugi::xml_document first, second;
    cut(words, 1, 1, first);
    cut(words, 2, 2, second);
    const auto cells = [](const pugi::xml_document& page) {
        std::string shown;
        for (pugi::xpath_node row : page.select_nodes("//w:tr")) {
            for (pugi::xpath_node cell : row.node().select_nodes("w:tc")) {
                shown += "[";
                for (pugi::xpath_node t : cell.node().select_nodes(".//w:t")) shown += t.node().text().get();
                shown += "]";
            }
            shown += row.node().select_node(".//w:trHeight") ? " tall\n" : "\n";
        }
        return shown;
    };
    EXPECT_EQ(cells(first), "[Heading][][]\n[Whole]\n[A1][B1][C1]\n");
    EXPECT_EQ(cells(second), "[Heading][][]\n[A2][B2][]\n");
    pugi::xml_document both;
    cut(words, 1, 2, both);
    EXPECT_EQ(cells(both), "[Heading][][]\n[Whole]\n[A1 A2][B1B2][C1] tall\n");
    EXPECT_FALSE(both.select_node("//w:bookmarkStart | //w:bookmarkEnd"));
    EXPECT_EQ(text(second).substr(text(second).size() - 5), "After");
}

TEST_F(WordPackageSlicerTest, ARowOverThreePagesShowsOnTheMiddleOneWhatItsCellsShowThere) {
    // Cell 1 goes on to page 3; cell 2 ends on page 2.
    const auto cellMark = [](int page, int id) {
        return R"(<w:bookmarkStart w:id=")" + std::to_string(id) + R"(" w:name=")" + CellMarkName(page, 2) +
               R"("/><w:bookmarkEnd w:id=")" + std::to_string(id) + R"("/>)";
    };
    const WordPackageSlicer words =
        slicer({.body = "<w:tbl><w:tr><w:tc><w:p>" + run("A1") + mark(2) + run("A2") + mark(3) + run("A3") +
                        "</w:p></w:tc><w:tc><w:p>" + run("B1") + "</w:p><w:p>" + cellMark(2, 9) + run("B2") +
                        "</w:p></w:tc></w:tr></w:tbl><w:p/>"},
               3);
    ASSERT_EQ(words.notUnderstood(), "");
    const auto cells = [&](int page) {
        pugi::xml_document document;
        cut(words, page, page, document);
        std::string shown;
        for (pugi::xpath_node cell : document.select_nodes("//w:tc")) {
            shown += "[";
            for (pugi::xpath_node t : cell.node().select_nodes(".//w:t")) shown += t.node().text().get();
            shown += "]";
        }
        return shown;
    };
    EXPECT_EQ(cells(1), "[A1][B1]");
    EXPECT_EQ(cells(2), "[A2][B2]");
    EXPECT_EQ(cells(3), "[A3][]");
}

TEST_F(WordPackageSlicerTest, APageEndingInATableEndsWithAParagraphThatTakesNoRoom) {
    // Below a table of contents, which the office stores as a control.
    const WordPackageSlicer words = slicer(
        {.body = "<w:sdt><w:sdtContent><w:p>" + run("Contents") + "</w:p></w:sdtContent></w:sdt><w:p>" +
                 run("Above") + "</w:p><w:tbl><w:tr><w:tc><w:p>" + run("cell") +
                 "</w:p></w:tc></w:tr></w:tbl><w:p>" + mark(2) + run("Next") + "</w:p>"},
        2);
    pugi::xml_document first;
    cut(words, 1, 1, first);
    EXPECT_EQ(text(first), "ContentsAbovecell");
    const pugi::xml_node last = first.select_node("//w:body/w:tbl").node().next_sibling();
    ASSERT_TRUE(last);
    EXPECT_STREQ(last.name(), "w:p");
    EXPECT_STREQ(last.select_node(".//w:spacing").node().attribute("w:lineRule").value(), "exact");
}

TEST_F(WordPackageSlicerTest, APageCarriesOnlyThePicturesItOrItsHeaderShows) {
    const std::string picture =
        R"(<w:r><w:drawing><wp:inline><a:blip xmlns:a="a" r:embed="rIdA"/></wp:inline></w:drawing></w:r>)";
    const WordPackageSlicer words = slicer(
        {.body =
             "<w:p>" + picture + "</w:p><w:p>" + mark(2) +
             R"(<w:r><w:drawing><wp:inline><a:blip xmlns:a="a" r:embed="rIdB"/></wp:inline></w:drawing></w:r></w:p>)"},
        2);
    pugi::xml_document first;
    const std::map<std::string, std::string> entries = cut(words, 1, 1, first);
    EXPECT_TRUE(entries.contains("word/media/a.png"));
    EXPECT_FALSE(entries.contains("word/media/b.png"));
    EXPECT_TRUE(entries.contains("word/media/logo.png"));  // the header's
    EXPECT_EQ(entries.at("word/_rels/document.xml.rels").find("rIdB"), std::string::npos);
}

TEST_F(WordPackageSlicerTest, FieldsThatCountPagesShowTheWholeDocumentsCount) {
    const std::string complex =
        R"(<w:r><w:t>of </w:t></w:r><w:r><w:fldChar w:fldCharType="begin"/></w:r>)"
        R"(<w:r><w:instrText> NUMPAGES </w:instrText></w:r><w:r><w:fldChar w:fldCharType="separate"/>)"
        R"(</w:r><w:r><w:t>7</w:t></w:r><w:r><w:fldChar w:fldCharType="end"/></w:r>)";
    const WordPackageSlicer words = slicer(
        {.body = "<w:p>" + complex + "</w:p><w:p>" + mark(2) + run("two") + "</w:p>",
         .header =
             R"(<w:p><w:fldSimple w:instr=" NUMPAGES \* ARABIC "><w:r><w:t>7</w:t></w:r></w:fldSimple></w:p>)"},
        2);
    ASSERT_EQ(words.notUnderstood(), "");
    pugi::xml_document first;
    std::map<std::string, std::string> entries = cut(words, 1, 1, first);
    EXPECT_EQ(text(first), "of 7");
    EXPECT_FALSE(first.select_node("//w:fldChar | //w:instrText"));
    EXPECT_NE(entries["word/header1.xml"].find("<w:t>7</w:t>"), std::string::npos);
    EXPECT_EQ(entries["word/header1.xml"].find("fldSimple"), std::string::npos);
}

TEST_F(WordPackageSlicerTest, APageCountsOnTheListsOfThePagesBeforeWithHiddenItems) {
    // Chapter 3 and its sections 3.1 and 3.2 on page 1; page 2 goes on with 3.3.
    const auto item = [](int level, const std::string& text) {
        return R"(<w:p><w:pPr><w:pStyle w:val="Heading"/><w:numPr><w:ilvl w:val=")" + std::to_string(level) +
               R"("/><w:numId w:val="4"/></w:numPr></w:pPr>)" + run(text) + "</w:p>";
    };
    const WordPackageSlicer words = slicer(
        {.body = item(0, "3") + item(1, "3.1") + item(1, "3.2") + "<w:p>" + mark(2) + run("text") + "</w:p>" +
                 item(1, "3.3"),
         .numbering =
             R"(<w:numbering><w:abstractNum w:abstractNumId="1"><w:lvl w:ilvl="0"><w:start w:val="3"/>)"
             R"(<w:numFmt w:val="decimal"/></w:lvl><w:lvl w:ilvl="1"><w:numFmt w:val="decimal"/></w:lvl>)"
             R"(</w:abstractNum><w:num w:numId="4"><w:abstractNumId w:val="1"/></w:num></w:numbering>)"},
        2);
    ASSERT_EQ(words.notUnderstood(), "");
    pugi::xml_document first, second;
    cut(words, 1, 1, first);
    std::map<std::string, std::string> entries = cut(words, 2, 2, second);
    EXPECT_FALSE(first.select_node("//w:vanish"));
    // Hidden items of levels 1, 2 and 2, in the items' own style; the first level starts at 3.
    std::string carried;
    for (pugi::xpath_node carrier : second.select_nodes("//w:body/w:p[w:pPr/w:rPr/w:vanish]"))
        carried += carrier.node().select_node(".//w:ilvl").node().attribute("w:val").value() +
                   std::string(carrier.node().select_node(".//w:pStyle").node().attribute("w:val").value()) +
                   " ";
    EXPECT_EQ(carried, "0Heading 1Heading 1Heading ");
    EXPECT_NE(entries["word/numbering.xml"].find(R"(<w:lvlOverride w:ilvl="0"><w:startOverride w:val="3"/>)"),
              std::string::npos);
    EXPECT_EQ(text(second), "text3.3");
}

TEST_F(WordPackageSlicerTest, RefusesWhatAPageAloneCannotSay) {
    const std::string counting =
        R"(<w:numbering><w:abstractNum w:abstractNumId="1"><w:lvl w:ilvl="0"><w:numFmt w:val="decimal"/></w:lvl>)"
        R"(</w:abstractNum><w:num w:numId="4"><w:abstractNumId w:val="1"/></w:num></w:numbering>)";
    const std::string bullets =
        R"(<w:numbering><w:abstractNum w:abstractNumId="1"><w:lvl w:ilvl="0"><w:numFmt w:val="bullet"/></w:lvl>)"
        R"(</w:abstractNum><w:num w:numId="4"><w:abstractNumId w:val="1"/></w:num></w:numbering>)";
    const std::string listItem =
        R"(<w:pPr><w:numPr><w:ilvl w:val="0"/><w:numId w:val="4"/></w:numPr></w:pPr>)";
    const std::string plainEnd = "<w:p>" + mark(2) + run("two") + "</w:p>";
    const struct {
        const char* name;
        Package package;
        std::string refused;  // empty: understood
    } cases[] = {
        {"plain", {.body = "<w:p>" + run("one") + "</w:p>" + plainEnd}, ""},
        {"bullets",
         {.body = "<w:p>" + listItem + run("one") + "</w:p>" + plainEnd, .numbering = bullets},
         ""},
        // A page alone counts from the list's start: right for the first item, not for a later one.
        {"first item counted",
         {.body = "<w:p>" + listItem + run("one") + "</w:p>" + plainEnd, .numbering = counting},
         ""},
        {"lists that share their levels",
         {.body = "<w:p>" + listItem + run("one") + "</w:p>" + plainEnd +
                  R"(<w:p><w:pPr><w:numPr><w:ilvl w:val="0"/><w:numId w:val="5"/></w:numPr></w:pPr></w:p>)",
          .numbering =
              R"(<w:numbering><w:abstractNum w:abstractNumId="1"><w:lvl w:ilvl="0"><w:numFmt w:val="decimal"/>)"
              R"(</w:lvl></w:abstractNum><w:num w:numId="4"><w:abstractNumId w:val="1"/></w:num>)"
              R"(<w:num w:numId="5"><w:abstractNumId w:val="1"/></w:num></w:numbering>)"},
         "lists that count on from one another, or across the pages of a table"},
        {"bullets on",
         {.body = "<w:p>" + listItem + run("one") + "</w:p><w:p>" + mark(2) + "</w:p><w:p>" + listItem +
                  run("two") + "</w:p>",
          .numbering = bullets},
         ""},
        {"list item cut",
         {.body = "<w:p>" + listItem + run("one") + mark(2) + run("two") + "</w:p>", .numbering = bullets},
         "page 2 starts inside a list item"},
        {"note",
         {.body = R"(<w:p><w:r><w:footnoteReference w:id="2"/></w:r></w:p>)" + plainEnd},
         "footnotes or endnotes"},
        {"table in a table",
         {.body = "<w:tbl><w:tr><w:tc><w:tbl><w:tr><w:tc><w:p>" + mark(2) + run("two") +
                  "</w:p></w:tc></w:tr></w:tbl><w:p/></w:tc></w:tr></w:tbl>"},
         "page 2 starts inside a frame, a control or a table in a table"},
        {"merged cells",
         {.body = "<w:tbl><w:tr><w:tc><w:tcPr><w:vMerge/></w:tcPr><w:p>" + run("one") + mark(2) + run("two") +
                  "</w:p></w:tc></w:tr></w:tbl>"},
         "page 2 starts inside a table with cells merged down its rows"},
        {"no mark", {.body = "<w:p>" + run("one") + "</w:p>"}, "page 2 has no mark"},
        {"no paragraph", {.body = ""}, "a document with no paragraph"},
        {"anchored picture",
         {.body = "<w:p><w:r><w:drawing><wp:anchor/></w:drawing></w:r></w:p>" + plainEnd},
         "pictures, frames or text boxes placed on the page"},
        {"page count with a field inside",
         {.body = "<w:p>" + run("one") + "</w:p>" + plainEnd,
          .header =
              R"(<w:p><w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText>NUMPAGES</w:instrText></w:r>)"
              R"(<w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:fldChar w:fldCharType="end"/></w:r></w:p>)"},
         "fields that count pages"},
        {"page number in the header",
         {.body = "<w:p>" + run("one") + "</w:p>" + plainEnd,
          .header = R"(<w:p><w:fldSimple w:instr=" PAGE "/></w:p>)"},
         ""},
        {"section ending in a table",
         {.body =
              "<w:tbl><w:tr><w:tc><w:p><w:pPr><w:sectPr/></w:pPr></w:p></w:tc></w:tr></w:tbl>" + plainEnd},
         "a section that ends in a table"},
        {"left and right headers",
         {.body = "<w:p>" + run("one") + "</w:p>" + plainEnd,
          .settings = "<w:settings><w:evenAndOddHeaders/></w:settings>"},
         "headers that differ on left and right pages"},
        {"index",
         {.body = R"(<w:p><w:r><w:fldChar w:fldCharType="begin"/></w:r>)" + run("entry") + "</w:p><w:p>" +
                  mark(2) + R"(<w:r><w:fldChar w:fldCharType="end"/></w:r></w:p>)"},
         "page 2 starts inside a field (an index or a table of contents)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const WordPackageSlicer words = slicer(c.package, 2);
        EXPECT_EQ(words.notUnderstood(), c.refused);
        if (!c.refused.empty()) EXPECT_THROW(words.pagesPackage(1, 1), SliceError);
    }
}

}  // namespace
}  // namespace fk::slicer
