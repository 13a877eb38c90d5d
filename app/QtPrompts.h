#pragma once

#include <QPointer>
#include <QWidget>

#include "app/Prompts.h"

namespace fk {

class QtPrompts : public Prompts {
public:
    void setOwner(QWidget* owner) { owner_ = owner; }

    MessageAnswer messageBox(const QString& text, int style, const QString& title = {}) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& preset) override;
    QString openFileDialog(const FileDialogRequest& request) override;
    QString browseForFolder(const QString& title, const QString& startFolder) override;
    bool openExternally(const QString& address) override;

    // Message texts join lines with "\r\n" or a lone "\r"; Qt's labels break lines at "\n" only.
    static QString displayText(const QString& text);
    // "Description|*.odt;*.docx|Other|*.odt" as Qt's "Description (*.odt *.docx);;Other (*.odt)"; a
    // description that already shows its patterns in parentheses is kept as it is.
    static QString nameFilters(const QString& filter);
    // The width a title bar needs to show the whole title beside the window manager's buttons.
    static int titleBarWidth(const QString& title);

private:
    QPointer<QWidget> owner_;
};

}  // namespace fk
