#include "ui_driver.h"

#include "dialog.h"
#include "form1.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace quillmere::testing {

QLabel* UiDriver::label(const char* name) const {
    return control<QLabel>(name);
}

QLineEdit* UiDriver::lineEdit(const char* name) const {
    return control<QLineEdit>(name);
}

QListWidget* UiDriver::list(const char* name) const {
    return control<QListWidget>(name);
}

void UiDriver::click(const char* buttonName) const {
    QTest::mouseClick(control<QPushButton>(buttonName), Qt::LeftButton);
}

void UiDriver::clickRow(QListWidget* list, int row) const {
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

QStringList UiDriver::rows(const char* listName) const {
    QStringList texts;
    const QListWidget* box = list(listName);
    for (int row = 0; row < box->count(); ++row) {
        texts.append(box->item(row)->text());
    }
    return texts;
}

QList<Dialog*> UiDriver::dialogs() const {
    return form_.findChildren<Dialog*>();
}

Dialog* UiDriver::shownDialog() const {
    for (Dialog* dialog : dialogs()) {
        if (dialog->isVisible()) {
            return dialog;
        }
    }
    return nullptr;
}

void UiDriver::clickInDialog(const char* buttonName) const {
    QTest::mouseClick(dialogControl<QPushButton>(buttonName), Qt::LeftButton);
}

void UiDriver::typeIntoText1(const QString& text) const {
    auto* text1 = dialogControl<QLineEdit>("Text1");
    text1->setFocus();
    QTest::keyClick(text1, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(text1, Qt::Key_Delete);
    QTest::keyClicks(text1, text);
}

void UiDriver::clickFolder(const QString& text) const {
    auto* tree = dialogControl<QTreeWidget>("Dir1");
    const QList<QTreeWidgetItem*> items = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(items.size(), 1);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(items.first()).center());
}

// A user's double-click starts with a click; QTest sends the second half only.
void UiDriver::doubleClickFolder(const QString& text) const {
    clickFolder(text);
    auto* tree = dialogControl<QTreeWidget>("Dir1");
    const QList<QTreeWidgetItem*> items = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(items.first()).center());
}

void UiDriver::chooseFolder(const QString& path) const {
    click("Command2");
    typeIntoText1(path);
    clickInDialog("OKButton");
}

QWidget* UiDriver::mainControl(const char* name) const {
    for (QWidget* widget : form_.findChildren<QWidget*>(QString::fromLatin1(name))) {
        if (widget->window() == &form_) {
            return widget;
        }
    }
    return nullptr;
}

QWidget* UiDriver::dialogChild(const char* name) const {
    Dialog* dialog = shownDialog();
    return dialog ? dialog->findChild<QWidget*>(QString::fromLatin1(name)) : nullptr;
}

}  // namespace quillmere::testing
