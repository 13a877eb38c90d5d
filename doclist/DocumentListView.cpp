#include "doclist/DocumentListView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QPixmap>
#include <QUrl>

namespace fk {

const QString DocumentListView::kToolTip = QStringLiteral(
    "Drag and drop files here. Double-click item to remove it. Move | line to right and out of window to "
    "reveal "
    "full names.");

std::optional<QStringList> LocalFilesOf(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return std::nullopt;
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) paths << url.toLocalFile();
    }
    if (paths.isEmpty()) return std::nullopt;
    return paths;
}

DocumentListView::DocumentListView(DocumentListModel& model, std::function<bool()> isBusy, QWidget* parent)
    : QTreeView(parent) {
    setModel(&model);
    gestures_ = std::make_unique<DocumentListGestures>(model, *selectionModel(), std::move(isBusy));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);  // dragging a row reorders the list; it never carries data out
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    setToolTip(kToolTip);
    setMouseTracking(true);
}

void DocumentListView::showDragPointer() {
    const QPixmap picture(dragPointerFile_);
    if (!picture.isNull()) viewport()->setCursor(QCursor(picture));
}

void DocumentListView::mousePressEvent(QMouseEvent* event) {
    gestures_->mouseDown();
    QTreeView::mousePressEvent(event);
    if (indexAt(event->position().toPoint()).isValid()) {
        showDragPointer();
        gestures_->itemClicked();
    }
}

void DocumentListView::mouseMoveEvent(QMouseEvent* event) {
    emit pointerMoved();
    if (!gestures_->listMouseDown()) {
        QTreeView::mouseMoveEvent(event);
        return;
    }
    const QModelIndex target = indexAt(event->position().toPoint());
    const int screenY = qRound(event->globalPosition().y());
    if (const std::optional<int> row = gestures_->dragStep(target, screenY))
        scrollTo(model()->index(*row, 0));
}

void DocumentListView::mouseReleaseEvent(QMouseEvent* event) {
    gestures_->mouseUp();
    viewport()->setCursor(Qt::ArrowCursor);
    QTreeView::mouseReleaseEvent(event);
}

void DocumentListView::mouseDoubleClickEvent(QMouseEvent*) {
    gestures_->doubleClicked();
}

void DocumentListView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete) {
        gestures_->removeSelected();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void DocumentListView::dragEnterEvent(QDragEnterEvent* event) {
    if (LocalFilesOf(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void DocumentListView::dragMoveEvent(QDragMoveEvent* event) {
    if (LocalFilesOf(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void DocumentListView::dropEvent(QDropEvent* event) {
    const std::optional<QStringList> paths = LocalFilesOf(event->mimeData());
    if (!paths) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(*paths);
}

}  // namespace fk
