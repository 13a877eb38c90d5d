#include "split/LibreOfficeSession.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include "base/Failure.h"
#include "fsutil/ProgramFolder.h"

namespace fk {

namespace {
constexpr int kConnectPollMs = 100;
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
    session_->reach();
}

UnoSession& LibreOfficeSession::session() {
    if (!session_) throw Failure::officeGone();
    return *session_;
}

office::DocumentRef LibreOfficeSession::load(const QString& url, const office::LoadOptions& options) {
    return session().load(url, options);
}
void LibreOfficeSession::completeLayout(const office::DocumentRef& document) {
    session().completeLayout(document);
}

office::DocumentRef LibreOfficeSession::createTextDocument(bool hidden) {
    return session().createTextDocument(hidden);
}
void LibreOfficeSession::close(const office::DocumentRef& document) {
    session().close(document);
}
int LibreOfficeSession::countPages(const office::DocumentRef& document) {
    return session().countPages(document);
}
int LibreOfficeSession::countRenderedPages(const office::DocumentRef& document) {
    return session().countRenderedPages(document);
}
bool LibreOfficeSession::jumpToPage(const office::DocumentRef& document, int page) {
    return session().jumpToPage(document, page);
}
bool LibreOfficeSession::jumpToFirstPage(const office::DocumentRef& document) {
    return session().jumpToFirstPage(document);
}
bool LibreOfficeSession::jumpToLastPage(const office::DocumentRef& document) {
    return session().jumpToLastPage(document);
}
bool LibreOfficeSession::jumpToStartOfPage(const office::DocumentRef& document) {
    return session().jumpToStartOfPage(document);
}
int LibreOfficeSession::currentPage(const office::DocumentRef& document) {
    return session().currentPage(document);
}
bool LibreOfficeSession::isCursorCollapsed(const office::DocumentRef& document) {
    return session().isCursorCollapsed(document);
}
bool LibreOfficeSession::isCursorInTable(const office::DocumentRef& document) {
    return session().isCursorInTable(document);
}
QString LibreOfficeSession::pageStyleAtCursor(const office::DocumentRef& document) {
    return session().pageStyleAtCursor(document);
}
void LibreOfficeSession::dispatch(const office::DocumentRef& document, const QString& command,
                                  const office::Arguments& arguments) {
    session().dispatch(document, command, arguments);
}
void LibreOfficeSession::storeToUrl(const office::DocumentRef& document, const QString& url,
                                    const office::Arguments& arguments) {
    session().storeToUrl(document, url, arguments);
}
std::optional<QStringList> LibreOfficeSession::runBasic(const office::BasicModule& module,
                                                        const QString& function,
                                                        const office::DocumentRef& document,
                                                        const QString& text) {
    return session().runBasic(module, function, document, text);
}
bool LibreOfficeSession::isAlive() {
    if (!session_ || !session_->isAlive()) return false;
    // The connection learns of a killed office only when a call fails; the process table knows at once.
    const OfficeProcess::State state = process_.state();
    return state == OfficeProcess::State::Running || state == OfficeProcess::State::HandedOver;
}

}  // namespace fk
