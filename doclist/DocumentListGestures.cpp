#include "doclist/DocumentListGestures.h"

namespace fk {

DocumentListGestures::DocumentListGestures(DocumentListModel& model, QItemSelectionModel& selection,
                                           std::function<bool()> isBusy)
    : model_(model), selection_(selection), isBusy_(std::move(isBusy)) {}

QModelIndex DocumentListGestures::selectedIndex() const {
    const QModelIndex current = selection_.currentIndex();
    if (current.isValid() && selection_.isSelected(current)) return current;
    const QModelIndexList rows = selection_.selectedRows();
    return rows.isEmpty() ? QModelIndex() : rows.first();
}

void DocumentListGestures::mouseDown() {
    listMouseDown_ = true;
    selectedAtPress_ = selectedIndex();
}

void DocumentListGestures::remove(const QModelIndex& row) {
    if (isBusy_()) return;
    if (model_.count() == 0) return;
    if (!row.isValid()) return;
    model_.removeRows(row.row(), 1);
}

void DocumentListGestures::removeSelected() {
    remove(selectedIndex());
}

void DocumentListGestures::doubleClicked() {
    // The first click of a double-click below the rows has cleared the selection by now; the row
    // meant is the one selected when that click was pressed.
    const QModelIndex selected = selectedIndex();
    remove(selected.isValid() ? selected : QModelIndex(selectedAtPress_));
}

void DocumentListGestures::clearList() {
    if (isBusy_()) return;
    model_.clear();
}

std::optional<int> DocumentListGestures::dragStep(const QModelIndex& target, int screenY) {
    if (!listMouseDown_) return std::nullopt;
    if (!target.isValid() || !dragItem_.isValid()) return std::nullopt;
    const int targetRow = target.row();
    const int dragRow = dragItem_.row();
    const QString dragged = model_.text(dragRow + 1);
    const QString targetText = model_.text(targetRow + 1);
    if (targetText == dragged) return std::nullopt;

    model_.setData(model_.index(dragRow), targetText);
    model_.setData(model_.index(targetRow), dragged);
    const QModelIndex moved = model_.index(targetRow);
    selection_.setCurrentIndex(moved, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    dragItem_ = moved;

    const int index = targetRow + 1;  // 1-based, as the rule is stated
    if (screenY < kScrollUpBelowY) {
        if (index >= 2) return targetRow - 1;
    } else if (screenY > kScrollDownAboveY) {
        if (index + 1 <= model_.count()) return targetRow + 1;
    }
    return std::nullopt;
}

}  // namespace fk
