#include "app/PresenceCheck.h"

#include "app/ProcedureTrap.h"
#include "app/RuntimeError.h"

namespace fk {

QString OfficeMissingMessage() {
    return QStringLiteral("Error 214878392") + QStringLiteral("\r\n\r\n") +
           QStringLiteral(
               "OpenOffice is required to run this software. It is not installed on this computer.") +
           QStringLiteral("\r\r") + QStringLiteral("Woud you like to open this site now?") +
           QStringLiteral("\r\n\r\n") +
           QStringLiteral(
               "(If you think this error is a mistake and you have OpenOffice installed, please email a "
               "screenshot of this error message and a screenshot of the OpenOffice 'About' window to ") +
           ProcedureTrap::kSupportAddress + QStringLiteral(")");
}

void IsOpenOfficeInstalled(office::OfficeSession& office, Prompts& prompts,
                           const std::function<void()>& endProgram) {
    // Only the missing office is answered here, and none of its statements is ever reported.
    try {
        office.reach();
        return;
    } catch (const Failure& error) {
        if (error.kind() != FailureKind::OfficeMissing) throw;
    }

    try {
        if (prompts.messageBox(OfficeMissingMessage(), kYesNo) == MessageAnswer::Yes) {
            prompts.openExternally(kOfficeDownloadPage);
        }
    } catch (...) {
    }
    endProgram();
}

}  // namespace fk
