#include "app/QtPrompts.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

#include "app/FileDialogAnswer.h"

namespace fk {

QString QtPrompts::displayText(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

MessageAnswer QtPrompts::messageBox(const QString& text, int style, const QString& title) {
    QMessageBox box(owner_);
    box.setWindowTitle(titleOrApplicationTitle(title));
    box.setText(displayText(text));
    if (style == kYesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.setIcon(style == kOkExclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
    const int answer = box.exec();
    if (style != kYesNo) return MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

QString QtPrompts::inputBox(const QString& prompt, const QString& title, const QString& preset) {
    bool accepted = false;
    const QString answer = QInputDialog::getText(owner_, titleOrApplicationTitle(title), displayText(prompt),
                                                 QLineEdit::Normal, preset, &accepted);
    return accepted ? answer : QString();
}

QString QtPrompts::openFileDialog(const FileDialogRequest& request) {
    // "Description (*.odt)|*.odt" becomes Qt's "Description (*.odt)".
    const qsizetype bar = request.filter.indexOf(QLatin1Char('|'));
    QString filter = bar < 0 ? request.filter : request.filter.left(bar);
    if (bar >= 0 && !filter.endsWith(QLatin1Char(')')))
        filter += QStringLiteral(" (") + request.filter.mid(bar + 1) + QLatin1Char(')');
    QStringList chosen;
    if (request.multiSelect) {
        chosen = QFileDialog::getOpenFileNames(owner_, request.title, QString(), filter);
    } else {
        const QString one = QFileDialog::getOpenFileName(owner_, request.title, QString(), filter);
        if (!one.isEmpty()) chosen << one;
    }
    return FileDialogAnswer(chosen);
}

QString QtPrompts::browseForFolder(const QString& title, const QString& startFolder) {
    const QString start = QFileInfo(startFolder).isDir() ? startFolder : QString();
    return QFileDialog::getExistingDirectory(owner_, title, start, QFileDialog::ShowDirsOnly);
}

bool QtPrompts::openExternally(const QString& address) {
    const QUrl url = QUrl::fromUserInput(address, QDir::currentPath(), QUrl::AssumeLocalFile);
    return QDesktopServices::openUrl(url);
}

}  // namespace fk
