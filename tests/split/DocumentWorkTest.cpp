#include <gtest/gtest.h>

#include <functional>

#include "split/DocumentWork.h"

using namespace fk;

namespace {

struct WorkCase {
    const char* name;
    std::function<void(DocumentWork&)> steps;
    double done;
    double stageEnd;
};

TEST(DocumentWork, StagesReportsAndPagesMoveAForwardOnlyShare) {
    const auto begin = [](SplitStage stage) { return DocumentWork::SpanOf(stage)->begin; };
    const auto end = [](SplitStage stage) { return DocumentWork::SpanOf(stage)->end; };
    const auto reported = [](SplitStage stage) { return DocumentWork::SpanOf(stage)->reported; };
    const double load = reported(SplitStage::Open), layout = end(SplitStage::CountPages);
    const double store = begin(SplitStage::Store), stored = end(SplitStage::Store);
    ASSERT_LT(load, layout);
    ASSERT_EQ(end(SplitStage::Open), layout) << "a load may hold the layout";
    ASSERT_LE(layout, store);
    ASSERT_LT(store, stored);
    ASSERT_LT(stored, 1);
    const WorkCase cases[] = {
        {"a report of an earlier stage moves nothing back",
         [](DocumentWork& w) {
             w.reached(SplitStage::Mark);
             w.advanced(SplitStage::Open, 0.5);
         },
         begin(SplitStage::Mark), end(SplitStage::Mark)},
        {"the marking's reports reach only as far as the marks of pages",
         [](DocumentWork& w) {
             w.reached(SplitStage::Mark);
             w.advanced(SplitStage::Mark, 1);
         },
         reported(SplitStage::Mark), end(SplitStage::Mark)},
        {"a report beyond the whole counts as the whole",
         [](DocumentWork& w) {
             w.reached(SplitStage::Open);
             w.advanced(SplitStage::Open, 7);
         },
         load, layout},
        {"pages fill the rest from where the office's part ended",
         [](DocumentWork& w) {
             w.reached(SplitStage::Store);
             w.advanced(SplitStage::Store, 1);
             w.pagesStored(250, 1000);
         },
         stored + (1 - stored) / 4, 1},
        {"pages of an engine without the office's stages fill all of it",
         [](DocumentWork& w) { w.pagesStored(1, 4); }, 0.25, 1},
        {"the pages' own stages move nothing",
         [](DocumentWork& w) {
             w.reached(SplitStage::CountPages);
             w.reached(SplitStage::Copy);
             w.advanced(SplitStage::Copy, 1);
         },
         load, layout},
    };
    for (const WorkCase& c : cases) {
        DocumentWork work;
        c.steps(work);
        EXPECT_NEAR(work.done(), c.done, 1e-9) << c.name;
        EXPECT_NEAR(work.stageEnd(), c.stageEnd, 1e-9) << c.name;
    }
}

}  // namespace
