#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTextLayout>
#include <QTimer>
#include <functional>

#include "app/Prompts.h"
#include "app/QtPrompts.h"
#include "app/StartUp.h"

using namespace fk;

namespace {

// Shows a message box through the prompts and hands it, shown, to `look` before answering it.
void LookAtMessageBox(QtPrompts& prompts, const QString& text,
                      const std::function<void(QMessageBox&)>& look) {
    bool looked = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        look(*box);
        looked = true;
        box->done(QMessageBox::Ok);
    });
    prompts.messageBox(text, kOkOnly);
    EXPECT_TRUE(looked);
}

// The lines the box's label breaks its text into at the label's width.
QStringList LabelLines(const QLabel& label) {
    const int width = label.contentsRect().width() - 2 * label.margin() - label.indent();
    QStringList lines;
    for (const QString& paragraph : label.text().split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, label.font());
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << paragraph.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
    }
    return lines;
}

QPoint Centre(const QRect& area) {
    return area.topLeft() + QPoint(area.width() / 2, area.height() / 2);
}

// Within the few pixels a window frame may shift a box by.
bool Near(const QPoint& a, const QPoint& b) {
    return (a - b).manhattanLength() <= 6;
}

}  // namespace

TEST(QtPromptsMessageBox, IsAtLeastAsWideAsItsTitleNeeds) {
    QtPrompts prompts;
    prompts.setApplicationTitle(QStringLiteral("Folioknife"));
    LookAtMessageBox(prompts, QStringLiteral("Done."), [](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), "Folioknife");
        EXPECT_GE(box.width(), QtPrompts::titleBarWidth(box.windowTitle()));
    });
    const QString longTitle =
        SetAppTitle(QStringLiteral("Folioknife Page Splitter For Writer Documents Of Every Kind"));
    prompts.setApplicationTitle(longTitle);
    LookAtMessageBox(prompts, QStringLiteral("Done."),
                     [&](QMessageBox& box) { EXPECT_GE(box.width(), QtPrompts::titleBarWidth(longTitle)); });
    EXPECT_GT(QtPrompts::titleBarWidth(longTitle), QtPrompts::titleBarWidth(QStringLiteral("Folioknife")));
}

TEST(QtPromptsMessageBox, StandsInTheScreensMiddleUntilItsWindowIsShownThenOverIt) {
    QWidget owner;
    owner.setGeometry(40, 30, 300, 200);
    QtPrompts prompts;
    prompts.setOwner(&owner);
    LookAtMessageBox(prompts, QStringLiteral("OpenOffice is required to run this software."),
                     [](QMessageBox& box) {
                         EXPECT_TRUE(Near(Centre(box.geometry()), Centre(box.screen()->availableGeometry())))
                             << box.geometry().x() << "," << box.geometry().y() << " " << box.width() << "x"
                             << box.height() << " on " << box.screen()->availableGeometry().width() << "x"
                             << box.screen()->availableGeometry().height();
                     });

    owner.show();
    LookAtMessageBox(prompts, QStringLiteral("Done."), [&](QMessageBox& box) {
        EXPECT_EQ(box.parentWidget(), &owner);
        EXPECT_TRUE(owner.frameGeometry().intersects(box.geometry()));
    });
}

TEST(QtPromptsMessageBox, HelpKeepsTheContactAddressOnOneLine) {
    QtPrompts prompts;
    LookAtMessageBox(prompts, HelpMessage(), [](QMessageBox& box) {
        const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        ASSERT_NE(label, nullptr);
        const QStringList lines = LabelLines(*label);
        EXPECT_GT(lines.size(), 3) << "the text is wrapped";
        bool whole = false;
        for (const QString& line : lines) whole = whole || line.contains(kMakerContactPage);
        EXPECT_TRUE(whole) << lines.join(QStringLiteral(" | ")).toStdString();
    });
}

TEST(QtPromptsFileDialog, FiltersBecomeQtNameFilters) {
    const struct {
        const char* filter;
        const char* qt;
    } cases[] = {
        {"Open Office Writer Documents (*.odt)|*.odt", "Open Office Writer Documents (*.odt)"},
        {"Writer|*.odt", "Writer (*.odt)"},
        {"Documents|*.odt;*.docx|Writer (*.odt)|*.odt", "Documents (*.odt *.docx);;Writer (*.odt)"},
        {"All files", "All files"},
    };
    for (const auto& c : cases) EXPECT_EQ(QtPrompts::nameFilters(c.filter), c.qt) << c.filter;
}
