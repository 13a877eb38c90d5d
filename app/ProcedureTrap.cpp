#include "app/ProcedureTrap.h"

#include "app/RuntimeError.h"

namespace fk {

const QString ProcedureTrap::kSupportAddress = QStringLiteral("support@kestrune.com");

QString ProcedureTrap::message(const QString& description, const QString& procedurePath, int line) {
    return description + QStringLiteral("\r\n") + procedurePath + QStringLiteral("at line ") +
           QString::number(line) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") + kSupportAddress;
}

void ProcedureTrap::reportCurrentException() {
    report(RuntimeDescriptionOf(std::current_exception()));
}

void ProcedureTrap::report(const QString& description) {
    ++reports_;
    try {
        prompts_.messageBox(message(description, path_, line_), kOkExclamation,
                            QStringLiteral("Application Error"));
    } catch (...) {
        // A report that cannot be shown must not end the procedure it reports on.
    }
}

}  // namespace fk
