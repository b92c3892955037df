// The folder window: how it opens, where, on which folder, and what its OK,
// Cancel and close control hand back to the main window.

#include "calculator_files.h"
#include "dialog.h"
#include "form1.h"
#include "message_catcher.h"
#include "ui_driver.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace quillmere;
using namespace quillmere::testing;

namespace {

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

}  // namespace

class DialogTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void opensFixedAndOnTheWorkingFolder();
    void placesControlsAsLaidOut_data();
    void placesControlsAsLaidOut();
    void movesFocusInTheLaidOutOrder();
    void opensOnceWhenChangeIsPressedTwice();
    void takesAFolderOnlyOnDoubleClick();
    void reloadsAfterCancel_data();
    void reloadsAfterCancel();
    void keepsItsStateAfterOk();
    void takesATypedPathUnchanged_data();
    void takesATypedPathUnchanged();
    void staysOpenOnAMissingFolder();
    void countsAnEmptyFolder();
    void refreshesOnEveryOk();

private:
    std::unique_ptr<QTemporaryDir> working_;
    QString startFolder_;
    std::unique_ptr<Form1> form_;
    std::unique_ptr<UiDriver> ui_;
};

// The working folder holds three calculator files and two subfolders:
// Alpha, with one file, and Empty.
void DialogTest::init() {
    working_ = std::make_unique<QTemporaryDir>();
    QVERIFY(working_->isValid());
    const QDir working(working_->path());
    QVERIFY(working.mkdir(QStringLiteral("Alpha")));
    QVERIFY(working.mkdir(QStringLiteral("Empty")));
    writeCalculatorFile(working_->path(), QStringLiteral("A.000"), "HP39AscA 3 Ant");
    writeCalculatorFile(working_->path(), QStringLiteral("B.000"), "HP39AscA 3 Bee");
    writeCalculatorFile(working_->path(), QStringLiteral("C.000"), "HP39AscA 3 Cat");
    writeCalculatorFile(working.filePath(QStringLiteral("Alpha")), QStringLiteral("X.000"), "HP39AscA 3 Axe");
    startFolder_ = QDir::currentPath();
    QDir::setCurrent(working_->path());

    form_ = std::make_unique<Form1>();
    ui_ = std::make_unique<UiDriver>(*form_);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void DialogTest::cleanup() {
    ui_.reset();
    form_.reset();
    QDir::setCurrent(startFolder_);
    working_.reset();
}

void DialogTest::opensFixedAndOnTheWorkingFolder() {
    ui_->click("Command2");
    Dialog* dialog = ui_->shownDialog();
    QVERIFY(dialog);
    QCOMPARE(form_->erm, 2);
    QCOMPARE(ui_->label("status")->text(), QStringLiteral("Changing folder"));

    QCOMPARE(dialog->windowTitle(), QStringLiteral("Select Folder"));
    QCOMPARE(dialog->windowType(), Qt::Dialog);
    QCOMPARE(dialog->parentWidget(), form_.get());
    QVERIFY(!(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(dialog->minimumSize(), QSize(5775 / 15, 3375 / 15));
    QCOMPARE(dialog->maximumSize(), dialog->minimumSize());
    QCOMPARE(dialog->geometry().topLeft(), form_->screen()->geometry().topLeft() + QPoint(2760 / 15, 3750 / 15));
    QCOMPARE(dialog->focusWidget(), ui_->dialogControl("OKButton"));
    QVERIFY(!ui_->dialogControl<QPushButton>("OKButton")->autoDefault());
    QVERIFY(!ui_->dialogControl<QPushButton>("CancelButton")->autoDefault());

    const QString working = native(working_->path());
    QCOMPARE(ui_->dialogControl<QLineEdit>("Text1")->text(), working);
    QCOMPARE(ui_->dialogControl<QComboBox>("Drive1")->currentText(), native(QStorageInfo(working).rootPath()));
    // The tree runs from the root down to the working folder, then lists its subfolders.
    auto* tree = ui_->dialogControl<QTreeWidget>("Dir1");
    QCOMPARE(tree->topLevelItem(0)->text(0), native(QDir::rootPath()));
    QCOMPARE(tree->currentItem()->text(0), QDir(working).dirName());
    QCOMPARE(tree->currentItem()->childCount(), 2);
    QCOMPARE(tree->currentItem()->child(0)->text(0), QStringLiteral("Alpha"));
}

void DialogTest::placesControlsAsLaidOut_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("caption");

    QTest::newRow("Drive1") << "Drive1" << QRect(240, 360, 5295, 315) << "";
    QTest::newRow("Dir1") << "Dir1" << QRect(240, 720, 5295, 1665) << "";
    QTest::newRow("Text1") << "Text1" << QRect(120, 2640, 5535, 285) << "";
    QTest::newRow("OKButton") << "OKButton" << QRect(3120, 2880, 1215, 375) << "OK";
}

void DialogTest::placesControlsAsLaidOut() {
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    QFETCH(QString, caption);

    ui_->click("Command2");
    const QWidget* control = ui_->dialogControl(qPrintable(name));
    QVERIFY(control);
    const QPoint topLeft = control->mapTo(control->window(), QPoint(0, 0));
    QCOMPARE(QRect(topLeft * 15, control->size() * 15), twips);
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        QCOMPARE(label->text(), caption);
    } else if (const auto* button = qobject_cast<const QPushButton*>(control)) {
        QCOMPARE(button->text(), caption);
    }
}

void DialogTest::movesFocusInTheLaidOutOrder() {
    ui_->click("Command2");
    Dialog* dialog = ui_->shownDialog();
    QApplication::setActiveWindow(dialog);
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QCOMPARE(QApplication::focusWidget(), ui_->dialogControl("OKButton"));

    QStringList order{QApplication::focusWidget()->objectName()};
    for (int step = 0; step < 5; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.append(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(order, (QStringList{"OKButton", "CancelButton", "Dir1", "Drive1", "Text1", "OKButton"}));
}

void DialogTest::opensOnceWhenChangeIsPressedTwice() {
    ui_->click("Command2");
    ui_->typeIntoText1(QStringLiteral("typed"));
    ui_->click("Command2");

    QCOMPARE(ui_->dialogs().size(), 1);
    QVERIFY(ui_->shownDialog());
    QCOMPARE(ui_->dialogControl<QLineEdit>("Text1")->text(), QStringLiteral("typed"));
    QCOMPARE(ui_->label("status")->text(), QStringLiteral("Changing folder"));
}

void DialogTest::takesAFolderOnlyOnDoubleClick() {
    ui_->click("Command2");
    auto* tree = ui_->dialogControl<QTreeWidget>("Dir1");
    auto* text1 = ui_->dialogControl<QLineEdit>("Text1");
    const QString working = native(working_->path());

    ui_->clickFolder(QStringLiteral("Alpha"));
    QCOMPARE(text1->text(), working);

    ui_->doubleClickFolder(QStringLiteral("Alpha"));
    const QString alpha = native(QDir(working_->path()).filePath(QStringLiteral("Alpha")));
    QCOMPARE(text1->text(), alpha);
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Alpha"));
    QCOMPARE(tree->currentItem()->childCount(), 0);

    // Back up to the root: its path keeps its separator.
    ui_->doubleClickFolder(native(QDir::rootPath()));
    QCOMPARE(text1->text(), native(QDir::rootPath()));
}

void DialogTest::reloadsAfterCancel_data() {
    QTest::addColumn<bool>("throughFrame");
    QTest::addColumn<int>("erm");
    QTest::newRow("Cancel") << false << 0;
    QTest::newRow("the frame's close control") << true << 2;
}

void DialogTest::reloadsAfterCancel() {
    QFETCH(bool, throughFrame);
    QFETCH(int, erm);

    ui_->click("Command6");
    ui_->click("Command2");
    ui_->doubleClickFolder(QStringLiteral("Alpha"));
    QPointer<Dialog> closed = ui_->shownDialog();
    if (throughFrame) {
        closed->close();
    } else {
        ui_->clickInDialog("CancelButton");
    }

    QCOMPARE(form_->erm, erm);
    QTRY_VERIFY(closed.isNull());
    QCOMPARE(ui_->label("status")->text(), QStringLiteral("Changing folder"));
    QCOMPARE(ui_->lineEdit("Text2")->text(), native(QDir::rootPath()));
    QVERIFY(ui_->list("List1")->isHidden());
    QCOMPARE(ui_->list("List1")->count(), ui_->list("List2")->count());

    ui_->click("Command2");
    QCOMPARE(ui_->dialogControl<QLineEdit>("Text1")->text(), native(working_->path()));
}

void DialogTest::keepsItsStateAfterOk() {
    ui_->click("Command2");
    Dialog* dialog = ui_->shownDialog();
    ui_->doubleClickFolder(QStringLiteral("Alpha"));
    ui_->clickInDialog("OKButton");
    QVERIFY(dialog->isHidden());
    QCOMPARE(ui_->label("status")->text(), QStringLiteral("Ready"));
    QCOMPARE(ui_->rows("List2"), QStringList{"X.000"});

    ui_->click("Command2");
    QCOMPARE(ui_->shownDialog(), dialog);
    const QString alpha = native(QDir(working_->path()).filePath(QStringLiteral("Alpha")));
    QCOMPARE(ui_->dialogControl<QLineEdit>("Text1")->text(), alpha);
    QCOMPARE(ui_->dialogControl<QTreeWidget>("Dir1")->currentItem()->text(0), QStringLiteral("Alpha"));
}

void DialogTest::takesATypedPathUnchanged_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("files");

    // Relative paths name folders of the working folder.
    QTest::newRow("relative") << "Alpha" << QStringList{"X.000"};
    QTest::newRow("trailing separator") << native("Alpha/") << QStringList{"X.000"};
    QTest::newRow("dot") << "." << QStringList{"A.000", "B.000", "C.000"};
    QTest::newRow("root") << native(QDir::rootPath()) << QStringList{};
}

void DialogTest::takesATypedPathUnchanged() {
    QFETCH(QString, typed);
    QFETCH(QStringList, files);

    ui_->chooseFolder(typed);
    QVERIFY(!ui_->shownDialog());
    QCOMPARE(ui_->lineEdit("Text2")->text(), typed);
    if (!files.isEmpty()) {
        QCOMPARE(ui_->rows("List2"), files);
    }
    QCOMPARE(ui_->label("Label4")->text(),
             QStringLiteral("There are %1 files in this folder").arg(ui_->list("List2")->count()));
}

void DialogTest::staysOpenOnAMissingFolder() {
    ui_->chooseFolder(working_->path());
    const QStringList rows = ui_->rows("List2");

    const MessageCatcher messages;
    const QString missing = native(working_->path() + "/Missing");
    ui_->chooseFolder(missing);

    QCOMPARE(messages.messages().size(), 1);
    QVERIFY2(messages.messages().first().text.contains(missing), qPrintable(messages.messages().first().text));
    QCOMPARE(messages.messages().first().icon, QMessageBox::Critical);
    QVERIFY(ui_->shownDialog());
    QCOMPARE(ui_->dialogControl<QLineEdit>("Text1")->text(), missing);
    QCOMPARE(ui_->lineEdit("Text2")->text(), working_->path());
    QCOMPARE(ui_->rows("List2"), rows);
    QCOMPARE(ui_->label("Label4")->text(), QStringLiteral("There are 3 files in this folder"));
    QCOMPARE(ui_->label("Label1")->text(), QStringLiteral("2"));
    QCOMPARE(ui_->label("status")->text(), QStringLiteral("Changing folder"));
}

void DialogTest::countsAnEmptyFolder() {
    ui_->chooseFolder(QStringLiteral("Empty"));
    QCOMPARE(ui_->label("Label4")->text(), QStringLiteral("There are 0 files in this folder"));
    QCOMPARE(ui_->list("List2")->count(), 0);

    const MessageCatcher messages;
    ui_->click("Command5");
    QVERIFY(messages.messages().isEmpty());
    ui_->click("Command1");
    QCOMPARE(messages.messages().size(), 1);
}

void DialogTest::refreshesOnEveryOk() {
    ui_->chooseFolder(working_->path());
    QCOMPARE(ui_->label("Label1")->text(), QStringLiteral("2"));
    ui_->clickRow(ui_->list("List2"), 1);
    ui_->click("Command1");
    QCOMPARE(ui_->rows("List2"), (QStringList{"B.000", "A.000", "C.000"}));

    ui_->chooseFolder(working_->path());
    QCOMPARE(ui_->label("Label1")->text(), QStringLiteral("3"));
    QCOMPARE(ui_->rows("List2"), (QStringList{"A.000", "B.000", "C.000"}));
    QCOMPARE(ui_->list("List2")->currentRow(), -1);
}

QTEST_MAIN(DialogTest)
#include "dialog_test.moc"
