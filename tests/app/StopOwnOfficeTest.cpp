#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <thread>

#include "ProcessTable.h"
#include "app/ProgramEnd.h"
#include "app/StopOwnOffice.h"
#include "app/TerminationSignals.h"
#include "base/Failure.h"

using namespace fk;

namespace {

// A stand-in for soffice that starts a long-lived helper in its process group, writes the helper's
// id to "helper", then runs `rest`.
class ScriptedOffice {
public:
    explicit ScriptedOffice(const QString& rest) {
        QFile script(program());
        EXPECT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(
            ("#!/bin/sh\nsleep 300 &\necho $! > '" + dir.filePath("helper") + "'\n" + rest + "\n").toUtf8());
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    ~ScriptedOffice() {
        if (helper > 0) ::kill(helper, SIGKILL);
    }
    QString program() const { return dir.filePath("soffice"); }
    pid_t waitForHelper() {
        QFile file(dir.filePath("helper"));
        for (int i = 0; i < 250 && file.size() == 0; ++i) QThread::msleep(20);
        if (file.open(QIODevice::ReadOnly)) helper = QString::fromUtf8(file.readAll()).trimmed().toInt();
        return helper;
    }
    // A zombie counts as ended: reaping an orphan is up to the system's first process.
    static bool alive(pid_t pid) { return fk::test::IsRunning(pid); }

    QTemporaryDir dir;
    pid_t helper = -1;
};

}  // namespace

TEST(StopOwnOffice, OfficeStillRunningAsOurChildIsStopped) {
    ScriptedOffice office("wait");
    OfficeProcess process({office.program(), true, {}});
    process.start();
    const pid_t helper = office.waitForHelper();
    ASSERT_GT(helper, 0);
    StopOwnOffice(process);
    EXPECT_FALSE(ScriptedOffice::alive(helper));
    EXPECT_EQ(process.pid(), -1);
}

// A split on another thread that saw the office go starts a new one while the program ends: the
// start either comes first and its office is the one stopped, or is refused.
TEST(StopOwnOffice, NoOfficeStartedAsTheProgramEndsOutlivesIt) {
    ScriptedOffice office("wait");
    OfficeProcess process({office.program(), true, {}});
    process.start();
    ASSERT_GT(office.waitForHelper(), 0);
    std::thread split([&] {
        try {
            process.start();
        } catch (const Failure& refused) {
            EXPECT_EQ(refused.kind(), FailureKind::OfficeGone);
        }
    });
    StopOwnOffice(process);
    split.join();
    EXPECT_NE(process.state(), OfficeProcess::State::Running);
    EXPECT_THROW(process.start(), Failure);
    EXPECT_EQ(process.pid(), -1);
}

TEST(StopOwnOffice, OfficeThatHandedOverIsLeftAlone) {
    ScriptedOffice office("exit 0");
    OfficeProcess process({office.program(), true, {}});
    process.start();
    const pid_t helper = office.waitForHelper();
    ASSERT_GT(helper, 0);
    for (int i = 0; i < 250 && process.state() == OfficeProcess::State::Running; ++i) QThread::msleep(20);
    ASSERT_EQ(process.state(), OfficeProcess::State::HandedOver);
    StopOwnOffice(process);
    EXPECT_TRUE(ScriptedOffice::alive(helper));
}

TEST(StopOwnOffice, OfficeNeverStartedIsNothingToStop) {
    OfficeProcess process({QStringLiteral("/nonexistent/soffice"), true, {}});
    StopOwnOffice(process);
    EXPECT_EQ(process.state(), OfficeProcess::State::NotStarted);
}

TEST(ProgramEnd, StopsTheOfficeBeforeTheProgramEndsWithItsStatus) {
    ScriptedOffice office("wait");
    OfficeProcess process({office.program(), true, {}});
    process.start();
    const pid_t helper = office.waitForHelper();
    ASSERT_GT(helper, 0);
    QList<int> statuses;
    bool officeGoneAtExit = false;
    const ProgramEnd end(process, [&](int status) {
        statuses << status;
        officeGoneAtExit = !ScriptedOffice::alive(helper);
    });
    end(128 + SIGTERM);
    EXPECT_EQ(statuses, QList<int>{128 + SIGTERM});
    EXPECT_TRUE(officeGoneAtExit);
}

TEST(TerminationSignals, EachSignalReachesTheEventLoopAndDefaultsComeBackAfterwards) {
    OfficeProcess process({QStringLiteral("/nonexistent/soffice"), true, {}});
    QList<int> received;
    {
        TerminationSignals interruptions(process, [&](int signalNumber) { received << signalNumber; });
        for (const int signalNumber : {SIGHUP, SIGTERM, SIGINT}) {
            ::raise(signalNumber);
            for (int i = 0; i < 100 && received.size() < 3 && !received.contains(signalNumber); ++i)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    }
    EXPECT_EQ(received, QList<int>({SIGHUP, SIGTERM, SIGINT}));
    struct sigaction now {};
    ::sigaction(SIGTERM, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
    EXPECT_EQ(TerminationSignals::exitStatus(SIGINT), 130);
}

TEST(TerminationSignalsDeathTest, SecondSignalBeforeTheFirstIsAnsweredKillsTheOfficeAndEndsAtOnce) {
    // Forked, not run afresh: the child must start the office whose helper this test looks for.
    GTEST_FLAG_SET(death_test_style, "fast");
    ScriptedOffice office("wait");
    EXPECT_EXIT(
        {
            OfficeProcess process({office.program(), true, {}});
            process.start();
            office.waitForHelper();
            TerminationSignals interruptions(process, [](int) {});
            ::raise(SIGTERM);
            ::raise(SIGTERM);
        },
        ::testing::ExitedWithCode(128 + SIGTERM), "");
    const pid_t helper = office.waitForHelper();
    ASSERT_GT(helper, 0);
    for (int i = 0; i < 100 && ScriptedOffice::alive(helper); ++i) QThread::msleep(20);
    EXPECT_FALSE(ScriptedOffice::alive(helper)) << "the office of the ended program is left running";
}
