#pragma once

#include "base/Prompts.h"

namespace fk::cli {

// Prompts of a run that nobody watches: questions get no answer and nothing is opened; what the
// messages become is up to each kind.
class UnattendedPrompts : public Prompts {
public:
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    QString openFileDialog(const FileDialogRequest&) override { return {}; }
    QString browseForFolder(const QString&, const QString&) override { return {}; }
    bool openExternally(const QString&) override { return false; }
};

}  // namespace fk::cli
