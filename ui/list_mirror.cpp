#include "ui/list_mirror.h"

#include "core/catalogue_observer.h"
#include "ui/local_text.h"
#include "core/preference_order.h"

#include <QListWidget>
#include <QStringList>

namespace quillmere {
namespace {

// Set while the model's state is written into a widget, so the widget's own
// signals are not taken for the user's.
class ApplyingGuard {
public:
    explicit ApplyingGuard(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~ApplyingGuard() { flag_ = previous_; }
    ApplyingGuard(const ApplyingGuard&) = delete;
    ApplyingGuard& operator=(const ApplyingGuard&) = delete;

private:
    bool& flag_;
    bool previous_;
};

}  // namespace

ListMirror::ListMirror(PreferenceOrder& order, QListWidget& files, QListWidget& titles)
    : order_(order), files_(files), titles_(titles) {
    connect(&files_, &QListWidget::itemSelectionChanged, this, [this] { userSelected(ListId::Files); });
    connect(&titles_, &QListWidget::itemSelectionChanged, this, [this] { userSelected(ListId::Titles); });
}

void ListMirror::reset(ListId list) {
    const std::vector<std::string>& rows = list == ListId::Files ? order_.files() : order_.titles();
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(rows.size()));
    for (const std::string& row : rows) {
        texts.append(list == ListId::Files ? fromFileName(row) : fromLocal(row));
    }
    const ApplyingGuard guard(applying_);
    QListWidget& box = widget(list);
    box.clear();
    box.addItems(texts);
}

void ListMirror::swap(ListId list, int rowA, int rowB) {
    QListWidget& box = widget(list);
    QListWidgetItem* itemA = box.item(rowA);
    QListWidgetItem* itemB = box.item(rowB);
    const QString textA = itemA->text();
    itemA->setText(itemB->text());
    itemB->setText(textA);
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

QListWidget& ListMirror::widget(ListId list) {
    return list == ListId::Files ? files_ : titles_;
}

void ListMirror::applySelection(ListId list, int row) {
    QListWidget& box = widget(list);
    if (box.currentRow() == row && (row < 0 || box.item(row)->isSelected())) {
        return;
    }
    const ApplyingGuard guard(applying_);
    box.setCurrentRow(row);
}

void ListMirror::userSelected(ListId list) {
    if (applying_) {
        return;
    }
    const QList<QListWidgetItem*> selected = widget(list).selectedItems();
    const int row = selected.isEmpty() ? PreferenceOrder::kNoRow : widget(list).row(selected.first());
    if (list == ListId::Files) {
        order_.SelectFileRow(row);
    } else {
        order_.SelectTitleRow(row);
    }
}

}  // namespace quillmere
