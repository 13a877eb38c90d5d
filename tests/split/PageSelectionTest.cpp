#include <gtest/gtest.h>

#include "QtPrinters.h"
#include "split/PageSelection.h"

using namespace fk;
using Output = PageSelection::Output;

namespace {

PageSelection parsed(const QString& text) {
    QString error;
    const std::optional<PageSelection> selection = PageSelection::parse(text, error);
    EXPECT_TRUE(selection.has_value()) << error.toStdString();
    return selection.value_or(PageSelection());
}

TEST(PageSelection, EveryPageOnItsOwnByDefault) {
    EXPECT_TRUE(PageSelection().isEveryPage());
    EXPECT_EQ(PageSelection().outputs(3), (std::vector<Output>{{1, 1, 1}, {2, 2, 2}, {3, 3, 3}}));
    EXPECT_TRUE(PageSelection().outputs(0).empty());
}

TEST(PageSelection, ChosenPagesKeepTheirOwnNumbersInOrderOnce) {
    const PageSelection selection = parsed("10-,1-3,7, 2");
    EXPECT_FALSE(selection.isEveryPage());
    EXPECT_EQ(selection.outputs(12),
              (std::vector<Output>{
                  {1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {7, 7, 7}, {10, 10, 10}, {11, 11, 11}, {12, 12, 12}}));
    EXPECT_EQ(selection.outputs(2), (std::vector<Output>{{1, 1, 1}, {2, 2, 2}})) << "cut to the document";
    EXPECT_FALSE(parsed("1-3,10-").namesPagesBeyond(5)) << "a range to the end takes what there is";
    EXPECT_TRUE(parsed("1-3,7").namesPagesBeyond(5));
    EXPECT_TRUE(parsed("4-6").namesPagesBeyond(5));
    EXPECT_FALSE(parsed("4-5").namesPagesBeyond(5));
}

TEST(PageSelection, PagesCountedFromTheEndAreResolvedForEachDocument) {
    const struct {
        const char* text;
        int pageCount;
        std::vector<int> pages;
        bool beyond;
    } cases[] = {
        {"z", 5, {5}, false},
        {"r1", 5, {5}, false},
        {"r2", 5, {4}, false},
        {"1-z", 3, {1, 2, 3}, false},
        {"r3-z", 10, {8, 9, 10}, false},
        {"r3-z", 2, {1, 2}, false},  // the last three of two pages: what there is
        {"2-r2", 5, {2, 3, 4}, false},
        {"r2-", 5, {4, 5}, false},
        {"r7", 5, {}, true},     // a page before the first
        {"4-r3", 5, {}, false},  // empty for this document, not backwards as written
    };
    for (const auto& [text, pageCount, pages, beyond] : cases) {
        std::vector<Output> expected;
        for (const int page : pages) expected.push_back({page, page, page});
        EXPECT_EQ(parsed(text).outputs(pageCount), expected) << text;
        EXPECT_EQ(parsed(text).namesPagesBeyond(pageCount), beyond) << text;
    }
}

TEST(PageSelection, ARangeThatRunsBackwardsIsAnErrorThatSaysSo) {
    for (const char* text : {"3-1", "1,5-2", "r1-r3", "z-r2"}) {
        QString error;
        EXPECT_FALSE(PageSelection::parse(text, error).has_value()) << text;
        EXPECT_TRUE(error.contains("runs backwards")) << text << ": " << error.toStdString();
    }
}

TEST(PageSelection, EveryNPagesMakesNumberedDocumentsTheLastOneShorter) {
    EXPECT_EQ(PageSelection::every(3).outputs(7), (std::vector<Output>{{1, 3, 1}, {4, 6, 2}, {7, 7, 3}}));
    EXPECT_EQ(PageSelection::every(3).outputs(6), (std::vector<Output>{{1, 3, 1}, {4, 6, 2}}));
    EXPECT_EQ(PageSelection::every(10).outputs(4), (std::vector<Output>{{1, 4, 1}}));
    EXPECT_FALSE(PageSelection::every(2).isEveryPage());
    EXPECT_TRUE(PageSelection::every(1).isEveryPage());
}

TEST(PageSelection, TextThatIsNoPageListIsAnError) {
    for (const char* text :
         {"", "0", "1-2-3", "a", "1,,2", "-3", "1.5", "+2", "2000000", "1;2", "r0", "r", "zz", "rz", "r-1"}) {
        QString error;
        EXPECT_FALSE(PageSelection::parse(text, error).has_value()) << text;
        EXPECT_TRUE(error.contains("is not a list of pages")) << text;
    }
}

}  // namespace
