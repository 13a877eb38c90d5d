#include "split/LibreOfficeBridge.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include "base/Failure.h"
#include "fsutil/ProgramFolder.h"

namespace fk {

namespace {
constexpr int kConnectPollMs = 100;
}

LibreOfficeBridge::LibreOfficeBridge(OfficeOptions options, QString pluginPath)
    : process_(std::move(options)), plugin_(pluginPath) {}

LibreOfficeBridge::~LibreOfficeBridge() {
    // The session's references must go before the library that holds their code.
    session_.reset();
}

QString LibreOfficeBridge::defaultPluginPath() {
    return ProgramFolder() + QStringLiteral("/libfolioknife-uno.so");
}

void LibreOfficeBridge::loadPlugin() {
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

void LibreOfficeBridge::startAndConnect() {
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
    throw Failure(FailureKind::OfficeUnreachable,
                  Failure::officeUnreachable().message() + QStringLiteral(" (the office did not answer in time)"));
}

office::Ref LibreOfficeBridge::createServiceManager() {
    loadPlugin();
    if (!isAlive()) startAndConnect();
    return session_->createServiceManager();
}

UnoSession& LibreOfficeBridge::session() {
    if (!session_) throw Failure::officeGone();
    return *session_;
}

office::Ref LibreOfficeBridge::createInstance(const office::Ref& serviceManager, const QString& serviceName) {
    return session().createInstance(serviceManager, serviceName);
}
office::PropertyValue LibreOfficeBridge::Bridge_GetStruct(const office::Ref& serviceManager,
                                                          const QString& typeName) {
    return session().Bridge_GetStruct(serviceManager, typeName);
}
office::Ref LibreOfficeBridge::loadComponentFromURL(const office::Ref& desktop, const QString& url,
                                                    const QString& targetFrame, int searchFlags,
                                                    const office::Arguments& arguments) {
    return session().loadComponentFromURL(desktop, url, targetFrame, searchFlags, arguments);
}
office::Ref LibreOfficeBridge::getCurrentController(const office::Ref& document) {
    return session().getCurrentController(document);
}
office::Ref LibreOfficeBridge::getViewCursor(const office::Ref& controller) {
    return session().getViewCursor(controller);
}
office::Ref LibreOfficeBridge::getFrame(const office::Ref& controller) {
    return session().getFrame(controller);
}
bool LibreOfficeBridge::jumpToLastPage(const office::Ref& viewCursor) {
    return session().jumpToLastPage(viewCursor);
}
bool LibreOfficeBridge::jumpToFirstPage(const office::Ref& viewCursor) {
    return session().jumpToFirstPage(viewCursor);
}
bool LibreOfficeBridge::jumpToPage(const office::Ref& viewCursor, int page) {
    return session().jumpToPage(viewCursor, page);
}
int LibreOfficeBridge::getPage(const office::Ref& viewCursor) {
    return session().getPage(viewCursor);
}
bool LibreOfficeBridge::isCollapsed(const office::Ref& viewCursor) {
    return session().isCollapsed(viewCursor);
}
bool LibreOfficeBridge::isInTable(const office::Ref& viewCursor) {
    return session().isInTable(viewCursor);
}
void LibreOfficeBridge::executeDispatch(const office::Ref& dispatcher, const office::Ref& frame,
                                        const QString& command, const QString& targetFrame, int searchFlags,
                                        const office::Arguments& arguments) {
    session().executeDispatch(dispatcher, frame, command, targetFrame, searchFlags, arguments);
}
void LibreOfficeBridge::Close(const office::Ref& document, bool deliverOwnership) {
    session().Close(document, deliverOwnership);
}
bool LibreOfficeBridge::jumpToStartOfPage(const office::Ref& viewCursor) {
    return session().jumpToStartOfPage(viewCursor);
}
QString LibreOfficeBridge::getPropertyValue(const office::Ref& object, const QString& name) {
    return session().getPropertyValue(object, name);
}
void LibreOfficeBridge::storeToURL(const office::Ref& document, const QString& url,
                                   const office::Arguments& arguments) {
    session().storeToURL(document, url, arguments);
}
std::optional<QStringList> LibreOfficeBridge::runBasic(const office::BasicModule& module,
                                                       const QString& function, const office::Ref& object,
                                                       const QString& text) {
    return session().runBasic(module, function, object, text);
}
bool LibreOfficeBridge::isAlive() {
    if (!session_ || !session_->isAlive()) return false;
    // The bridge learns of a killed office only when a call fails; the process table knows at once.
    const OfficeProcess::State state = process_.state();
    return state == OfficeProcess::State::Running || state == OfficeProcess::State::HandedOver;
}

}  // namespace fk
