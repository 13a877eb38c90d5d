#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QList>
#include <functional>

namespace fk::test {

// Processes as /proc shows them. A zombie counts as ended: it runs nothing and holds nothing.
bool IsRunning(pid_t pid);
QList<pid_t> ChildProcesses(pid_t parent);
QList<pid_t> ProcessGroupMembers(pid_t group);
// The command line, its arguments separated by NUL bytes.
QByteArray CommandLine(pid_t pid);
// Whether some process listens on a local socket whose name holds `name`.
bool SocketListening(const QByteArray& name);

// Polls until the condition holds or the time is up; the last answer.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs);

}  // namespace fk::test
