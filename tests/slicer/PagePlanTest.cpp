#include "PagePlan.h"

#include <gtest/gtest.h>

namespace fk::slicer {
namespace {

TEST(PagePlanTest, MarkNamesRoundTrip) {
    EXPECT_EQ(PageMarkName(2), "__folioknife_page_0002");
    EXPECT_EQ(PageMarkName(12345), "__folioknife_page_12345");
    for (int page : {1, 9, 10, 999, 10000}) EXPECT_EQ(PageOfMark(PageMarkName(page)), page);
}

TEST(PagePlanTest, OtherNamesAreNotMarks) {
    for (const char* name :
         {"", "Bookmark 1", "__folioknife_page_", "__folioknife_page_02", "__folioknife_page_0000",
          "__folioknife_page_0002 copy", "__folioknife_page_-001", "x__folioknife_page_0002"})
        EXPECT_EQ(PageOfMark(name), 0) << name;
}

TEST(PagePlanTest, CellMarksNameTheirPageAndAreNoPageMarks) {
    EXPECT_EQ(CellMarkName(5, 3), "__folioknife_page_0005_cell_3");
    EXPECT_EQ(PageOfCellMark(CellMarkName(5, 3)), 5);
    EXPECT_EQ(PageOfCellMark(CellMarkName(12345, 100)), 12345);
    EXPECT_EQ(PageOfMark(CellMarkName(5, 3)), 0);
    for (const char* name :
         {"__folioknife_page_0005", "__folioknife_page_0005_cell_", "__folioknife_page_0005_cell_0",
          "__folioknife_page_0005_cell_03", "__folioknife_page_05_cell_3", "__folioknife_page_0005_cell_3x",
          "Bookmark_cell_3"})
        EXPECT_EQ(PageOfCellMark(name), 0) << name;
}

TEST(PagePlanTest, PagesAreCountedFromOneAndNoneLiesOutside) {
    PlannedPage second;
    second.pageStyle = "Second";
    const PagePlan plan({{}, second, {}});
    EXPECT_EQ(plan.pageCount(), 3);
    EXPECT_EQ(plan.page(2).pageStyle, "Second");
    for (const int outside : {0, -1, 4}) EXPECT_THROW(plan.page(outside), std::out_of_range) << outside;
    EXPECT_THROW(PagePlan({}).page(1), std::out_of_range);
}

}  // namespace
}  // namespace fk::slicer
