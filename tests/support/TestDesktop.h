#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <optional>

namespace fk::test {

// An X display of the test's own (Xvfb), with a window manager (openbox) on it, as a user's desktop
// has: windows are framed, focused and closed through it. Both are stopped by their process ids.
class TestDesktop {
public:
    explicit TestDesktop(bool withWindowManager = true);
    ~TestDesktop();
    TestDesktop(const TestDesktop&) = delete;
    TestDesktop& operator=(const TestDesktop&) = delete;

    bool isUp() const { return !display_.isEmpty(); }
    QString display() const { return display_; }  // ":N"
    // The display server dies, as at a logout or a crash.
    void killServer();

    // Runs an X client tool (xdotool, wmctrl) on this display; its standard output, trimmed, or
    // nothing when it failed.
    std::optional<QByteArray> run(const QString& tool, const QStringList& arguments,
                                  int timeoutMs = 30000) const;
    // The first visible window of the process, once it is mapped; 0 when none came in time.
    qulonglong windowOf(pid_t pid, int timeoutMs = 60000) const;
    // Closes the window as its title bar's close button does: through the window manager.
    bool closeWindow(qulonglong window) const;
    // A click at a point of the window's client area.
    bool click(qulonglong window, int x, int y) const;

private:
    QProcess server_;
    QProcess windowManager_;
    QString display_;
};

// The office a started window program runs: the wrapper the program started, the office proper
// below it, and the pipe it listens on; found once the office listens there.
struct ProgramOffice {
    pid_t wrapper = -1;
    pid_t office = -1;
    QByteArray pipe;
};
std::optional<ProgramOffice> OfficeOnceListening(pid_t programId, int timeoutMs = 120000);

// Where the office keeps the socket of its pipe while it lives.
QString OfficePipeSocket(const QByteArray& pipe);

}  // namespace fk::test
