#include <gtest/gtest.h>

#include "cli/AutomaticJobs.h"

using namespace fk::cli;

TEST(AutomaticJobs, OneOfficePerCoreWhereTheMemoryHoldsThemAndNeverNone) {
    constexpr qint64 MB = 1024 * 1024, GB = 1024 * MB;
    const struct {
        MachineResources machine;
        qint64 largestDocument;
        int groups;
        int jobs;
        const char* why;
    } cases[] = {
        {{4, 16 * GB}, 100'000, 10, 4, "memory to spare: one per core"},
        {{4, 0}, 100'000, 10, 4, "memory unknown: the cores decide"},
        {{4, 16 * GB}, 100'000, 3, 3, "no more offices than documents that can go apart"},
        {{8, 1 * GB}, 100'000, 10, 3, "a gigabyte holds three small offices"},
        {{8, 1 * GB}, 10 * MB, 10, 1, "a large document's office needs most of it"},
        {{2, 100 * MB}, 100'000, 10, 1, "not even one fits: one all the same"},
        {{0, 16 * GB}, 100'000, 10, 1, "cores unknown: one"},
        {{4, 16 * GB}, 100'000, 0, 1, "nothing to split: one"},
    };
    for (const auto& each : cases)
        EXPECT_EQ(AutomaticJobCount(each.machine, each.largestDocument, each.groups), each.jobs) << each.why;
}

TEST(AutomaticJobs, ALargerDocumentNeedsALargerOffice) {
    EXPECT_LT(OfficeBytesFor(0), OfficeBytesFor(1'000'000));
    EXPECT_EQ(OfficeBytesFor(-5), OfficeBytesFor(0)) << "a size unknown counts as none";
}
