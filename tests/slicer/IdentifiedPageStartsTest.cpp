#include "IdentifiedPageStarts.h"
#include "slicer/PackageSlicer.h"

#include "TestDocument.h"
#include "TestPackage.h"

#include <unistd.h>

#include <filesystem>

namespace fk::slicer {
namespace {

std::string id(int page) {
    return R"( xml:id=")" + PageMarkName(page) + R"(")";
}

struct Case {
    const char* what;
    std::string body;
    std::string expected;
    int replaced;
};

TEST(IdentifiedPageStartsTest, EachPageIdentifierBecomesTheBookmarkTheOfficeWritesAtTheParagraphsStart) {
    const std::string anchored = R"(<draw:frame text:anchor-type="paragraph"/>)";
    const std::string atChar = R"(<draw:frame text:anchor-type="char"/>)";
    const std::string linked =
        R"(<draw:a xlink:href="x"><draw:frame text:anchor-type="paragraph"/></draw:a>)";
    const Case cases[] = {
        {"a paragraph", "<text:p" + id(2) + ">two</text:p>", "<text:p>" + mark(2) + "two</text:p>", 1},
        {"a heading in a list",
         "<text:list><text:list-item><text:h" + id(3) + ">three</text:h></text:list-item></text:list>",
         "<text:list><text:list-item><text:h>" + mark(3) + "three</text:h></text:list-item></text:list>", 1},
        {"after objects anchored to the paragraph, before the rest",
         "<text:p" + id(2) + ">" + anchored + anchored + atChar + "<text:soft-page-break/>two</text:p>",
         "<text:p>" + anchored + anchored + mark(2) + atChar + "<text:soft-page-break/>two</text:p>", 1},
        {"after an anchored object that is a link", "<text:p" + id(2) + ">" + linked + "two</text:p>",
         "<text:p>" + linked + mark(2) + "two</text:p>", 1},
        {"an empty paragraph and one holding only an anchored object",
         "<text:p" + id(2) + "/><text:p" + id(3) + ">" + anchored + "</text:p>",
         "<text:p>" + mark(2) + "</text:p><text:p>" + anchored + mark(3) + "</text:p>", 2},
        {"in a section and a cell",
         "<text:section><table:table><table:table-row><table:table-cell><text:p" + id(4) +
             ">four</text:p></table:table-cell></table:table-row></table:table></text:section>",
         "<text:section><table:table><table:table-row><table:table-cell><text:p>" + mark(4) +
             "four</text:p></table:table-cell></table:table-row></table:table></text:section>",
         1},
        {"the author's own identifiers and cell marks' names stay",
         R"(<text:p xml:id="para1">a</text:p><text:p xml:id=")" + CellMarkName(2, 1) + R"(">b</text:p>)",
         R"(<text:p xml:id="para1">a</text:p><text:p xml:id=")" + CellMarkName(2, 1) + R"(">b</text:p>)", 0},
    };
    for (const Case& test : cases) {
        TestDocument document(test.body);
        EXPECT_EQ(BookmarkIdentifiedPageStarts(document.text()), test.replaced) << test.what;
        EXPECT_EQ(innerXml(document.text()), test.expected) << test.what;
    }
}

// Every page of a package whose pages open paragraphs comes out the same, byte for byte, whether the
// office marked those pages by bookmark or by identifier.
TEST(IdentifiedPageStartsTest, APageMarkedByIdentifierIsCutAsOneMarkedByBookmark) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("fk-identified-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string anchored = R"(<draw:frame text:anchor-type="paragraph"><draw:text-box>)"
                                 R"(<text:p>boxed</text:p></draw:text-box></draw:frame>)";
    // Pages 2 to 4 open a paragraph, a heading in a list with an object anchored to it, a paragraph
    // in a section.
    const auto body = [&](bool identified) {
        const auto attribute = [&](int page) { return identified ? id(page) : std::string(); };
        const auto bookmark = [&](int page) { return identified ? std::string() : mark(page); };
        return "<text:p>" + mark(1) + "one</text:p><text:p" + attribute(2) + ">" + bookmark(2) +
               "two</text:p><text:list><text:list-item><text:h text:outline-level=\"1\"" + attribute(3) +
               ">" + anchored + bookmark(3) + "three</text:h></text:list-item></text:list>" +
               "<text:section text:name=\"S\"><text:p" + attribute(4) + ">" + bookmark(4) +
               "four</text:p></text:section>";
    };
    std::vector<std::string> pages[2];
    for (const bool identified : {false, true}) {
        const fs::path input = folder / (identified ? "identified.odt" : "bookmarked.odt");
        TestPackage::write(input, {{"mimetype", "application/vnd.oasis.opendocument.text"},
                                   {"content.xml", contentXml(body(identified))},
                                   {"styles.xml", stylesXml("")}});
        const PackageSlicer slicer(input, std::vector<PlannedPage>(4));
        for (int page = 1; page <= 4; ++page) {
            const fs::path output = folder / ("page-" + std::to_string(page) + ".odt");
            slicer.writePages(page, page, output);
            pages[identified].push_back(TestPackage::contents(output)["content.xml"]);
        }
    }
    fs::remove_all(folder);
    EXPECT_EQ(pages[false], pages[true]);
    EXPECT_NE(pages[true][2].find("three"), std::string::npos);
    EXPECT_EQ(pages[true][2].find("two"), std::string::npos);
}

}  // namespace
}  // namespace fk::slicer
