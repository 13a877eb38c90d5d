#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QGuiApplication>
#include <QMimeData>
#include <QStyleHints>
#include <QTest>
#include <QUrl>
#include <QWindow>

#include "QtPrinters.h"
#include "doclist/DocumentListGestures.h"
#include "doclist/DocumentListView.h"

using namespace fk;

namespace {

constexpr int kMiddleY = 330;  // between the two scroll rows

class ListTest : public ::testing::Test {
protected:
    ListTest()
        : tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal),
          selection(&model),
          gestures(model, selection, [this] { return busy; }) {}

    void fill(const QStringList& rows) {
        for (const QString& row : rows) model.AppendDocument(row);
    }
    void select(int row) { selection.setCurrentIndex(model.index(row), QItemSelectionModel::ClearAndSelect); }
    void click(int row) {
        gestures.mouseDown();
        select(row);
        gestures.itemClicked();
    }
    std::optional<int> moveOver(int row, int screenY = kMiddleY) {
        return gestures.dragStep(row < 0 ? QModelIndex() : model.index(row), screenY);
    }

    DocumentListModel model;
    QAbstractItemModelTester tester;
    QItemSelectionModel selection;
    bool busy = false;
    DocumentListGestures gestures;
};

}  // namespace

TEST_F(ListTest, RemovingNeedsASelectionAndAnIdleWindow) {
    gestures.removeSelected();  // empty list
    fill({"a", "b", "c"});
    gestures.removeSelected();  // nothing selected
    EXPECT_EQ(model.count(), 3);

    select(1);
    busy = true;
    gestures.removeSelected();
    gestures.clearList();
    EXPECT_EQ(model.texts(), QStringList({"a", "b", "c"}));

    busy = false;
    gestures.removeSelected();
    EXPECT_EQ(model.texts(), QStringList({"a", "c"}));
    gestures.clearList();
    EXPECT_EQ(model.count(), 0);
}

TEST_F(ListTest, SlowDragShiftsEveryRowPassed) {
    fill({"1", "2", "3", "4", "5"});
    click(1);
    for (int row = 2; row <= 4; ++row) moveOver(row);
    EXPECT_EQ(model.texts(), QStringList({"1", "3", "4", "5", "2"}));
    EXPECT_EQ(selection.currentIndex().row(), 4);
    EXPECT_EQ(gestures.dragItemRow(), 4);
}

TEST_F(ListTest, JumpSwapsOnlyTheTwoEnds) {
    fill({"1", "2", "3", "4", "5"});
    click(1);
    moveOver(4);
    EXPECT_EQ(model.texts(), QStringList({"1", "5", "3", "4", "2"}));
}

TEST_F(ListTest, EqualTextsAndMissingTargetsChangeNothing) {
    fill({"same", "same", "other"});
    click(0);
    moveOver(1);
    moveOver(-1);
    EXPECT_EQ(model.texts(), QStringList({"same", "same", "other"}));
    EXPECT_EQ(gestures.dragItemRow(), 0);
}

TEST_F(ListTest, DragNeedsAPressAndAClickedRow) {
    fill({"a", "b"});
    moveOver(1);  // no press
    gestures.mouseDown();
    moveOver(1);  // no row clicked yet
    EXPECT_EQ(model.texts(), QStringList({"a", "b"}));

    click(0);
    gestures.mouseUp();
    moveOver(1);  // released
    EXPECT_EQ(model.texts(), QStringList({"a", "b"}));
}

TEST_F(ListTest, DragItemFollowsItsRowAndGoesWithIt) {
    fill({"a", "b", "c", "d"});
    click(2);
    select(0);
    gestures.removeSelected();
    EXPECT_EQ(gestures.dragItemRow(), 1);
    select(1);
    gestures.removeSelected();
    EXPECT_EQ(gestures.dragItemRow(), -1);

    click(0);
    gestures.clearList();
    EXPECT_EQ(gestures.dragItemRow(), -1);
    fill({"x", "y"});
    gestures.mouseDown();
    moveOver(1);
    EXPECT_EQ(model.texts(), QStringList({"x", "y"}));
}

