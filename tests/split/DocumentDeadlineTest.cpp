#include <gtest/gtest.h>

#include "split/DocumentDeadline.h"

using namespace fk;
using namespace std::chrono_literals;

TEST(DocumentDeadline, AMinuteAndTwoSecondsPer100KiB) {
    const struct {
        qint64 bytes;
        std::chrono::milliseconds deadline;
    } cases[] = {
        {0, 60s},
        {-1, 60s},  // a size that cannot be read
        {100 * 1024, 62s},
        {300 * 1000, 60s + 5859ms},  // the 300 KB package of a 300 MB comment
        {1 << 20, 80480ms},
        {qint64{1} << 50, 60s + 21'474'836'480ms},  // no overflow: held at the figure of 1 TiB
    };
    for (const auto& test : cases)
        EXPECT_EQ(DocumentDeadline::forSize(test.bytes).count(), test.deadline.count()) << test.bytes;
}
