#include "ui/list_mirror.h"

#include "core/catalogue_observer.h"
#include "core/preference_order.h"
#include "ui/shown_text.h"

#include <QItemSelectionModel>
#include <QListView>

namespace quillmere {
ListMirror::ListMirror(PreferenceOrder& order, QListView& files, QListView& titles)
    : order_(order),
      files_(files),
      titles_(titles),
      filesModel_(order.files(), shownText),
      titlesModel_(order.titles(), shownText) {
    files_.setModel(&filesModel_);
    titles_.setModel(&titlesModel_);
    connect(files_.selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { userSelected(ListId::Files); });
    connect(titles_.selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { userSelected(ListId::Titles); });
}

void ListMirror::reset(ListId list) {
    model(list).reset();
}

void ListMirror::swap(ListId list, int rowA, int rowB) {
    model(list).rowsSwapped(rowA, rowB);
}

void ListMirror::select(ListId list, int row) {
    if (!held_) {
        applySelection(list, row);
    }
}

void ListMirror::showTitles(bool shown) {
    titles_.setVisible(shown);
}

void ListMirror::hold() {
    held_ = true;
}

void ListMirror::release() {
    held_ = false;
    applySelection(ListId::Files, order_.fileSelection());
    applySelection(ListId::Titles, order_.titleSelection());
}

QListView& ListMirror::widget(ListId list) {
    return list == ListId::Files ? files_ : titles_;
}

OrderListModel& ListMirror::model(ListId list) {
    return list == ListId::Files ? filesModel_ : titlesModel_;
}

void ListMirror::applySelection(ListId list, int row) {
    // The widget's own signal comes back through userSelected as the row the
    // order already holds, which the order ignores. An invalid index, for no
    // row, clears both the selection and the current row.
    widget(list).selectionModel()->setCurrentIndex(model(list).index(row),
                                                   QItemSelectionModel::ClearAndSelect);
}

void ListMirror::userSelected(ListId list) {
    const QModelIndexList selected = widget(list).selectionModel()->selectedIndexes();
    const int row = selected.isEmpty() ? PreferenceOrder::kNoRow : selected.first().row();
    if (list == ListId::Files) {
        order_.SelectFileRow(row);
    } else {
        order_.SelectTitleRow(row);
    }
}

}  // namespace quillmere