TEST_F(ListTest, ScrollsOnlyOutsideTheMiddleBand) {
    fill({"1", "2", "3", "4", "5"});
    click(2);
    EXPECT_EQ(moveOver(3, 304), 2);             // above: the row above the target
    EXPECT_EQ(moveOver(4, 365), std::nullopt);  // last row has nothing below
    EXPECT_EQ(moveOver(1, 365), 2);             // below: the row under the target
    EXPECT_EQ(moveOver(0, 305), std::nullopt);
    EXPECT_EQ(moveOver(2, 364), std::nullopt);
}

TEST(DocumentListView, DeleteKeyDoubleClickAndOtherKeys) {
    DocumentListModel model;
    bool busy = false;
    DocumentListView view(model, [&] { return busy; });
    view.resize(400, 200);
    view.show();
    for (const char* row : {"a", "b", "c"}) model.AppendDocument(row);
    view.setCurrentIndex(model.index(0, 0));

    QTest::keyClick(&view, Qt::Key_Backspace);
    EXPECT_EQ(model.count(), 3);
    QTest::keyClick(&view, Qt::Key_Delete);
    EXPECT_EQ(model.texts(), QStringList({"b", "c"}));

    // A double-click below the last row still removes the selected row.
    view.setCurrentIndex(model.index(1, 0));
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, QPoint(10, view.viewport()->height() - 5));
    EXPECT_EQ(model.texts(), QStringList({"b"}));

    busy = true;
    view.setCurrentIndex(model.index(0, 0));
    QTest::keyClick(&view, Qt::Key_Delete);
    EXPECT_EQ(model.count(), 1);
}

namespace {

// A double-click as the window system delivers it: press, release, press, double-click, release.
void doubleClickAt(QWidget* viewport, const QPoint& position) {
    QWindow* window = viewport->window()->windowHandle();
    QTest::mouseDClick(window, Qt::LeftButton, {}, window->mapFromGlobal(viewport->mapToGlobal(position)));
}

}  // namespace

TEST(DocumentListView, RealDoubleClickRemovesTheSelectedRowOrTheOneClicked) {
    DocumentListModel model;
    DocumentListView view(model, [] { return false; });
    view.resize(400, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    for (const char* row : {"a", "b", "c", "d"}) model.AppendDocument(row);
    const QPoint belowTheRows(10, view.viewport()->height() - 5);
    ASSERT_FALSE(view.indexAt(belowTheRows).isValid());

    view.setCurrentIndex(model.index(1, 0));
    doubleClickAt(view.viewport(), belowTheRows);
    EXPECT_EQ(model.texts(), QStringList({"a", "c", "d"}));

    // On a row, the row under the pointer goes, whichever was selected before.
    view.setCurrentIndex(model.index(0, 0));
    doubleClickAt(view.viewport(), view.visualRect(model.index(2, 0)).center());
    EXPECT_EQ(model.texts(), QStringList({"a", "c"}));

    // A single click below the rows still clears the selection: a later double-click there removes nothing.
    QWindow* window = view.windowHandle();
    const QPoint below = window->mapFromGlobal(view.viewport()->mapToGlobal(belowTheRows));
    view.setCurrentIndex(model.index(1, 0));
    QTest::mouseClick(window, Qt::LeftButton, {}, below);
    QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
    doubleClickAt(view.viewport(), belowTheRows);
    EXPECT_EQ(model.texts(), QStringList({"a", "c"}));
}

TEST(DocumentListView, AcceptsLocalFileListsOnly) {
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/tmp/a b.odt"), QUrl::fromLocalFile("/tmp/folder")});
    EXPECT_EQ(LocalFilesOf(&files), QStringList({"/tmp/a b.odt", "/tmp/folder"}));
    QMimeData text;
    text.setText("just text");
    EXPECT_FALSE(LocalFilesOf(&text));
    QMimeData web;
    web.setUrls({QUrl("https://example.org/a.odt")});
    EXPECT_FALSE(LocalFilesOf(&web));
}
