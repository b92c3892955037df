#pragma once

#include <QObject>

class QListWidget;

namespace quillmere {

class PreferenceOrder;
enum class ListId;

// Keeps the file and title list boxes in step with the order of preference:
// the order's changes reach the widgets, and the user's clicks and arrow keys
// reach the order, without either echoing back.
class ListMirror : public QObject {
public:
    ListMirror(PreferenceOrder& order, QListWidget& files, QListWidget& titles);

    void reset(ListId list);
    void swap(ListId list, int rowA, int rowB);
    void select(ListId list, int row);
    void showTitles(bool shown);

    // A build selects every row in turn; while held, only the last
    // selection of each list is shown, by release().
    void hold();
    void release();

private:
    QListWidget& widget(ListId list);
    void applySelection(ListId list, int row);
    void userSelected(ListId list);

    PreferenceOrder& order_;
    QListWidget& files_;
    QListWidget& titles_;
    bool applying_ = false;
    bool held_ = false;
};

}  // namespace quillmere
