#pragma once

#include <QAbstractListModel>

#include <string>
#include <vector>

namespace quillmere {

// One list of the order of preference, as its list box shows it: a view over
// the order's own vector, so that a row costs no more than its name. Rows
// become text only as the list box paints them.
class OrderListModel : public QAbstractListModel {
public:
    using RowText = QString (*)(const std::string&);

    OrderListModel(const std::vector<std::string>& rows, RowText text);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The vector was replaced as a whole.
    void reset();
    void rowsSwapped(int rowA, int rowB);

private:
    const std::vector<std::string>& rows_;
    RowText text_;
};

}  // namespace quillmere
