#include "slicer/PagePlan.h"

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

}  // namespace
}  // namespace fk::slicer
