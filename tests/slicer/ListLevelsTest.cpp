#include "TestDocument.h"

namespace fk::slicer {
namespace {

std::string item(const std::string& content) {
    return "<text:list-item>" + content + "</text:list-item>";
}
std::string p(const std::string& text) {
    return "<text:p>" + text + "</text:p>";
}
std::string list(const std::string& items) {
    return R"(<text:list text:style-name="Numbers">)" + items + "</text:list>";
}

// Headings numbered by a list, as Word documents come: each deeper heading in an item of its own that
// wraps a deeper list. An output that opens inside such a list carries the number of every level.
TEST(ListLevelsTest, AnOutputOpeningInAListCarriesEachLevelsOwnNumber) {
    const auto document = [](int markedAt) {
        const auto text = [&](int index, const std::string& label) {
            return p((index == markedAt ? mark(2) : "") + label);
        };
        return list(item(text(1, "one")) + item(text(2, "two")) + item(text(3, "three")) +
                    item(list(item(text(4, "three.one")) + item(text(5, "three.two")))) +
                    item(list(item(text(6, "three.three")))) + item(text(7, "four")));
    };
    const struct {
        const char* name;
        int markedAt;
        std::vector<std::string> expected;
    } cases[] = {
        {"a level-1 item after items that only wrap deeper ones",
         7,
         {R"(<text:list-item text:start-value="4"><text:p>four)"}},
        {"the first deeper item of a chapter",
         4,
         {R"(<text:list-item text:start-value="3"><text:p text:style-name=)", "text:hidden-paragraph",
          R"(</text:list-item><text:list-item><text:list text:style-name="Numbers"><text:list-item )"
          R"(text:start-value="1"><text:p>three.one)"}},
        {"a deeper item in a later wrapper",
         6,
         {R"(<text:list-item text:start-value="3"><text:p text:style-name=)",
          R"(<text:list-item><text:list text:style-name="Numbers"><text:list-item text:start-value="3">)"
          R"(<text:p>three.three)"}},
    };
    for (const auto& c : cases) {
        TestDocument input(document(c.markedAt));
        const std::string page = input.page(2);
        for (const std::string& expected : c.expected)
            EXPECT_NE(page.find(expected), std::string::npos)
                << c.name << ": " << expected << "\n  in " << page;
    }
}

}  // namespace
}  // namespace fk::slicer
