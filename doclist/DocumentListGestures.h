#pragma once

#include <QItemSelectionModel>
#include <QPersistentModelIndex>
#include <functional>
#include <optional>

#include "doclist/DocumentListModel.h"

namespace fk {

// The editing gestures of the document list, apart from any widget: removing, clearing, and the
// drag that moves a row's text one swap per mouse move.
class DocumentListGestures {
public:
    // Screen rows above and below which a drag scrolls the neighbouring row into view.
    static constexpr int kScrollUpBelowY = 305;
    static constexpr int kScrollDownAboveY = 364;

    DocumentListGestures(DocumentListModel& model, QItemSelectionModel& selection,
                         std::function<bool()> isBusy);

    // Delete key: removes the selected row unless the window is busy.
    void removeSelected();
    // Double-click: removes the selected row, or the one that was selected when the double-click
    // began, unless the window is busy.
    void doubleClicked();
    // "Clear List".
    void clearList();

    // Called before the list handles the press.
    void mouseDown();
    void mouseUp() { listMouseDown_ = false; }
    void itemClicked() { dragItem_ = selectedIndex(); }

    // One mouse move during a press; `target` is the row under the pointer (invalid for none) and
    // `screenY` the pointer's screen row. Returns the row to scroll into view, if any.
    std::optional<int> dragStep(const QModelIndex& target, int screenY);

    bool listMouseDown() const { return listMouseDown_; }
    // The row whose text a drag moves; -1 for none.
    int dragItemRow() const { return dragItem_.isValid() ? dragItem_.row() : -1; }

private:
    QModelIndex selectedIndex() const;
    void remove(const QModelIndex& row);

    DocumentListModel& model_;
    QItemSelectionModel& selection_;
    std::function<bool()> isBusy_;
    bool listMouseDown_ = false;
    QPersistentModelIndex dragItem_;
    QPersistentModelIndex selectedAtPress_;
};

}  // namespace fk
