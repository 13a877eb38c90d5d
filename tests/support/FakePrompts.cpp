#include "FakePrompts.h"

#include "app/RuntimeError.h"

namespace fk::test {

MessageAnswer FakePrompts::messageBox(const QString& text, int style, const QString& title) {
    messages.append({text, style, titleOrApplicationTitle(title)});
    if (onMessage) onMessage(text);
    if (!messageAnswers.isEmpty()) return messageAnswers.dequeue();
    return style == kYesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

QString FakePrompts::inputBox(const QString& prompt, const QString&, const QString& preset) {
    inputPrompts << prompt;
    inputPresets << preset;
    return inputAnswers.isEmpty() ? QString() : inputAnswers.dequeue();
}

QString FakePrompts::openFileDialog(const FileDialogRequest& request) {
    fileDialogs << request;
    if (fileDialogError) throw RuntimeError(*fileDialogError, QStringLiteral("Dialog error"));
    return fileDialogAnswers.isEmpty() ? QString() : fileDialogAnswers.dequeue();
}

QString FakePrompts::browseForFolder(const QString& title, const QString& startFolder) {
    folderDialogTitles << title;
    folderDialogStarts << startFolder;
    return folderAnswers.isEmpty() ? QString() : folderAnswers.dequeue();
}

bool FakePrompts::openExternally(const QString& address) {
    openedAddresses << address;
    return true;
}

QStringList FakePrompts::messageTexts() const {
    QStringList texts;
    for (const Message& message : messages) texts << message.text;
    return texts;
}

}  // namespace fk::test
