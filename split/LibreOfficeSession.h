#pragma once

#include <QLibrary>
#include <memory>

#include "split/OfficeProcess.h"
#include "split/UnoSession.h"

namespace fk {

// The office session of the running program: loads the UNO plugin on first use (so the program runs,
// and can say so, where no office is installed), starts an office when none is listening, and
// starts a new one when the last has died. The documents and the cursor are the plugin's own.
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
    office::DocumentStore& documents() override { return plugin(); }
    office::PageCursor& cursor() override { return plugin(); }
    QString profileFolder() const override { return process_.options().profileFolder; }

private:
    UnoSession& plugin();
    void loadPlugin();
    void startAndConnect();

    OfficeProcess process_;
    QLibrary plugin_;
    std::unique_ptr<UnoSession> session_;
};

}  // namespace fk
