#include <gtest/gtest.h>
#include <signal.h>

#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include "app/StopOwnOffice.h"

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
    static bool alive(pid_t pid) { return ::kill(pid, 0) == 0; }

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
