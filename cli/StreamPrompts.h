#pragma once

#include <QTextStream>

#include "cli/ConsoleProgress.h"
#include "cli/UnattendedPrompts.h"

namespace fk::cli {

// Prompts for a run without a window: reports are printed, questions get no answer.
class StreamPrompts : public UnattendedPrompts {
public:
    explicit StreamPrompts(QTextStream& err) : err_(err) {}

    MessageAnswer messageBox(const QString& text, int, const QString&) override {
        err_ << "folioknife-split: " << ConsoleProgress::terminalText(text) << "\n";
        err_.flush();
        return MessageAnswer::Ok;
    }

private:
    QTextStream& err_;
};

}  // namespace fk::cli
