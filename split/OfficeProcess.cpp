#include "split/OfficeProcess.h"

#include "split/OfficeConnection.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>
#include <vector>

#include "base/Failure.h"

extern char** environ;

namespace fk {

namespace {

constexpr int kStopGraceMs = 5000;

// Removes the socket at `path` when nothing answers on it: a stopped office's, not a running one's.
void RemoveDeadSocket(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un address{};
    if (native.size() >= static_cast<qsizetype>(sizeof(address.sun_path))) return;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, native.constData(), static_cast<size_t>(native.size()));
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0) return;
    const bool refused =
        ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 &&
        errno == ECONNREFUSED;
    ::close(probe);
    if (refused) ::unlink(native.constData());
}

QString ProfileUrl(const QString& profileFolder) {
    return QUrl::fromLocalFile(QFileInfo(profileFolder).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

QByteArray variable(const std::vector<QByteArray>& environment, const QByteArray& name) {
    for (const QByteArray& entry : environment) {
        if (entry.startsWith(name + '=')) return entry.mid(name.size() + 1);
    }
    return {};
}

}  // namespace

OfficeLaunch LaunchOf(const QString& soffice) {
    const QFileInfo script(QFileInfo(soffice).canonicalFilePath());
    const QDir program = script.absoluteDir();
    const QFileInfo splash(program.filePath(QStringLiteral("oosplash")));
    if (script.fileName() != QLatin1String("soffice") || !splash.isExecutable() ||
        !program.exists(QStringLiteral("soffice.bin")) || program.exists(QStringLiteral("ooenv")) ||
        qEnvironmentVariableIsSet("VALGRIND") || qEnvironmentVariableIsSet("RR"))
        return {soffice, {}};
    QFile file(script.filePath());
    if (!file.open(QIODevice::ReadOnly)) return {soffice, {}};
    constexpr qint64 kScriptBytes = 64 * 1024;  // the office's is 7 KB
    const QByteArray text = file.read(kScriptBytes);
    if (!text.startsWith("#!") || !text.contains("\"$sd_prog/oosplash\" \"$@\"") ||
        !text.contains("\nSAL_ENABLE_FILE_LOCKING=1\n"))
        return {soffice, {}};
    return {splash.filePath(), {"SAL_ENABLE_FILE_LOCKING=1"}};
}

std::vector<QByteArray> WithUtf8CharacterLocale(std::vector<QByteArray> environment) {
    const QByteArray all = variable(environment, "LC_ALL");
    QByteArray locale = all;
    if (locale.isEmpty()) locale = variable(environment, "LC_CTYPE");
    if (locale.isEmpty()) locale = variable(environment, "LANG");
    const QByteArray lower = locale.toLower();
    if (lower.contains("utf-8") || lower.contains("utf8")) return environment;
    // LC_ALL would override LC_CTYPE, and every LC_ variable yields to it: LANG takes its place.
    std::erase_if(environment, [&](const QByteArray& entry) {
        return entry.startsWith("LC_CTYPE=") ||
               (!all.isEmpty() && (entry.startsWith("LC_") || entry.startsWith("LANG=")));
    });
    if (!all.isEmpty()) environment.push_back("LANG=" + all);
    environment.push_back("LC_CTYPE=C.UTF-8");
    return environment;
}

OfficeOptions OfficeOptions::fromEnvironment() {
    OfficeOptions options;
    options.soffice = qEnvironmentVariable("FOLIOKNIFE_SOFFICE");
    if (options.soffice.isEmpty())
        options.soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (options.soffice.isEmpty()) options.soffice = QStringLiteral("/usr/lib/libreoffice/program/soffice");
    options.headless = qEnvironmentVariable("FOLIOKNIFE_OFFICE_HEADLESS") == QLatin1String("1");
    options.profileFolder = qEnvironmentVariable("FOLIOKNIFE_OFFICE_PROFILE");
    return options;
}

QString OfficeOptions::programFolder() const {
    const QFileInfo program(soffice);
    const QString resolved = program.canonicalFilePath();
    return QFileInfo(resolved.isEmpty() ? soffice : resolved).absolutePath();
}

OfficeProcess::OfficeProcess(OfficeOptions options) : options_(std::move(options)) {}

OfficeProcess::~OfficeProcess() {
    // Reap a child that already ended; a running office is left to the user unless stop() was called.
    if (pid_ > 0) ::waitpid(pid_, nullptr, WNOHANG);
}

QString OfficeProcess::newPipeName() {
    QString name = kPipeNamePrefix;
    for (int i = 0; i < 4; ++i)
        name +=
            QString::number(QRandomGenerator::system()->generate(), 16).rightJustified(8, QLatin1Char('0'));
    return name;
}

QStringList OfficeProcess::arguments() const {
    QStringList arguments{
        OfficeConnection{pipeName_}.acceptArgument(),
        QStringLiteral("--norestore"),
        QStringLiteral("--nologo"),
        QStringLiteral("--nodefault"),
        QStringLiteral("--nolockcheck"),
    };
    if (options_.headless) arguments << QStringLiteral("--headless") << QStringLiteral("--invisible");
    if (!options_.profileFolder.isEmpty()) arguments << profileArgument(options_.profileFolder);
    return arguments;
}

QString OfficeProcess::profileArgument(const QString& profileFolder) {
    return QStringLiteral("-env:UserInstallation=") + ProfileUrl(profileFolder);
}

QString OfficeProcess::instanceSocketPath(const QString& profileFolder) {
    // As the office names it: the MD5 of the profile's URL in UTF-16, each byte in hexadecimal without
    // its leading zero, in the system's folder for such sockets.
    const QString url = ProfileUrl(profileFolder);
    const QByteArray text(reinterpret_cast<const char*>(url.utf16()), url.size() * 2);
    QString hash;
    for (const char byte : QCryptographicHash::hash(text, QCryptographicHash::Md5))
        hash += QString::number(static_cast<uchar>(byte), 16);
    return QStringLiteral("/tmp/OSL_PIPE_%1_SingleOfficeIPC_%2").arg(::getuid()).arg(hash);
}

void OfficeProcess::start() {
    const std::lock_guard lock(lifecycle_);
    if (startsRefused_) throw Failure::officeGone();
    if (state() == State::Running) stopLocked();
    if (!QFileInfo(options_.soffice).isExecutable()) throw Failure::officeMissing();
    pipeName_ = newPipeName();

    const OfficeLaunch launch = LaunchOf(options_.soffice);
    std::vector<QByteArray> storage;
    storage.push_back(QFile::encodeName(launch.program));
    for (const QString& argument : arguments()) storage.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& item : storage) argv.push_back(item.data());
    argv.push_back(nullptr);

    // A process group of its own: soffice is a wrapper that starts the office proper as its child,
    // and stopping must reach both.
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    ::posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawn_file_actions_t files;
    ::posix_spawn_file_actions_init(&files);
    if (options_.quiet) {
        ::posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        ::posix_spawn_file_actions_addopen(&files, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    const auto setByLaunch = [&launch](const QByteArray& variable) {
        return std::any_of(launch.environment.cbegin(), launch.environment.cend(),
                           [&](const QByteArray& set) {
                               const qsizetype equals = set.indexOf('=');
                               return equals > 0 && variable.startsWith(set.left(equals + 1));
                           });
    };
    std::vector<QByteArray> environment = launch.environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const QByteArray entry(*variable);
        if ((options_.temporaryFolder.isEmpty() || !entry.startsWith("TMPDIR=")) && !setByLaunch(entry))
            environment.push_back(entry);
    }
    if (!options_.temporaryFolder.isEmpty()) {
        QDir().mkpath(options_.temporaryFolder);
        environment.push_back("TMPDIR=" + QFile::encodeName(options_.temporaryFolder));
    }
    environment = WithUtf8CharacterLocale(std::move(environment));
    std::vector<char*> envp;
    for (QByteArray& item : environment) envp.push_back(item.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    const int spawned =
        ::posix_spawn(&pid, storage.front().constData(), &files, &attributes, argv.data(), envp.data());
    ::posix_spawn_file_actions_destroy(&files);
    ::posix_spawnattr_destroy(&attributes);
    if (spawned != 0) {
        state_ = State::Failed;
        throw Failure::officeUnreachable();
    }
    pid_ = pid;
    groupId_ = pid;
    state_ = State::Running;
}

OfficeProcess::State OfficeProcess::state() {
    if (state_ != State::Running || pid_ <= 0) return state_;
    int status = 0;
    const pid_t result = ::waitpid(pid_, &status, WNOHANG);
    if (result == 0) return state_;
    if (result == pid_ && WIFEXITED(status)) {
        const int code = WEXITSTATUS(status);
        // 0: another office of this user took the request over and listens on our pipe.
        state_ = code == kRestartExitCode ? State::RestartRequested
                 : code == 0              ? State::HandedOver
                                          : State::Failed;
    } else {
        state_ = State::Failed;
    }
    pid_ = -1;
    return state_;
}

namespace {

// What of a process group still runs: any process, and the office proper among them. A process that
// has ended but is not yet reaped holds nothing and does not count; reaping an orphan is up to the
// system's first process, which may take its time.
struct GroupState {
    bool running = false;
    bool officeProper = false;
};

GroupState StateOfGroup(pid_t group) {
    GroupState state;
    if (::kill(-group, 0) != 0) return state;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isNumber = false;
        entry.toInt(&isNumber);
        if (!isNumber) continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly)) continue;
        const QByteArray line = stat.readAll();
        // pid (name) state ppid pgrp ...; the name may hold blanks and parentheses.
        const qsizetype open = line.indexOf('('), close = line.lastIndexOf(')');
        if (open < 0 || close < open) continue;
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        if (fields.size() < 3 || fields[0] == "Z" || fields[0] == "X" || fields[2].toInt() != group) continue;
        state.running = true;
        if (line.mid(open + 1, close - open - 1) == "soffice.bin") state.officeProper = true;
    }
    return state;
}

}  // namespace

