#include "TestDocument.h"

namespace fk::slicer {
namespace {

std::vector<int> itemNumbers(const TestDocument& document) {
    std::vector<int> numbers;
    struct Walker : pugi::xml_tree_walker {
        const TestDocument* document;
        std::vector<int>* numbers;
        bool for_each(pugi::xml_node& node) override {
            if (odf::is(node, "text:list-item"))
                numbers->push_back(document->facts().listItemNumber(node).value_or(-1));
            return true;
        }
    } walker;
    walker.document = &document;
    walker.numbers = &numbers;
    document.text().traverse(walker);
    return numbers;
}

std::string item(const std::string& inner = "") {
    return "<text:list-item><text:p>x</text:p>" + inner + "</text:list-item>";
}

TEST(DocumentFactsTest, HeadingLevelsBeyondTheOutlineCountAtItsDeepestAndShowAtMostTheLevelsAbove) {
    // Levels the office never writes: the outline has ten. None may take long or overflow.
    const std::string outline =
        R"(<text:outline-style style:name="Outline">)"
        R"(<text:outline-level-style text:level="1" style:num-format="1"/>)"
        R"(<text:outline-level-style text:level="10" style:num-format="1" text:display-levels="2147483647"/>)"
        R"(<text:outline-level-style text:level="2147483647" style:num-format="1" )"
        R"(text:display-levels="2147483647"/><text:outline-level-style text:level="-2147483647" )"
        R"(style:num-format="1" text:display-levels="-2147483647"/></text:outline-style>)"
        R"(<style:style style:name="H1" style:family="paragraph" style:default-outline-level="1"/>)";
    TestDocument document(
        R"(<text:h text:outline-level="1">a</text:h><text:h text:outline-level="2147483647">)"
        R"(b</text:h><text:h text:outline-level="-2147483647">c</text:h>)"
        R"(<text:h text:outline-level="10">d</text:h>)",
        "", outline);
    std::vector<int> levels, numbers;
    for (pugi::xml_node heading : document.text().children("text:h")) {
        levels.push_back(document.facts().headingLevel(heading));
        numbers.push_back(document.facts().headingNumber(heading).value_or(-1));
    }
    EXPECT_EQ(levels, (std::vector<int>{1, 10, 1, 10}));
    EXPECT_EQ(numbers, (std::vector<int>{1, 1, 2, 1}));
    const auto outer = document.facts().outerNumbers(document.text().child("text:h").next_sibling());
    ASSERT_EQ(outer.size(), 1u) << "only the levels above that show a number and have a heading style";
    EXPECT_EQ(outer.front().level, 1);
}

TEST(DocumentFactsTest, NestedLevelsRestartUnderEachParentItem) {
    TestDocument document("<text:list>" + item() + item("<text:list>" + item() + item() + "</text:list>") +
                          item("<text:list>" + item() + "</text:list>") + "</text:list>");
    EXPECT_EQ(itemNumbers(document), (std::vector<int>{1, 2, 1, 2, 3, 1}));
}

TEST(DocumentFactsTest, ListStyleStartValueAndHeadersAreHonoured) {
    const std::string listStyle =
        R"(<text:list-style style:name="L1"><text:list-level-style-number text:level="1")"
        R"( text:start-value="4"/></text:list-style>)";
    TestDocument document(R"(<text:list text:style-name="L1">)" + item() +
                              "<text:list-header><text:p>h</text:p></text:list-header>" + item() +
                              "</text:list>" + R"(<text:list text:style-name="L1">)" + item() +
                              "</text:list>",
                          listStyle);
    EXPECT_EQ(itemNumbers(document), (std::vector<int>{4, 5, 4}));
}

TEST(DocumentFactsTest, ContinuedListsFollowTheListTheyContinue) {
    TestDocument document(R"(<text:list text:style-name="A" xml:id="a">)" + item() + item() + "</text:list>" +
                          R"(<text:list text:style-name="B">)" + item() + "</text:list>" +
                          R"(<text:list text:style-name="A" text:continue-numbering="true">)" + item() +
                          "</text:list>" + R"(<text:list text:style-name="B" text:continue-list="a">)" +
                          item() + "</text:list>");
    EXPECT_EQ(itemNumbers(document), (std::vector<int>{1, 2, 1, 3, 4}));
}

TEST(DocumentFactsTest, OnlyOutlineHeadingsAreNumbered) {
    const std::string styles =
        R"(<style:style style:name="H1" style:family="paragraph" style:default-outline-level="1"/>)"
        R"(<style:style style:name="Plain" style:family="paragraph"/>)"
        R"(<style:style style:name="Listed" style:family="paragraph" style:parent-style-name="H1")"
        R"( style:list-style-name="L9"/>)";
    TestDocument document(
        R"(<text:h text:style-name="H1">a</text:h><text:h text:style-name="Plain">b</text:h>)"
        R"(<text:h text:style-name="Listed">c</text:h><text:h text:style-name="H1" )"
        R"(text:is-list-header="true">d</text:h><text:h text:style-name="H1" )"
        R"(text:restart-numbering="true" text:start-value="7">e</text:h><text:h text:style-name="H1">f</text:h>)",
        "", styles);
    std::vector<std::optional<int>> numbers;
    for (pugi::xml_node heading : document.text().children("text:h"))
        numbers.push_back(document.facts().headingNumber(heading));
    EXPECT_EQ(numbers, (std::vector<std::optional<int>>{1, std::nullopt, std::nullopt, std::nullopt, 7, 8}));
}

TEST(DocumentFactsTest, NotesBeforeAPageCountNumberedNotesOfTheirClass) {
    const auto note = [](const char* noteClass, const char* label = nullptr) {
        return std::string(R"(<text:note text:note-class=")") + noteClass + R"("><text:note-citation)" +
               (label ? std::string(R"( text:label=")") + label + "\"" : std::string()) +
               ">1</text:note-citation><text:note-body><text:p>n</text:p></text:note-body></text:note>";
    };
    TestDocument document("<text:p>a" + note("footnote") + note("footnote", "*") + note("endnote") +
                          "</text:p>" + R"(<text:h text:outline-level="1">Chapter</text:h><text:p>b)" +
                          note("footnote") + "</text:p>" + "<text:p>" + mark(2) + "c" + note("footnote") +
                          "</text:p>");
    const BodyPosition page2 = document.start(2);
    EXPECT_EQ(document.facts().notesBefore("footnote", page2, false), 2);
    EXPECT_EQ(document.facts().notesBefore("footnote", page2, true), 1);
    EXPECT_EQ(document.facts().notesBefore("endnote", page2, false), 1);
    EXPECT_EQ(document.facts().notesBefore("footnote", BodyPosition::endOf(document.text()), false), 3);
}

}  // namespace
}  // namespace fk::slicer
