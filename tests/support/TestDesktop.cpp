#include "TestDesktop.h"

#include <unistd.h>

#include <QThread>

#include "ProcessTable.h"
#include "split/OfficeProcess.h"

namespace fk::test {

TestDesktop::TestDesktop(bool withWindowManager) {
    server_.start(QStringLiteral("Xvfb"),
                  {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                   QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                   QStringLiteral("1280x1024x24")});
    if (!server_.waitForReadyRead(30000)) return;
    const QString number = QString::fromLatin1(server_.readLine()).trimmed();
    if (number.isEmpty()) return;
    display_ = QLatin1Char(':') + number;
    if (!withWindowManager) return;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display_);
    windowManager_.setProcessEnvironment(environment);
    windowManager_.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    // The manager is up once it has claimed the screen.
    WaitUntil([&] { return run(QStringLiteral("wmctrl"), {QStringLiteral("-m")}).has_value(); }, 30000);
}

TestDesktop::~TestDesktop() {
    for (QProcess* process : {&windowManager_, &server_}) {
        if (process->state() == QProcess::NotRunning) continue;
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished();
        }
    }
}

void TestDesktop::killServer() {
    server_.kill();
    server_.waitForFinished();
}

std::optional<QByteArray> TestDesktop::run(const QString& tool, const QStringList& arguments,
                                           int timeoutMs) const {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display_);
    process.setProcessEnvironment(environment);
    process.start(tool, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) return std::nullopt;
    return process.readAllStandardOutput().trimmed();
}

qulonglong TestDesktop::windowOf(pid_t pid, int timeoutMs) const {
    qulonglong window = 0;
    WaitUntil(
        [&] {
            const std::optional<QByteArray> found =
                run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                QStringLiteral("--pid"), QString::number(pid)});
            if (!found || found->isEmpty()) return false;
            window = found->split('\n').first().toULongLong();
            return window != 0;
        },
        timeoutMs);
    return window;
}

bool TestDesktop::closeWindow(qulonglong window) const {
    return run(QStringLiteral("wmctrl"),
               {QStringLiteral("-i"), QStringLiteral("-c"), QString::number(window)})
        .has_value();
}

bool TestDesktop::click(qulonglong window, int x, int y) const {
    return run(QStringLiteral("xdotool"),
               {QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(window),
                QString::number(x), QString::number(y), QStringLiteral("click"), QStringLiteral("1")})
        .has_value();
}

std::optional<ProgramOffice> OfficeOnceListening(pid_t programId, int timeoutMs) {
    ProgramOffice found;
    const bool up = WaitUntil(
        [&] {
            const QList<pid_t> children = ChildProcesses(programId);
            if (children.isEmpty()) return false;
            found.wrapper = children.first();
            const QList<pid_t> grandchildren = ChildProcesses(found.wrapper);
            if (grandchildren.isEmpty()) return false;
            found.office = grandchildren.first();
            const QByteArray arguments = CommandLine(found.wrapper);
            const qsizetype name = arguments.indexOf(OfficeProcess::kPipeNamePrefix.toUtf8());
            if (name < 0) return false;
            found.pipe = arguments.mid(name, arguments.indexOf(';', name) - name);
            return SocketListening(found.pipe);
        },
        timeoutMs);
    if (!up) return std::nullopt;
    return found;
}

QString OfficePipeSocket(const QByteArray& pipe) {
    return QStringLiteral("/tmp/OSL_PIPE_%1_").arg(::getuid()) + QString::fromUtf8(pipe);
}

}  // namespace fk::test