void OfficeProcess::stop() {
    const std::lock_guard lock(lifecycle_);
    stopLocked();
}

void OfficeProcess::stopForGood() {
    startsRefused_ = true;
    const std::lock_guard lock(lifecycle_);
    // Only a running child is ours for sure: after a hand-over or an exit its process group id may
    // already name someone else's processes.
    if (state() == State::Running) {
        stopLocked();
    } else {
        // One that ended by itself (its display gone, say) left the socket of its profile.
        removeProfileSocketIfDead();
    }
}

void OfficeProcess::removeProfileSocketIfDead() {
    if (!options_.profileFolder.isEmpty()) RemoveDeadSocket(instanceSocketPath(options_.profileFolder));
}

void OfficeProcess::stopLocked() {
    if (groupId_ > 0) ::kill(-groupId_, SIGTERM);
    if (pid_ <= 0) {
        killGroupAfterGrace();
        return;
    }
    // Looked at every millisecond at first: the wrapper goes within a few of the signal, and the run
    // ends after it.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kStopGraceMs) {
        if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            break;
        }
        QThread::msleep(clock.elapsed() < 50 ? 1 : 10);
    }
    if (pid_ > 0) {
        ::kill(-groupId_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    killGroupAfterGrace();
    // An office that is stopped rather than closed leaves its temporary files; the folder is ours.
    if (!options_.temporaryFolder.isEmpty()) QDir(options_.temporaryFolder).removeRecursively();
    // And the socket of its profile, one more in /tmp for every profile a run made.
    removeProfileSocketIfDead();
}

void OfficeProcess::abandon() {
    const pid_t group = groupId_.load();
    if (group > 0) ::kill(-group, SIGKILL);
}

void OfficeProcess::killGroupAfterGrace() {
    // The office proper may outlive its wrapper for a moment, and is given it to finish its profile;
    // make sure nothing of the group stays. The helpers it started (the signing tools' queries) hold
    // nothing of ours and are not waited for, nor are processes that ended but wait to be reaped.
    if (groupId_ <= 0) return;
    // Each look reads the process table, about a millisecond.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kStopGraceMs && StateOfGroup(groupId_).officeProper) QThread::msleep(5);
    ::kill(-groupId_, SIGKILL);
    clock.restart();
    while (clock.elapsed() < kStopGraceMs && StateOfGroup(groupId_).running) QThread::msleep(2);
    groupId_ = -1;
    state_ = State::NotStarted;
}

}  // namespace fk
