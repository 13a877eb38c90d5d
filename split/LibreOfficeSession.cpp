#include "split/LibreOfficeSession.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include "base/Failure.h"
#include "fsutil/ProgramFolder.h"

namespace fk {

namespace {
// Short: the office's start is most of a short document's time, and the wait after it is all loss. A
// refused attempt costs far less than the wait.
constexpr int kConnectPollMs = 4;
}

LibreOfficeSession::LibreOfficeSession(OfficeOptions options, QString pluginPath)
    : process_(std::move(options)), plugin_(pluginPath) {}

LibreOfficeSession::~LibreOfficeSession() {
    // The session's references must go before the library that holds their code.
    session_.reset();
}

QString LibreOfficeSession::defaultPluginPath() {
    return ProgramFolder() + QStringLiteral("/libfolioknife-uno.so");
}

void LibreOfficeSession::loadPlugin() {
    if (session_) return;
    const QFileInfo program(process_.options().soffice);
    if (!program.isFile() || !program.isExecutable()) throw Failure::officeMissing();
    const auto create = reinterpret_cast<CreateUnoSessionFunction>(plugin_.resolve(kCreateUnoSessionSymbol));
    if (create == nullptr) {
        qWarning("folioknife: office plugin not loaded: %s", qPrintable(plugin_.errorString()));
        throw Failure::officeUnreachable();
    }
    session_.reset(create(process_.options().programFolder().toLocal8Bit().constData()));
    if (!session_) throw Failure::officeUnreachable();
}

void LibreOfficeSession::startAndConnect() {
    process_.start();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kReadinessDeadlineMs) {
        if (session_->connect(OfficeConnection{process_.pipeName()})) return;
        switch (process_.state()) {
            case OfficeProcess::State::RestartRequested:
                process_.start();
                break;
            case OfficeProcess::State::Failed:
                throw Failure::officeUnreachable();
            default:
                break;
        }
        QThread::msleep(kConnectPollMs);
    }
    process_.stop();
    throw Failure(FailureKind::OfficeUnreachable, Failure::officeUnreachable().message() +
                                                      QStringLiteral(" (the office did not answer in time)"));
}

void LibreOfficeSession::reach() {
    loadPlugin();
    if (!isAlive()) startAndConnect();
}

UnoSession& LibreOfficeSession::plugin() {
    // Not reached yet: no office has held a document of the caller's.
    if (!session_) throw Failure::officeGone();
    return *session_;
}

bool LibreOfficeSession::isAlive() {
    if (!session_ || !session_->isConnected()) return false;
    // The connection learns of a killed office only when a call fails; the process table knows at once.
    const OfficeProcess::State state = process_.state();
    return state == OfficeProcess::State::Running || state == OfficeProcess::State::HandedOver;
}

}  // namespace fk
