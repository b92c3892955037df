#pragma once

#include "ui/control_names.h"
#include "ui/main_window.h"

#include <QtTest>
#include <QtWidgets>

#include <algorithm>
#include <optional>
#include <string>

namespace quillmere {

// Works the real main window, shown, through its controls found by name as
// a user does; the folder window too while it is shown.
class WindowDriver {
public:
    explicit WindowDriver(const std::optional<std::string>& startFolder = std::nullopt)
        : window_(startFolder) {
        window_.show();
        static_cast<void>(QTest::qWaitForWindowExposed(&window_));
    }

    Form1& window() { return window_; }
    // Of the main window or of the folder window shown: a closed one may
    // wait for its deletion.
    template <typename Control = QWidget>
    Control* get(const char* name) const {
        const QList<Control*> found = window_.findChildren<Control*>(name);
        const auto shown =
            std::find_if(found.begin(), found.end(), [](auto* c) { return c->window()->isVisible(); });
        return shown == found.end() ? nullptr : *shown;
    }
    // Of a label or a line edit.
    QString text(const char* name) const { return get(name)->property("text").toString(); }
    QStringList rows(const char* list) const {
        const QAbstractItemModel* model = get<QAbstractItemView>(list)->model();
        QStringList texts;
        for (int row = 0; row < model->rowCount(); ++row) {
            texts.append(model->index(row, 0).data().toString());
        }
        return texts;
    }
    int selectedRow(const char* list) const {
        return get<QAbstractItemView>(list)->selectionModel()->selectedIndexes().value(0).row();
    }

    // QAbstractButton::click, without the test library's event round trips
    // that would weigh on the benchmark's figures.
    void click(const char* button) const { get<QAbstractButton>(button)->click(); }
    void clickRow(const char* list, int row, Qt::KeyboardModifiers modifiers = {}) const {
        auto* view = get<QAbstractItemView>(list);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers,
                          view->visualRect(view->model()->index(row, 0)).center());
    }
    // As the arrow keys select, also a row scrolled out of view.
    void selectRow(const char* list, int row) const {
        auto* view = get<QAbstractItemView>(list);
        view->setCurrentIndex(view->model()->index(row, 0));
    }
    // A user's double-click starts with a click; QTest sends the second half only.
    void doubleClickFolder(const QString& shown) const {
        auto* tree = get<QTreeWidget>(dialog_names::Dir1);
        const QTreeWidgetItem* item = tree->findItems(shown, Qt::MatchRecursive).value(0);
        QVERIFY2(item, qPrintable(shown));
        const QPoint at = tree->visualItemRect(item).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
    }
    // "Change", the path in the folder window, "OK".
    void chooseFolder(const QString& path) const {
        click(form1_names::Command2);
        get<QLineEdit>(dialog_names::Text1)->setText(path);
        click(dialog_names::OKButton);
    }

private:
    Form1 window_;
};

}  // namespace quillmere
