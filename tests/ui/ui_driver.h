#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace quillmere {
class Dialog;
class Form1;
}  // namespace quillmere

namespace quillmere::testing {

// Drives the two windows as a user would: by their controls' names, with
// mouse clicks and typing.
class UiDriver {
public:
    explicit UiDriver(Form1& form) : form_(form) {}

    // A control of the main window itself, never one of the folder window.
    template <typename Control = QWidget>
    Control* control(const char* name) const {
        return qobject_cast<Control*>(mainControl(name));
    }
    QLabel* label(const char* name) const;
    QLineEdit* lineEdit(const char* name) const;
    QListWidget* list(const char* name) const;

    void click(const char* buttonName) const;
    void clickRow(QListWidget* list, int row) const;
    QStringList rows(const char* listName) const;

    // The folder windows that exist; one closed a moment ago may be counted
    // until its deletion has run.
    QList<Dialog*> dialogs() const;
    // The folder window on screen, or nullptr.
    Dialog* shownDialog() const;
    template <typename Control = QWidget>
    Control* dialogControl(const char* name) const {
        return qobject_cast<Control*>(dialogChild(name));
    }
    void clickInDialog(const char* buttonName) const;
    void typeIntoText1(const QString& text) const;
    // A click or double-click on the folder shown as text in the tree.
    void clickFolder(const QString& text) const;
    void doubleClickFolder(const QString& text) const;
    // "Change", the path typed into the folder window, "OK".
    void chooseFolder(const QString& path) const;

private:
    QWidget* mainControl(const char* name) const;
    QWidget* dialogChild(const char* name) const;

    Form1& form_;
};

}  // namespace quillmere::testing
