#include "tests/support/window_driver.h"

#include "ui/folder_window.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

namespace quillmere {

WindowDriver::WindowDriver(const std::optional<std::string>& startFolder) : window_(startFolder) {
    window_.show();
    static_cast<void>(QTest::qWaitForWindowExposed(&window_));
}

Dialog* WindowDriver::folderWindow() const {
    const QWidget* ok = get(dialog_names::OKButton);
    return ok ? qobject_cast<Dialog*>(ok->window()) : nullptr;
}

QString WindowDriver::text(const char* name) const {
    const auto* label = get<QLabel>(name);
    return label ? label->text() : get<QLineEdit>(name)->text();
}

QStringList WindowDriver::rows(const char* list) const {
    const QAbstractItemModel* model = get<QAbstractItemView>(list)->model();
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row) {
        texts.append(model->index(row, 0).data().toString());
    }
    return texts;
}

int WindowDriver::selectedRow(const char* list) const {
    const QModelIndexList selected = get<QAbstractItemView>(list)->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

// As a mouse click does, without the test library's event round trips, which
// would weigh on the benchmark's figures.
void WindowDriver::click(const char* button) const {
    get<QAbstractButton>(button)->click();
}

void WindowDriver::clickRow(const char* list, int row) const {
    auto* view = get<QAbstractItemView>(list);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(row, 0)).center());
}

void WindowDriver::selectRow(const char* list, int row) const {
    auto* view = get<QAbstractItemView>(list);
    view->setCurrentIndex(view->model()->index(row, 0));
}

// A user's double-click starts with a click; QTest sends the second half only.
void WindowDriver::doubleClickFolder(const QString& shown) const {
    auto* tree = get<QTreeWidget>(dialog_names::Dir1);
    const QPoint point = tree->visualItemRect(tree->findItems(shown, Qt::MatchRecursive).value(0)).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, point);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, point);
}

void WindowDriver::chooseFolder(const QString& path) const {
    click(form1_names::Command2);
    get<QLineEdit>(dialog_names::Text1)->setText(path);
    click(dialog_names::OKButton);
}

}  // namespace quillmere
