#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <cstring>
#include <functional>
#include <vector>

#include "ProcessTable.h"
#include "base/Failure.h"
#include "split/LibreOfficeSession.h"
#include "split/OfficeCallFailure.h"
#include "split/OfficeProcess.h"

using namespace fk;

namespace {

// A stand-in for soffice: a shell script whose behaviour the test writes.
class FakeSoffice {
public:
    explicit FakeSoffice(const QString& body) {
        path = dir.filePath("soffice");
        QFile script(path);
        script.open(QIODevice::WriteOnly);
        script.write(("#!/bin/sh\necho \"$@\" >> '" + dir.filePath("starts") + "'\n" + body + "\n").toUtf8());
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    QStringList starts() const {
        QFile log(dir.filePath("starts"));
        log.open(QIODevice::ReadOnly);
        return QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    OfficeOptions options(bool headless = true) const { return {path, headless, dir.filePath("my profile")}; }

    QTemporaryDir dir;
    QString path;
};

OfficeProcess::State settle(OfficeProcess& process) {
    for (int i = 0; i < 100 && process.state() == OfficeProcess::State::Running; ++i) QThread::msleep(20);
    return process.state();
}

}  // namespace

TEST(OfficeProcess, StartsWithAPrivatePipeAndTheUsualFlags) {
    FakeSoffice soffice("exit 0");
    OfficeProcess process(soffice.options());
    process.start();
    const QString firstPipe = process.pipeName();
    EXPECT_TRUE(QRegularExpression("^folioknife-[0-9a-f]{32}$").match(firstPipe).hasMatch());
    EXPECT_EQ(settle(process), OfficeProcess::State::HandedOver);
    const QString arguments = soffice.starts().value(0);
    EXPECT_TRUE(arguments.contains("--accept=pipe,name=" + firstPipe + ";urp;StarOffice.ComponentContext"));
    EXPECT_FALSE(arguments.contains("socket"));
    EXPECT_TRUE(arguments.contains("--headless"));
    EXPECT_TRUE(arguments.contains("--norestore"));
    EXPECT_TRUE(arguments.contains("-env:UserInstallation=file://"));
    EXPECT_TRUE(arguments.contains("my%20profile"));
    process.start();
    EXPECT_NE(process.pipeName(), firstPipe);
    settle(process);
}

TEST(OfficeProcess, NamesTheSocketOfItsProfileAsTheOfficeDoes) {
    // Names an office made here; the second hash has bytes below 16, written with one digit.
    const struct {
        const char* profile;
        const char* hash;
    } cases[] = {
        {"/tmp/perf/prof", "5fc29699bc93608610dc53469a3b7523"},
        {"/root/.cache/folioknife/offices/1", "7bd4a6fa88b15c41d268b7b65e1f2ba6"},
        {"/tmp/profile-2", "9e994f3ccedc92381f3a2d6d397ed7"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OfficeProcess::instanceSocketPath(QString::fromUtf8(c.profile)),
                  QStringLiteral("/tmp/OSL_PIPE_%1_SingleOfficeIPC_%2").arg(::getuid()).arg(c.hash))
            << c.profile;
}

TEST(OfficeProcess, StoppedForGoodAfterItEndedByItselfItsProfilesDeadSocketGoesAndALiveOneStays) {
    for (const bool listening : {false, true}) {
        FakeSoffice crashed("exit 3");
        const QByteArray socketPath =
            QFile::encodeName(OfficeProcess::instanceSocketPath(crashed.options().profileFolder));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        ASSERT_LT(static_cast<size_t>(socketPath.size()), sizeof(address.sun_path));
        std::memcpy(address.sun_path, socketPath.constData(), static_cast<size_t>(socketPath.size()));
        const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ASSERT_EQ(::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
        if (listening)
            ::listen(socket, 1);
        else
            ::close(socket);  // as an office that died leaves it

        OfficeProcess process(crashed.options());
        process.start();
        ASSERT_EQ(settle(process), OfficeProcess::State::Failed);
        process.stopForGood();

        EXPECT_EQ(QFile::exists(QFile::decodeName(socketPath)), listening) << "listening: " << listening;
        if (listening) ::close(socket);
        ::unlink(socketPath.constData());
    }
}

TEST(OfficeProcess, VisibleOfficeForUsersHasNoHeadlessFlag) {
    FakeSoffice soffice("exit 0");
    OfficeProcess process(soffice.options(false));
    EXPECT_FALSE(process.arguments().join(' ').contains("headless"));
}

TEST(OfficeProcess, ExitCodesTellRestartFromFailure) {
    FakeSoffice restart("exit 81");
    OfficeProcess first(restart.options());
    first.start();
    EXPECT_EQ(settle(first), OfficeProcess::State::RestartRequested);

    FakeSoffice broken("exit 3");
    OfficeProcess second(broken.options());
    second.start();
    EXPECT_EQ(settle(second), OfficeProcess::State::Failed);
}

TEST(OfficeProcess, StopEndsTheWholeProcessGroup) {
    FakeSoffice soffice("sleep 300 &\necho $! > \"$(dirname \"$0\")/child\"\nwait");
    OfficeProcess process(soffice.options());
    process.start();
    QString childFile = soffice.dir.filePath("child");
    for (int i = 0; i < 100 && !QFile::exists(childFile); ++i) QThread::msleep(20);
    QFile child(childFile);
    ASSERT_TRUE(child.open(QIODevice::ReadOnly));
    const pid_t childPid = QString::fromUtf8(child.readAll()).trimmed().toInt();
    ASSERT_GT(childPid, 0);
    process.stop();
    EXPECT_FALSE(fk::test::IsRunning(childPid));
    EXPECT_EQ(process.pid(), -1);
}

TEST(OfficeProcess, StopWaitsForTheOfficeProperToFinishButNotForItsHelpers) {
    // The wrapper leaves an office proper that takes a moment to heed SIGTERM, and a helper that never does.
    FakeSoffice soffice(
        "\"$(dirname \"$0\")/soffice.bin\" &\n"
        "(trap '' TERM; sleep 300) &\necho $! > \"$(dirname \"$0\")/helper\"\nwait");
    QFile office(soffice.dir.filePath("soffice.bin"));
    ASSERT_TRUE(office.open(QIODevice::WriteOnly));
    office.write(
        "#!/bin/sh\ntrap 'sleep 0.5; echo > \"$(dirname \"$0\")/finished\"; exit 0' TERM\n"
        "echo > \"$(dirname \"$0\")/started\"\nwhile :; do sleep 0.1; done\n");
    office.close();
    office.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    OfficeProcess process(soffice.options());
    process.start();
    const QString helperFile = soffice.dir.filePath("helper");
    for (int i = 0;
         i < 250 && !(QFile(helperFile).size() > 0 && QFile::exists(soffice.dir.filePath("started"))); ++i)
        QThread::msleep(20);
    QFile helper(helperFile);
    ASSERT_TRUE(helper.open(QIODevice::ReadOnly));
    const pid_t helperPid = QString::fromUtf8(helper.readAll()).trimmed().toInt();
    ASSERT_GT(helperPid, 0);
    process.stop();
    EXPECT_TRUE(QFile::exists(soffice.dir.filePath("finished"))) << "the office proper was killed unfinished";
    EXPECT_FALSE(fk::test::IsRunning(helperPid)) << "the helper outlived the stop";
}

TEST(OfficeProcess, AnOfficeAlwaysStartsInAUtf8CharacterLocale) {
    using Environment = std::vector<QByteArray>;
    const Environment utf8{"LANG=de_DE.UTF-8", "PATH=/bin"};
    EXPECT_EQ(WithUtf8CharacterLocale(utf8), utf8);
    const Environment utf8Characters{"LC_CTYPE=C.utf8", "LANG=C"};
    EXPECT_EQ(WithUtf8CharacterLocale(utf8Characters), utf8Characters);
    const Environment emptyAll{"LC_ALL=", "LANG=en_GB.UTF-8"};
    EXPECT_EQ(WithUtf8CharacterLocale(emptyAll), emptyAll) << "an empty variable counts as unset";
    EXPECT_EQ(WithUtf8CharacterLocale({"PATH=/bin"}), (Environment{"PATH=/bin", "LC_CTYPE=C.UTF-8"}));
    EXPECT_EQ(WithUtf8CharacterLocale({"LANG=de_DE", "LC_CTYPE=POSIX", "LC_TIME=de_DE"}),
              (Environment{"LANG=de_DE", "LC_TIME=de_DE", "LC_CTYPE=C.UTF-8"}));
    EXPECT_EQ(WithUtf8CharacterLocale({"LC_ALL=C", "LC_MESSAGES=fr_FR.UTF-8", "LANG=de_DE.UTF-8"}),
              (Environment{"LANG=C", "LC_CTYPE=C.UTF-8"}))
        << "LC_ALL=C ruled every category; now LANG=C does, but for characters";

    // What the office started from "LC_ALL=C, no LANG" sees.
    const QByteArray allBefore = qgetenv("LC_ALL"), langBefore = qgetenv("LANG");
    qputenv("LC_ALL", "C");
    qunsetenv("LANG");
    FakeSoffice soffice("env > \"$(dirname \"$0\")/environment\"");
    OfficeProcess process(soffice.options());
    process.start();
    settle(process);
    langBefore.isNull() ? qunsetenv("LANG") : qputenv("LANG", langBefore);
    allBefore.isNull() ? qunsetenv("LC_ALL") : qputenv("LC_ALL", allBefore);
    QFile environment(soffice.dir.filePath("environment"));
    ASSERT_TRUE(environment.open(QIODevice::ReadOnly));
    const QList<QByteArray> seen = environment.readAll().split('\n');
    EXPECT_TRUE(seen.contains("LC_CTYPE=C.UTF-8"));
    EXPECT_TRUE(seen.contains("LANG=C"));
    EXPECT_FALSE(seen.contains("LC_ALL=C"));
}

// An installation's program folder: the office's launcher script, oosplash (which writes what it was
// started with) and the office proper; `extra` adds a file (a linked build's ooenv, a user's wrapper)
// or replaces the script.
QString FakeInstallation(const QTemporaryDir& dir, const QString& extra = {}) {
    const auto write = [&dir](const QString& name, const QByteArray& text) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(text);
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    };
    const QByteArray script =
        "#!/bin/sh\nSAL_ENABLE_FILE_LOCKING=1\nexport SAL_ENABLE_FILE_LOCKING\nsd_prog=$(dirname \"$0\")\n"
        "exec $RRCHECK \"$sd_prog/oosplash\" \"$@\"\n";
    write("soffice", script);
    write("oosplash", "#!/bin/sh\n{ echo \"$@\"; env; } > \"$(dirname \"$0\")/started\"\n");
    write("soffice.bin", "");
    // "soffice" again: a script of another kind in its place.
    if (!extra.isEmpty()) write(extra, extra == "soffice" ? "#!/bin/sh\nexec ./other \"$@\"\n" : script);
    return dir.filePath("soffice");
}

TEST(OfficeProcess, TheOfficesOwnLauncherScriptIsPassedOverForOosplash) {
    const struct {
        const char* extra;  // beside the installation
        const char* started;
        bool passedOver;
    } cases[] = {{"", "soffice", true},
                 {"ooenv", "soffice", false},
                 {"my-office", "my-office", false},
                 {"soffice", "soffice", false}};
    for (const auto& c : cases) {
        QTemporaryDir dir;
        FakeInstallation(dir, QString::fromLatin1(c.extra));
        const OfficeLaunch launch = LaunchOf(dir.filePath(QString::fromLatin1(c.started)));
        EXPECT_EQ(launch.program, dir.filePath(c.passedOver ? "oosplash" : c.started)) << c.extra;
        EXPECT_EQ(launch.environment.size(), c.passedOver ? 1u : 0u) << c.extra;
    }

    // Started, oosplash has the office's arguments and the script's setting over the caller's.
    QTemporaryDir dir;
    const QByteArray lockingBefore = qgetenv("SAL_ENABLE_FILE_LOCKING");
    qputenv("SAL_ENABLE_FILE_LOCKING", "0");
    OfficeProcess process({FakeInstallation(dir), true, dir.filePath("profile")});
    process.start();
    settle(process);
    lockingBefore.isNull() ? qunsetenv("SAL_ENABLE_FILE_LOCKING")
                           : qputenv("SAL_ENABLE_FILE_LOCKING", lockingBefore);
    QFile started(dir.filePath("started"));
    ASSERT_TRUE(started.open(QIODevice::ReadOnly));
    const QList<QByteArray> seen = started.readAll().split('\n');
    EXPECT_TRUE(seen.value(0).contains("--accept=pipe,name=" + process.pipeName().toUtf8()));
    EXPECT_TRUE(seen.contains("SAL_ENABLE_FILE_LOCKING=1"));
    EXPECT_FALSE(seen.contains("SAL_ENABLE_FILE_LOCKING=0"));
}

TEST(LibreOfficeSession, NoOfficeProgramCannotBeReached) {
    LibreOfficeSession session({QStringLiteral("/nonexistent/office/soffice"), true, {}});
    EXPECT_THROW(session.reach(), Failure);
    EXPECT_FALSE(session.isAlive());
}

TEST(LibreOfficeSession, RolesOfAnOfficeNeverReachedFailAsAnOfficeGone) {
    LibreOfficeSession session({QStringLiteral("/nonexistent/office/soffice"), true, {}});
    EXPECT_THROW(session.reach(), Failure);
    for (const auto& role :
         std::vector<std::function<void()>>{[&] { session.documents(); }, [&] { session.cursor(); }}) {
        try {
            role();
            ADD_FAILURE() << "a role of no office";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.kind(), FailureKind::OfficeGone);
        }
    }
}

TEST(OfficeCallFailure, ALostConnectionIsAnOfficeGoneAndTheRestTheOfficesRefusal) {
    struct Case {
        QString message;
        bool connectionLost;
        FailureKind kind;
        QString text;
    };
    const QList<Case> cases{
        {"no such filter", false, FailureKind::OfficeRefused, "no such filter"},
        {"", false, FailureKind::OfficeRefused, "the office refused the call"},
        {"no such filter", true, FailureKind::OfficeGone, Failure::officeGone().message()},
        {"Binary URP bridge disposed during call", false, FailureKind::OfficeGone,
         Failure::officeGone().message()},
        {"Binary URP bridge already disposed", false, FailureKind::OfficeGone,
         Failure::officeGone().message()},
        // A document closed meanwhile is no lost office.
        {"object disposed", false, FailureKind::OfficeRefused, "object disposed"},
    };
    for (const Case& c : cases) {
        const Failure failure = OfficeCallFailure(c.message, c.connectionLost);
        EXPECT_EQ(failure.kind(), c.kind) << c.message.toStdString();
        EXPECT_EQ(failure.message(), c.text) << c.message.toStdString();
    }
}

TEST(LibreOfficeSession, MissingPluginMeansNoOfficeIsStarted) {
    FakeSoffice soffice("exit 0");
    LibreOfficeSession session(soffice.options(), QStringLiteral("/nonexistent/libfolioknife-uno.so"));
    EXPECT_THROW(session.reach(), Failure);
    EXPECT_TRUE(soffice.starts().isEmpty());
}

TEST(LibreOfficeSession, RestartsOnceOnExitCode81ThenGivesUpOnFailure) {
    FakeSoffice soffice(
        "if [ -e \"$(dirname \"$0\")/once\" ]; then exit 3; fi\ntouch \"$(dirname \"$0\")/once\"\nexit 81");
    LibreOfficeSession session(soffice.options());
    EXPECT_THROW(session.reach(), Failure);
    EXPECT_EQ(soffice.starts().size(), 2);
}
