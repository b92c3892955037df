#include "ui/order_list_model.h"

namespace quillmere {

OrderListModel::OrderListModel(const std::vector<std::string>& rows, RowText text)
    : rows_(rows), text_(text) {}

int OrderListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant OrderListModel::data(const QModelIndex& index, int role) const {
    // The vector changes before the list box hears of it: a row it asks
    // for in between may be gone.
    // The whole text on hover too, for a row too long to show it all.
    if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || index.row() < 0 ||
        index.row() >= rowCount()) {
        return {};
    }
    return text_(rows_[static_cast<std::size_t>(index.row())]);
}

void OrderListModel::reset() {
    beginResetModel();
    endResetModel();
}

void OrderListModel::rowsSwapped(int rowA, int rowB) {
    emit dataChanged(index(rowA), index(rowA), {Qt::DisplayRole});
    emit dataChanged(index(rowB), index(rowB), {Qt::DisplayRole});
}

}  // namespace quillmere
