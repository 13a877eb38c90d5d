#include <gtest/gtest.h>

#include "FakePrompts.h"
#include "app/ProcedureTrap.h"
#include "app/RuntimeError.h"

using namespace fk;
using fk::test::FakePrompts;

namespace {
const QString kPath = procedure::kPushButton7;
const QString kTail = QStringLiteral("\r\rPlease email screenshot of this message to support@kestrune.com");
}  // namespace

TEST(ProcedureTrap, MessageHasTheExactShape) {
    EXPECT_EQ(ProcedureTrap::message(QStringLiteral("Overflow"), kPath, 134),
              "Overflow\r\nin Tamberlon2021/08/31.Form1.PushButton7_Click at line 134" + kTail);
    // An empty description still gives every other piece.
    EXPECT_EQ(ProcedureTrap::message(QString(), kPath, 0),
              "\r\nin Tamberlon2021/08/31.Form1.PushButton7_Click at line 0" + kTail);
}

TEST(ProcedureTrap, ReportsInAWarningBoxAndGoesOn) {
    FakePrompts prompts;
    ProcedureTrap trap(prompts, kPath);
    QStringList ran;
    trap.step(100, [&] { ran << "100"; });
    trap.step(102, [&] { throw Failure::tooMany(); });
    trap.more([&] { ran << "102b"; });
    trap.step(104, [&] { throw std::runtime_error("second"); });
    trap.step(106, [&] { ran << "106"; });

    EXPECT_EQ(ran, QStringList({"100", "102b", "106"}));
    ASSERT_EQ(prompts.messages.size(), 2);
    EXPECT_EQ(prompts.messages[0].text, ProcedureTrap::message("Overflow", kPath, 102));
    EXPECT_EQ(prompts.messages[0].style, kOkExclamation);
    EXPECT_EQ(prompts.messages[0].title, "Application Error");
    EXPECT_EQ(prompts.messages[1].text, ProcedureTrap::message("second", kPath, 104));
}

TEST(ProcedureTrap, FailureBeforeTheFirstLineReportsLineZero) {
    FakePrompts prompts;
    ProcedureTrap trap(prompts, kPath);
    trap.more([] { throw RuntimeError::invalidProcedureCall(); });
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages[0].text.contains("at line 0\r\r"));
}

TEST(ProcedureTrap, FailedBlockTestRunsTheBlock) {
    FakePrompts prompts;
    ProcedureTrap trap(prompts, kPath);
    EXPECT_TRUE(trap.test(104, []() -> bool { throw Failure::pathNotFound(); }));
    EXPECT_FALSE(trap.test(106, [] { return false; }));
    EXPECT_EQ(trap.reportCount(), 1);
    EXPECT_TRUE(prompts.messages[0].text.startsWith("Path not found\r\n"));
}

TEST(ProcedureTrap, HelperFailureIsReportedUnderTheCallersLine) {
    FakePrompts prompts;
    ProcedureTrap trap(prompts, kPath);
    auto helperWithoutTrap = [] { throw Failure::accessDenied(); };
    bool after = false;
    trap.step(120, [&] {
        helperWithoutTrap();
        after = true;  // the rest of the failed statement does not run
    });
    trap.step(122, [&] { after = true; });
    EXPECT_TRUE(after);
    EXPECT_EQ(prompts.messages[0].text, ProcedureTrap::message("Permission denied", kPath, 120));
}
