#include "IdentifiedPageStarts.h"

#include "TestDocument.h"

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

}  // namespace
}  // namespace fk::slicer
