#include "PagePlan.h"

#include <gtest/gtest.h>

namespace fk::slicer {
namespace {

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
