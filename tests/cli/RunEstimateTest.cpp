#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "cli/RunEstimate.h"

using namespace fk;
using namespace fk::cli;

namespace {

const QString kLong = QStringLiteral("/in/long.odt");
const QString kShort = QStringLiteral("/in/short.odt");
// The text of a thousand pages and of forty.
constexpr qint64 kLongBytes = 1'800'000;
constexpr qint64 kShortBytes = 72'000;
const double kLongWeight = kLongBytes + RunEstimate::kDocumentBytes;
const double kShortWeight = kShortBytes + RunEstimate::kDocumentBytes;
const double kTotal = kLongWeight + kShortWeight;
constexpr double kStop = RunEstimate::kStopSeconds;

double Begin(SplitStage stage) {
    return DocumentWork::SpanOf(stage)->begin;
}
double Reported(SplitStage stage) {
    return DocumentWork::SpanOf(stage)->reported;
}
double End(SplitStage stage) {
    return DocumentWork::SpanOf(stage)->end;
}

// Bytes of work the run has left while the long document, `longDone` bytes of it done, is still in the
// office and the short one is not begun: the long one's pages are written while the office takes the
// short one.
double LeftWhileLongInOffice(double longDone) {
    const double office = DocumentWork::OfficeShare();
    return kLongWeight * office - longDone + std::max(kLongWeight * (1 - office), kShortWeight);
}

struct EstimateCase {
    const char* name;
    std::function<void(RunEstimate&)> events;  // the times are the test's clock, in seconds
    double now;
    double weightDone;                  // of the long document's and the short one's, in bytes
    std::optional<double> secondsLeft;  // nothing: none shown
};

TEST(RunEstimate, TimeLeftFollowsTheWorkOfTheOfficesStagesNotThePagesWritten) {
    const double layout = End(SplitStage::CountPages);
    const double longDone = End(SplitStage::Close) + (1 - End(SplitStage::Close)) / 2;
    const double bothDone = kLongWeight * longDone + kShortWeight * Begin(SplitStage::Store);
    const double pagesLeft = kLongWeight * (1 - longDone),
                 officeLeft = kShortWeight * (1 - Begin(SplitStage::Store));
    const EstimateCase cases[] = {
        {"nothing is known before the office begins", [](RunEstimate& r) { r.started(kLong); }, 3, 0,
         std::nullopt},
        {"until a layout is waited out the pace is assumed from the text, and the office's start is "
         "not counted",
         [](RunEstimate& r) {
             r.started(kLong);
             r.reached(kLong, SplitStage::Open, 3);
             r.advanced(kLong, SplitStage::Open, 1, 3.5);
         },
         3.5, 0.5 / RunEstimate::kSecondsPerByte,
         LeftWhileLongInOffice(0.5 / RunEstimate::kSecondsPerByte) * RunEstimate::kSecondsPerByte + kStop},
        {"a silent layout goes on at that pace, its load's reports behind it",
         [](RunEstimate& r) {
             r.reached(kLong, SplitStage::Open, 0);
             r.advanced(kLong, SplitStage::Open, 1, 0.1);
             r.reached(kLong, SplitStage::CountPages, 0.1);
         },
         0.9, 0.9 / RunEstimate::kSecondsPerByte,
         LeftWhileLongInOffice(0.9 / RunEstimate::kSecondsPerByte) * RunEstimate::kSecondsPerByte + kStop},
        {"but never past the end of its stage",
         [](RunEstimate& r) {
             r.reached(kLong, SplitStage::Open, 0);
             r.advanced(kLong, SplitStage::Open, 1, 0.1);
             r.reached(kLong, SplitStage::CountPages, 0.1);
         },
         100, kLongWeight * layout,
         LeftWhileLongInOffice(kLongWeight * layout) * RunEstimate::kSecondsPerByte + kStop},
        {"once past a layout the run's own pace counts",
         [](RunEstimate& r) {
             r.reached(kLong, SplitStage::Open, 1);
             r.reached(kLong, SplitStage::Mark, 5);
         },
         5, kLongWeight * Begin(SplitStage::Mark),
         4 * LeftWhileLongInOffice(kLongWeight * Begin(SplitStage::Mark)) /
                 (kLongWeight * Begin(SplitStage::Mark)) +
             kStop},
        {"the store's reports move the run",
         [](RunEstimate& r) {
             r.reached(kLong, SplitStage::Open, 0);
             r.reached(kLong, SplitStage::Store, 6);
             r.advanced(kLong, SplitStage::Store, 0.5, 6.5);
         },
         6.5, kLongWeight * (Begin(SplitStage::Store) + Reported(SplitStage::Store)) / 2, std::nullopt},
        {"the long document done leaves the short one's share, not half the run",
         [](RunEstimate& r) {
             r.started(kLong);
             r.reached(kLong, SplitStage::Open, 2);
             r.finished(kLong, 1000, 10);
         },
         10, kLongWeight, 8 * kShortWeight / kLongWeight + kStop},
        {"a report behind the reckoning does not set it back",
         [](RunEstimate& r) {
             r.reached(kLong, SplitStage::Open, 0);
             r.reached(kLong, SplitStage::Store, 4);
             r.advanced(kLong, SplitStage::Store, 0.5, 5);
             r.advanced(kLong, SplitStage::Store, 0.1, 20);
         },
         20, kLongWeight * End(SplitStage::Store), std::nullopt},
        {"pages written while the office takes the next document: the longer of the two is left",
         [](RunEstimate& r) {
             r.reached(kLong, SplitStage::Open, 0);
             r.reached(kLong, SplitStage::Close, 9);
             r.pagesStored(kLong, 500, 1000, 9);
             r.reached(kShort, SplitStage::Store, 9);
         },
         9, bothDone, std::max(pagesLeft, officeLeft) * 9 / bothDone + kStop},
    };
    for (const EstimateCase& c : cases) {
        RunEstimate run(2);
        run.weigh(kLong, kLongBytes);
        run.weigh(kShort, kShortBytes);
        c.events(run);
        EXPECT_NEAR(run.fraction(c.now), c.weightDone / kTotal, 1e-9) << c.name;
        const std::optional<double> left = run.secondsLeft(c.now);
        if (c.weightDone == 0) {
            EXPECT_FALSE(left) << c.name;
        } else if (c.secondsLeft) {
            ASSERT_TRUE(left) << c.name;
            EXPECT_NEAR(*left, *c.secondsLeft, 1e-6) << c.name;
        }
    }
}

// The slicer's pages, written once the office has no document left, have the processor to themselves;
// pages the office writes itself (the copy method, conversions) do not.
TEST(RunEstimate, PagesWrittenWithoutAnOfficeAtWorkGoFaster) {
    const auto leftWhilePagesAreWritten = [](bool officeDone) {
        RunEstimate run(2);
        run.weigh(kLong, kLongBytes);
        run.weigh(kShort, kShortBytes);
        run.reached(kShort, SplitStage::Open, 0);
        run.finished(kShort, 40, 0);
        run.reached(kLong, SplitStage::Store, 5);
        if (officeDone) run.officeDone(kLong);
        run.pagesStored(kLong, 500, 1000, 9);
        return *run.secondsLeft(9) - kStop;
    };
    EXPECT_NEAR(leftWhilePagesAreWritten(true),
                leftWhilePagesAreWritten(false) * RunEstimate::kPagesAloneShare, 1e-9);

    RunEstimate longFirst(2);
    longFirst.weigh(kLong, kLongBytes);
    longFirst.weigh(kShort, kShortBytes);
    longFirst.reached(kLong, SplitStage::Open, 0);
    longFirst.officeDone(kLong);
    longFirst.pagesStored(kLong, 500, 1000, 9);
    const double whileShortIsToCome = *longFirst.secondsLeft(9);
    longFirst.reached(kShort, SplitStage::Open, 9);
    EXPECT_NEAR(*longFirst.secondsLeft(9), whileShortIsToCome, 1e-9)
        << "a document still to come keeps an office at work";

    // Batches of 100 of 1,000 pages told 0.02 s apart, a page a microsecond after the one before: from
    // the second batch on, the rest go at the pace of the batches after the first, less what the batch
    // under way has had; the tells still to come of a batch being told are not taken for work to do.
    RunEstimate alone(1);
    alone.weigh(kLong, kLongBytes);
    alone.reached(kLong, SplitStage::Close, 5);
    alone.officeDone(kLong);
    const auto tellBatch = [&alone](int batch, int upTo) {
        for (int page = 1; page <= upTo; ++page)
            alone.pagesStored(kLong, (batch - 1) * 100 + page, 1000, 5 + 0.02 * batch + page * 1e-6);
    };
    tellBatch(1, 100);
    tellBatch(2, 4);
    EXPECT_NEAR(*alone.secondsLeft(5.04), 0.16 + kStop, 1e-5);
    tellBatch(2, 100);
    EXPECT_NEAR(*alone.secondsLeft(5.05), 0.15 + kStop, 1e-5);
    EXPECT_NEAR(*alone.secondsLeft(6), kStop, 1e-9) << "a batch late is not taken back";

    // Batches written while the office takes the next document go faster once it is done with it, until
    // a batch written alone tells its own pace.
    RunEstimate beside(2);
    beside.weigh(kLong, kLongBytes);
    beside.weigh(kShort, kShortBytes);
    beside.reached(kLong, SplitStage::Close, 5);
    beside.officeDone(kLong);
    beside.reached(kShort, SplitStage::Open, 5);
    const auto tellBesideBatch = [&beside](int batch, double at) {
        for (int page = 1; page <= 100; ++page)
            beside.pagesStored(kLong, (batch - 1) * 100 + page, 1000, at + page * 1e-6);
    };
    tellBesideBatch(1, 5.02);
    tellBesideBatch(2, 5.04);
    const double whileShortInOffice = *beside.secondsLeft(5.04) - kStop;
    EXPECT_LT(whileShortInOffice, 800 * 0.0002) << "the short document's office is done before the pages";
    EXPECT_GT(whileShortInOffice, 800 * 0.0002 * RunEstimate::kBatchesAloneShare);
    beside.finished(kShort, 40, 5.041);
    EXPECT_NEAR(*beside.secondsLeft(5.041), 800 * 0.0002 * RunEstimate::kBatchesAloneShare - 0.001 + kStop,
                1e-5);
    tellBesideBatch(3, 5.06);  // written while the office still worked: 20 ms, not 15
    tellBesideBatch(4, 5.075);
    EXPECT_NEAR(*beside.secondsLeft(5.075), 600 * 0.00015 + kStop, 1e-5);
}

// 100 pages at 0.2 ms a page beside an office at work and 0.14 alone, the last batch begun 5 ms ago.
TEST(RunEstimate, PagesBesideTheOfficeGoAtItsPaceWhileItWorksAndSlowIt) {
    constexpr double share = RunEstimate::kOfficeBesidePagesShare;
    const RunEstimate::ObservedPages pages{100, 0.0002, 0.00014, 0.005};
    const struct {
        const char* name;
        double officeSeconds;  // its work left at its own pace
        double seconds, officeLonger;
    } cases[] = {
        {"no office at work: alone", 0, 100 * 0.00014 - 0.005, 0},
        {"an office that outlasts them: beside, and the office slowed while they last", 0.1, 0.02 - 0.005,
         (0.02 - 0.005) * (1 - share)},
        {"an office done before them: beside while it works, then alone", 0.005,
         0.005 + 0.005 / share + (100 - (0.005 + 0.005 / share) / 0.0002) * 0.00014 - 0.005,
         0.005 / share - 0.005},
    };
    for (const auto& c : cases) {
        const RunEstimate::PagesOutlook outlook = RunEstimate::PagesBesideOffice(pages, c.officeSeconds);
        EXPECT_NEAR(outlook.seconds, c.seconds, 1e-12) << c.name;
        EXPECT_NEAR(outlook.officeLonger, c.officeLonger, 1e-12) << c.name;
    }
}

// The store counts its words without a report: the time left falls as it goes, at the pace the run
// kept up to it, and stops falling once the store outlasts that pace.
TEST(RunEstimate, ASilentStageCountsDownAtThePaceLastToldUntilItOutlastsIt) {
    RunEstimate run(1);
    run.weigh(kLong, kLongBytes);
    run.reached(kLong, SplitStage::Open, 0);
    run.reached(kLong, SplitStage::Store, 4);
    const double atStore = *run.secondsLeft(4);
    const double storeSeconds =
        4 / Begin(SplitStage::Store) * (End(SplitStage::Store) - Begin(SplitStage::Store));
    EXPECT_NEAR(*run.secondsLeft(5), atStore - 1, 1e-9);
    EXPECT_NEAR(*run.secondsLeft(4 + storeSeconds), atStore - storeSeconds, 1e-9);
    EXPECT_GT(*run.secondsLeft(4 + 2 * storeSeconds), *run.secondsLeft(4 + storeSeconds));
}

TEST(RunEstimate, DocumentsNotWeighedCountAsTheAverageOrAllAlike) {
    RunEstimate alike(4);
    alike.finished(kLong, 3, 0);
    EXPECT_NEAR(alike.fraction(1), 0.25, 1e-9) << "none weighed: one of four";
    alike.reached(kShort, SplitStage::Open, 1);
    // No text to assume a pace from: the run's own, a document a second, carries the second on
    // through its load. The pages of all but the last document are written while the office takes
    // the next.
    EXPECT_NEAR(*alike.secondsLeft(2),
                4 - 1 - End(SplitStage::Open) - 2 * (1 - DocumentWork::OfficeShare()) + kStop, 1e-9);

    RunEstimate partly(3);
    partly.weigh(kLong, kLongBytes);
    partly.weigh(kShort, kShortBytes);
    partly.finished(QStringLiteral("/in/unweighed.odt"), 1, 0);
    EXPECT_NEAR(partly.fraction(1), 1.0 / 3, 1e-9) << "the third weighs the average of the others";
}

TEST(RunEstimate, OutputsPerSecondCountsTheWorkDoneInOutputs) {
    RunEstimate run(2);
    run.weigh(kLong, kLongBytes);
    run.weigh(kShort, kShortBytes);
    EXPECT_FALSE(run.outputsPerSecond(5)) << "no outputs are known yet";
    run.reached(kLong, SplitStage::Close, 0);
    run.pagesStored(kLong, 500, 1000, 10);
    const double longDone = End(SplitStage::Close) + (1 - End(SplitStage::Close)) / 2;
    ASSERT_TRUE(run.outputsPerSecond(10));
    EXPECT_NEAR(*run.outputsPerSecond(10), 1000 * longDone / 10, 1e-9);
    // The short document, not yet counted, is reckoned at the long one's outputs for its weight.
    run.reached(kShort, SplitStage::Store, 10);
    EXPECT_NEAR(*run.outputsPerSecond(10),
                (1000 * longDone + 1000 / kLongWeight * kShortWeight * Begin(SplitStage::Store)) / 10, 1e-9);
}

}  // namespace
