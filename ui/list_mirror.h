#pragma once

#include "ui/order_list_model.h"

#include <QObject>

class QListView;

namespace quillmere {

class PreferenceOrder;
enum class ListId;

// Keeps the file and title list boxes in step with the order of preference:
// the order's changes reach the widgets, and the user's clicks and arrow keys
// reach the order, whose selections ignore the row they already hold, so
// nothing echoes back.
class ListMirror : public QObject {
public:
    // Gives each list box a model over the order's own list.
    ListMirror(PreferenceOrder& order, QListView& files, QListView& titles);

    void reset(ListId list);
    void swap(ListId list, int rowA, int rowB);
    void select(ListId list, int row);
    void showTitles(bool shown);

    // A build selects every row in turn; while held, only the last
    // selection of each list is shown, by release().
    void hold();
    void release();

private:
    QListView& widget(ListId list);
    OrderListModel& model(ListId list);
    void applySelection(ListId list, int row);
    void userSelected(ListId list);

    PreferenceOrder& order_;
    QListView& files_;
    QListView& titles_;
    OrderListModel filesModel_;
    OrderListModel titlesModel_;
    bool held_ = false;
};

}  // namespace quillmere
