#pragma once

#include <QProgressBar>

namespace fk {

// A progress bar that shows its text as it is. QProgressBar's format replaces %p, %v and %m wherever
// they occur and knows no escape for them, so a document named "Budget 100%value.odt" would show
// a number in the middle of its name.
class PlainTextProgressBar : public QProgressBar {
    Q_OBJECT
public:
    using QProgressBar::QProgressBar;

    void setPlainText(const QString& text);
    QString text() const override { return text_; }

private:
    QString text_;
};

}  // namespace fk
