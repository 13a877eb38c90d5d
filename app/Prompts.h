#pragma once

#include <QString>

namespace fk {

// Message box styles as the program's messages use them.
enum MessageStyle : int {
    kOkOnly = 0,
    kYesNo = 4,
    kOkExclamation = 48,
};

enum class MessageAnswer { Ok, Yes, No };

struct FileDialogRequest {
    QString title;
    QString filter;  // "description|pattern"
    bool multiSelect = false;
};

// Every question the program asks the user, and every hand-over to the desktop, goes through here,
// so that tests can answer as scripted and never open a real window, browser or file manager.
class Prompts {
public:
    virtual ~Prompts() = default;

    // An empty title means the application title.
    virtual MessageAnswer messageBox(const QString& text, int style, const QString& title = {}) = 0;
    // The typed answer; the empty text when the user cancels.
    virtual QString inputBox(const QString& prompt, const QString& title, const QString& preset) = 0;
    // The chosen file's path; for several files the folder they share, then each one's path below it
    // after a NUL character;
    // the empty text on Cancel. Throws a TooMany failure when the answer does not fit the dialog's buffer.
    virtual QString openFileDialog(const FileDialogRequest& request) = 0;
    // The chosen folder as the dialog gives it; empty on Cancel.
    virtual QString browseForFolder(const QString& title, const QString& startFolder) = 0;
    // Opens a web address or a folder with the desktop's default handler, without waiting for it.
    virtual bool openExternally(const QString& address) = 0;

    void setApplicationTitle(const QString& title) { applicationTitle_ = title; }
    const QString& applicationTitle() const { return applicationTitle_; }

protected:
    QString titleOrApplicationTitle(const QString& title) const {
        return title.isEmpty() ? applicationTitle_ : title;
    }

private:
    QString applicationTitle_;
};

}  // namespace fk
