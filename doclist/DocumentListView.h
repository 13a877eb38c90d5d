#pragma once

#include <QCursor>
#include <QTreeView>
#include <memory>
#include <optional>

#include "doclist/DocumentListGestures.h"
#include "doclist/DocumentListModel.h"

namespace fk {

// The report-style list with one column that shows the document rows and turns mouse, key and
// drop events into the list's gestures.
class DocumentListView : public QTreeView {
    Q_OBJECT
public:
    static const QString kToolTip;

    DocumentListView(DocumentListModel& model, std::function<bool()> isBusy, QWidget* parent = nullptr);

    DocumentListGestures& gestures() { return *gestures_; }
    // The picture the list shows while a row is being dragged ("drag.ico" beside the program).
    void setDragPointerFile(const QString& path) { dragPointerFile_ = path; }

signals:
    // The pointer moved over the list: the window takes back the buttons' hover pointer.
    void pointerMoved();
    // Local files and folders dropped from a file manager, in the order the source listed them.
    void filesDropped(const QStringList& paths);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void showDragPointer();

    std::unique_ptr<DocumentListGestures> gestures_;
    QString dragPointerFile_;
};

// Local paths of a drop, or nothing when it carries no local file list.
std::optional<QStringList> LocalFilesOf(const QMimeData* data);

}  // namespace fk
