#pragma once

#include <QQueue>
#include <QStringList>
#include <functional>
#include <optional>

#include "QtPrinters.h"
#include "app/Prompts.h"

namespace fk::test {

// Records every prompt and answers as the test scripted it; never shows a window.
class FakePrompts : public Prompts {
public:
    struct Message {
        QString text;
        int style;
        QString title;  // as the user would see it: the application title when none was given
    };

    MessageAnswer messageBox(const QString& text, int style, const QString& title = {}) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& preset) override;
    QString openFileDialog(const FileDialogRequest& request) override;
    QString browseForFolder(const QString& title, const QString& startFolder) override;
    bool openExternally(const QString& address) override;

    QList<Message> messages;
    QQueue<MessageAnswer> messageAnswers;           // default: Ok, or No for a Yes/No box
    std::function<void(const QString&)> onMessage;  // runs while a box "is shown"

    QStringList inputPrompts;
    QStringList inputPresets;
    QQueue<QString> inputAnswers;

    QList<FileDialogRequest> fileDialogs;
    QQueue<QString> fileDialogAnswers;
    std::optional<int> fileDialogError;

    QStringList folderDialogStarts;
    QStringList folderDialogTitles;
    QQueue<QString> folderAnswers;

    QStringList openedAddresses;

    QStringList messageTexts() const;
};

}  // namespace fk::test
