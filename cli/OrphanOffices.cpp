#include "cli/OrphanOffices.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "files/TemporaryName.h"
#include "split/OfficeProcess.h"

namespace fk::cli {

namespace {

constexpr int kDeathWaitMs = 5000;

bool ownedByThisUser(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && info.st_uid == ::getuid();
}

}  // namespace

QList<pid_t> ProcessTableOrphans::officesUsing(const QString& profileFolder) const {
    const QByteArray argument = OfficeProcess::profileArgument(profileFolder).toLocal8Bit();
    QList<pid_t> found;
    const QDir processes(processRoot_);
    for (const QString& entry : processes.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const pid_t pid = static_cast<pid_t>(entry.toInt(&numeric));
        if (!numeric || pid <= 0 || pid == ::getpid()) continue;
        if (!ownedByThisUser(processes.filePath(entry))) continue;
        QFile commandLine(processes.filePath(entry) + QStringLiteral("/cmdline"));
        if (!commandLine.open(QIODevice::ReadOnly)) continue;
        if (commandLine.readAll().split('\0').contains(argument)) found << pid;
    }
    return found;
}

bool ProcessTableOrphans::isRunning(pid_t pid) const {
    // A process that ended but was not yet collected by its parent no longer holds anything.
    QFile status(QStringLiteral("%1/%2/stat").arg(processRoot_).arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return false;
    const QByteArray line = status.readAll();
    const qsizetype afterName = line.lastIndexOf(')');
    return afterName >= 0 && line.size() > afterName + 2 && line.at(afterName + 2) != 'Z';
}

void ProcessTableOrphans::stopOfficesUsing(const QString& profileFolder) {
    // Nothing of ours runs on the folder yet, and its office has no use for what it holds: killed at
    // once. Its lock files are cleared as those of any killed office of ours.
    QList<pid_t> remaining = officesUsing(profileFolder);
    for (const pid_t pid : remaining) ::kill(pid, SIGKILL);
    for (int waited = 0; !remaining.isEmpty() && waited < kDeathWaitMs; waited += 20) {
        remaining.removeIf([this](pid_t pid) { return !isRunning(pid); });
        if (!remaining.isEmpty()) QThread::msleep(20);
    }
}

}  // namespace fk::cli
