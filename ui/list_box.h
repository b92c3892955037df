#pragma once

#include <QListView>

namespace quillmere {

// A list box of one selected row: once a row is selected, a click beside the
// rows or a Ctrl+click on the row selects another row or keeps it, never
// none, so the arrow buttons always have a row to move.
class ListBox : public QListView {
public:
    using QListView::QListView;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override {
        if (!index.isValid()) {
            return QItemSelectionModel::NoUpdate;
        }
        const QItemSelectionModel::SelectionFlags command = QListView::selectionCommand(index, event);
        return command.testFlag(QItemSelectionModel::Deselect) ? QItemSelectionModel::ClearAndSelect
                                                               : command;
    }
};

}  // namespace quillmere
