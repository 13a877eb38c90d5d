#include "ProcessTable.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

namespace fk::test {

namespace {

struct ProcessStatus {
    char state = 0;
    pid_t parent = -1;
    pid_t group = -1;
};

// /proc/PID/stat: "pid (name) state ppid pgrp ..."; the name may hold blanks and brackets.
bool ReadStatus(pid_t pid, ProcessStatus& status) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray line = file.readAll();
    const qsizetype nameEnd = line.lastIndexOf(')');
    if (nameEnd < 0) return false;
    const QList<QByteArray> fields = line.mid(nameEnd + 2).split(' ');
    if (fields.size() < 3 || fields[0].isEmpty()) return false;
    status.state = fields[0].at(0);
    status.parent = fields[1].toInt();
    status.group = fields[2].toInt();
    return true;
}

QList<pid_t> ProcessesWhere(const std::function<bool(const ProcessStatus&)>& wanted) {
    QList<pid_t> found;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isNumber = false;
        const pid_t pid = entry.toInt(&isNumber);
        ProcessStatus status;
        if (isNumber && ReadStatus(pid, status) && status.state != 'Z' && wanted(status)) found << pid;
    }
    return found;
}

}  // namespace

bool IsRunning(pid_t pid) {
    ProcessStatus status;
    return pid > 0 && ReadStatus(pid, status) && status.state != 'Z';
}

QList<pid_t> ChildProcesses(pid_t parent) {
    return ProcessesWhere([parent](const ProcessStatus& status) { return status.parent == parent; });
}

QList<pid_t> ProcessGroupMembers(pid_t group) {
    return ProcessesWhere([group](const ProcessStatus& status) { return status.group == group; });
}

QByteArray CommandLine(pid_t pid) {
    QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool SocketListening(const QByteArray& name) {
    QFile table(QStringLiteral("/proc/net/unix"));
    return table.open(QIODevice::ReadOnly) && table.readAll().contains(name);
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) return condition();
        QThread::msleep(50);
    }
    return true;
}

}  // namespace fk::test
