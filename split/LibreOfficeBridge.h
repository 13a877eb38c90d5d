#pragma once

#include <QLibrary>
#include <memory>

#include "split/OfficeProcess.h"
#include "split/UnoSession.h"

namespace fk {

// The office bridge of the running program: loads the UNO plugin on first use (so the program runs,
// and can say so, where no office is installed), starts an office when none is listening, and
// starts a new one when the last has died.
class LibreOfficeBridge : public office::OfficeBridge {
public:
    static constexpr int kReadinessDeadlineMs = 60000;

    explicit LibreOfficeBridge(OfficeOptions options, QString pluginPath = defaultPluginPath());
    ~LibreOfficeBridge() override;

    static QString defaultPluginPath();
    // The office this bridge started, for stopping it by process id.
    OfficeProcess& process() { return process_; }

    office::Ref createServiceManager() override;
    office::Ref createInstance(const office::Ref& serviceManager, const QString& serviceName) override;
    office::PropertyValue Bridge_GetStruct(const office::Ref& serviceManager,
                                           const QString& typeName) override;
    office::Ref loadComponentFromURL(const office::Ref& desktop, const QString& url,
                                     const QString& targetFrame, int searchFlags,
                                     const office::Arguments& arguments) override;
    office::Ref getCurrentController(const office::Ref& document) override;
    office::Ref getViewCursor(const office::Ref& controller) override;
    office::Ref getFrame(const office::Ref& controller) override;
    bool jumpToLastPage(const office::Ref& viewCursor) override;
    bool jumpToFirstPage(const office::Ref& viewCursor) override;
    bool jumpToPage(const office::Ref& viewCursor, int page) override;
    int getPage(const office::Ref& viewCursor) override;
    bool isCollapsed(const office::Ref& viewCursor) override;
    bool isInTable(const office::Ref& viewCursor) override;
    void executeDispatch(const office::Ref& dispatcher, const office::Ref& frame, const QString& command,
                         const QString& targetFrame, int searchFlags,
                         const office::Arguments& arguments) override;
    void Close(const office::Ref& document, bool deliverOwnership) override;
    bool jumpToStartOfPage(const office::Ref& viewCursor) override;
    QString getPropertyValue(const office::Ref& object, const QString& name) override;
    void storeToURL(const office::Ref& document, const QString& url,
                    const office::Arguments& arguments) override;
    std::optional<QStringList> runBasic(const office::BasicModule& module, const QString& function,
                                        const office::Ref& object, const QString& text) override;
    bool isAlive() override;

private:
    UnoSession& session();
    void loadPlugin();
    void startAndConnect();

    OfficeProcess process_;
    QLibrary plugin_;
    std::unique_ptr<UnoSession> session_;
};

}  // namespace fk
