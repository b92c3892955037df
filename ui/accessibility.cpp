#include "ui/accessibility.h"

#include "ui/arrow_button.h"
#include "ui/control_names.h"
#include "ui/folder_tree.h"
#include "ui/folder_window.h"
#include "ui/folder_window_controls.h"
#include "ui/main_window.h"
#include "ui/main_window_controls.h"
#include "ui/progress_area.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>

namespace quillmere {
namespace {

class ProgressBarInterface : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit ProgressBarInterface(QWidget* area) : QAccessibleWidget(area, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }
    // The fill, outline and percentage are drawing, not controls of their own.
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Value ? percentage() : QAccessibleWidget::text(kind);
    }

    QVariant currentValue() const override { return QLocale().toDouble(percentage().chopped(1)); }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return 100.0; }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return 0.0; }

private:
    QString percentage() const {
        const auto* label = widget()->findChild<QLabel*>(QLatin1String(form1_names::Label3));
        return label ? label->text() : QString();
    }
};

// Read out whenever its text changes, as a status bar is.
class StatusInterface : public QAccessibleWidget {
public:
    explicit StatusInterface(QLabel* status) : QAccessibleWidget(status, QAccessible::StatusBar) {}

    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name ? static_cast<const QLabel*>(widget())->text()
                                         : QAccessibleWidget::text(kind);
    }
};

// Qt names a drop-down list on Unix after its current text; these are
// named for what they choose (the drive, the speed), with the choice as
// their value.
class ChoiceListInterface : public QAccessibleWidget {
public:
    explicit ChoiceListInterface(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Value ? static_cast<const QComboBox*>(widget())->currentText()
                                          : QAccessibleWidget::text(kind);
    }
};

// The main window, a plain widget, without its hidden state fields: only
// what a sighted user can see is read out.
class MainWindowInterface : public QAccessibleWidget {
public:
    explicit MainWindowInterface(QWidget* window) : QAccessibleWidget(window, QAccessible::Window) {}

    int childCount() const override { return static_cast<int>(shownChildren().size()); }
    QAccessibleInterface* child(int index) const override {
        const QWidgetList children = shownChildren();
        return index >= 0 && index < children.size() ? QAccessible::queryAccessibleInterface(children[index])
                                                     : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return static_cast<int>(shownChildren().indexOf(child ? child->object() : nullptr));
    }

private:
    QWidgetList shownChildren() const {
        QWidgetList shown;
        for (QWidget* child : widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!child->isWindow() && !child->isHidden()) {
                shown.append(child);
            }
        }
        return shown;
    }
};

// The folder changes only through the folder window: read-only text, which
// Qt would also call editable.
class FolderFieldInterface : public QAccessibleWidget {
public:
    explicit FolderFieldInterface(QLineEdit* field) : QAccessibleWidget(field, QAccessible::EditableText) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        return state;
    }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Value ? static_cast<const QLineEdit*>(widget())->text()
                                          : QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* interfaceFor(const QString& className, QObject* object) {
    if (className == QLatin1String("quillmere::Form1")) {
        return new MainWindowInterface(static_cast<QWidget*>(object));
    }
    if (className == QLatin1String("quillmere::LinkWindow")) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    }
    if (className == QLatin1String("quillmere::ProgressArea")) {
        return new ProgressBarInterface(static_cast<QWidget*>(object));
    }
    if (className == QLatin1String("QLineEdit") &&
        object->objectName() == QLatin1String(form1_names::Text2)) {
        return new FolderFieldInterface(static_cast<QLineEdit*>(object));
    }
    // The link's status says how serving ended and what to do about it.
    if (className == QLatin1String("QLabel") &&
        (object->objectName() == QLatin1String(form1_names::status) ||
         object->objectName() == QLatin1String(link_names::linkStatus))) {
        return new StatusInterface(static_cast<QLabel*>(object));
    }
    if (className == QLatin1String("QComboBox") &&
        (object->objectName() == QLatin1String(dialog_names::Drive1) ||
         object->objectName() == QLatin1String(link_names::speed))) {
        return new ChoiceListInterface(static_cast<QComboBox*>(object));
    }
    return nullptr;
}

}  // namespace

void describeForm1Controls(const Form1Controls& c) {
    c.Text2->setAccessibleName(Form1::tr("Folder"));
    c.Command2->setAccessibleName(Form1::tr("Change folder"));
    c.Command3->setAccessibleName(Form1::tr("Create directory"));
    c.Command3->setAccessibleDescription(Form1::tr("Writes HP39DIR.000 and HP39DIR.CUR into the folder"));
    c.Command4->setAccessibleName(Form1::tr("Exit"));
    c.Command1->setAccessibleName(Form1::tr("Move up"));
    c.Command1->setAccessibleDescription(Form1::tr("Moves the selected file up (Ctrl+Up)"));
    c.Command5->setAccessibleName(Form1::tr("Move down"));
    c.Command5->setAccessibleDescription(Form1::tr("Moves the selected file down (Ctrl+Down)"));
    c.List2->setAccessibleName(Form1::tr("Files in order of preference"));
    c.List1->setAccessibleName(Form1::tr("Titles in order of preference"));
    c.Command6->setAccessibleName(Form1::tr("Get names"));
    c.Command6->setAccessibleDescription(Form1::tr("Shows each file's title in place of its name"));
    c.progress->parentWidget()->setAccessibleName(Form1::tr("Progress"));
    // A label with a name of its own does not announce its text as it
    // changes: the percentage is the progress bar's value, not a control.
    c.Label3->setAccessibleName(Form1::tr("Progress"));
}

void describeDialogControls(const DialogControls& c) {
    c.Drive1->setAccessibleName(Dialog::tr("Drive"));
    c.Dir1->setAccessibleName(Dialog::tr("Folders"));
    c.Dir1->setAccessibleDescription(Dialog::tr("Enter, Space or a double-click makes a folder current"));
    c.Text1->setAccessibleName(Dialog::tr("Folder path"));
}

void installAccessibleInterfaces() {
    static const bool installed = (QAccessible::installFactory(&interfaceFor), true);
    Q_UNUSED(installed);
}

}  // namespace quillmere
