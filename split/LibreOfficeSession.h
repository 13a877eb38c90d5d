#pragma once

#include <QLibrary>
#include <memory>

#include "split/OfficeProcess.h"
#include "split/UnoSession.h"

namespace fk {

// The office session of the running program: loads the UNO plugin on first use (so the program runs,
// and can say so, where no office is installed), starts an office when none is listening, and
// starts a new one when the last has died. Every call on documents goes to the plugin's session.
class LibreOfficeSession : public office::OfficeSession {
public:
    static constexpr int kReadinessDeadlineMs = 60000;

    explicit LibreOfficeSession(OfficeOptions options, QString pluginPath = defaultPluginPath());
    ~LibreOfficeSession() override;

    static QString defaultPluginPath();
    // The office this session started, for stopping it by process id.
    OfficeProcess& process() { return process_; }

    void reach() override;
    bool isAlive() override;
    office::DocumentRef load(const QString& url, const office::LoadOptions& options) override;
    office::DocumentRef createTextDocument(bool hidden) override;
    void completeLayout(const office::DocumentRef& document) override;
    void close(const office::DocumentRef& document) override;
    int countPages(const office::DocumentRef& document) override;
    int countRenderedPages(const office::DocumentRef& document) override;
    bool jumpToPage(const office::DocumentRef& document, int page) override;
    bool jumpToFirstPage(const office::DocumentRef& document) override;
    bool jumpToLastPage(const office::DocumentRef& document) override;
    bool jumpToStartOfPage(const office::DocumentRef& document) override;
    int currentPage(const office::DocumentRef& document) override;
    bool isCursorCollapsed(const office::DocumentRef& document) override;
    bool isCursorInTable(const office::DocumentRef& document) override;
    QString pageStyleAtCursor(const office::DocumentRef& document) override;
    void dispatch(const office::DocumentRef& document, const QString& command,
                  const office::Arguments& arguments) override;
    void storeToUrl(const office::DocumentRef& document, const QString& url,
                    const office::Arguments& arguments) override;
    std::optional<QStringList> runBasic(const office::BasicModule& module, const QString& function,
                                        const office::DocumentRef& document, const QString& text) override;

private:
    UnoSession& session();
    void loadPlugin();
    void startAndConnect();

    OfficeProcess process_;
    QLibrary plugin_;
    std::unique_ptr<UnoSession> session_;
};

}  // namespace fk
