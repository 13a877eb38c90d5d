#pragma once

#include <QTextStream>

#include "app/Prompts.h"
#include "cli/ConsoleProgress.h"

namespace fk::cli {

// Prompts for a run without a window: reports are printed, questions get no answer.
class StreamPrompts : public Prompts {
public:
    explicit StreamPrompts(QTextStream& err) : err_(err) {}

    MessageAnswer messageBox(const QString& text, int, const QString&) override {
        err_ << "folioknife-split: " << ConsoleProgress::terminalText(text) << "\n";
        err_.flush();
        return MessageAnswer::Ok;
    }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    QString openFileDialog(const FileDialogRequest&) override { return {}; }
    QString browseForFolder(const QString&, const QString&) override { return {}; }
    bool openExternally(const QString&) override { return false; }

private:
    QTextStream& err_;
};

}  // namespace fk::cli
