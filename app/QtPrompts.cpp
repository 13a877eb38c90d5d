#include "app/QtPrompts.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QScreen>
#include <QSpacerItem>
#include <QUrl>

#include "app/FileDialogAnswer.h"

namespace fk {

QString QtPrompts::displayText(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

namespace {

// Room beside the title for the window icon and the window manager's buttons.
constexpr int kTitleBarAllowance = 128;

// A message box as wide as its title needs, not only its text ("Done." alone would cut the title
// short). Without a window to stand over, it stands in the middle of the screen.
class TitledMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override {
        // Here, as the box's layout is made anew whenever its icon or buttons change.
        if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
            grid->addItem(new QSpacerItem(QtPrompts::titleBarWidth(windowTitle()), 0, QSizePolicy::Minimum,
                                          QSizePolicy::Minimum),
                          grid->rowCount(), 0, 1, grid->columnCount());
        }
        QMessageBox::showEvent(event);  // where the box takes its size
        if (parentWidget() == nullptr) {
            const QRect screenArea = screen()->availableGeometry();
            move(screenArea.center() - rect().center());
        }
    }
};

}  // namespace

int QtPrompts::titleBarWidth(const QString& title) {
    QFont titleFont = QGuiApplication::font();
    titleFont.setBold(true);
    return QFontMetrics(titleFont).horizontalAdvance(title) + kTitleBarAllowance;
}

MessageAnswer QtPrompts::messageBox(const QString& text, int style, const QString& title) {
    // Over a window not shown yet (the office question of the start-up), a box would open where that
    // window would be, in the screen's corner.
    TitledMessageBox box(owner_ && owner_->isVisible() ? owner_.data() : nullptr);
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

QString QtPrompts::nameFilters(const QString& filter) {
    const QStringList pieces = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i < pieces.size(); i += 2) {
        QString description = pieces.at(i);
        if (i + 1 < pieces.size() && !description.endsWith(QLatin1Char(')'))) {
            const QStringList patterns = pieces.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
            description += QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
        }
        filters << description;
    }
    return filters.join(QStringLiteral(";;"));
}

QString QtPrompts::openFileDialog(const FileDialogRequest& request) {
    const QString filter = nameFilters(request.filter);
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
