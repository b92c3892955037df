// The main window on its own: its initial state and layout, the moves, and
// how a build shows its result and its failures.

#include "calculator_files.h"
#include "form1.h"
#include "message_catcher.h"
#include "ui_driver.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <limits>
#include <memory>

using namespace quillmere;
using namespace quillmere::testing;

namespace {

// The caption a user reads on a control.
QString caption(const QWidget* control) {
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        return label->text();
    }
    if (const auto* button = qobject_cast<const QPushButton*>(control)) {
        return button->text();
    }
    if (const auto* frame = qobject_cast<const QGroupBox*>(control)) {
        return frame->title();
    }
    if (const auto* field = qobject_cast<const QLineEdit*>(control)) {
        return field->text();
    }
    return {};
}

// A rectangle in twips within a frame, in twips within the window.
QRect inFrame(QPoint frame, int left, int top, int width, int height) {
    return QRect(frame.x() + left, frame.y() + top, width, height);
}

QRect twipsInWindow(const QWidget* control) {
    const QPoint topLeft = control->mapTo(control->window(), QPoint(0, 0));
    return QRect(topLeft * 15, control->size() * 15);
}

class ShownForm {
public:
    ShownForm() : ui(form) {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }
    Form1 form;
    UiDriver ui;
};

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT

private slots:
    void init();
    void startsReadyOnTheRootFolder();
    void placesControlsAsLaidOut_data();
    void placesControlsAsLaidOut();
    void movesFocusInTheLaidOutOrder();
    void moves_data();
    void moves();
    void pairsTheSelectionsOfBothLists();
    void keepsWhatABuildReachedWhenAFileFails();
    void writesALongDirectoryTextWhole();
    void endsTheProgramWithoutWriting_data();
    void endsTheProgramWithoutWriting();

private:
    std::unique_ptr<QTemporaryDir> folder_;
};

void Form1Test::init() {
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    writeCalculatorFile(folder_->path(), QStringLiteral("A.000"), "HP39AscA 3 Ant");
    writeCalculatorFile(folder_->path(), QStringLiteral("B.000"), "HP39AscA 3 Bee");
    writeCalculatorFile(folder_->path(), QStringLiteral("C.000"), "HP39AscA 3 Cat");
}

void Form1Test::startsReadyOnTheRootFolder() {
    ShownForm shown;
    const UiDriver& ui = shown.ui;
    QCOMPARE(shown.form.windowTitle(), QStringLiteral("Quillmere"));
    QCOMPARE(shown.form.size(), QSize(4575 / 15, 5175 / 15));
    QCOMPARE(ui.lineEdit("Text2")->text(), QDir::toNativeSeparators(QDir::rootPath()));
    QVERIFY(ui.lineEdit("Text2")->isReadOnly());
    QCOMPARE(ui.label("Label1")->text(), QStringLiteral("1"));
    QVERIFY(ui.label("Label1")->isHidden());
    QCOMPARE(ui.label("status")->text(), QStringLiteral("Ready"));
    QCOMPARE(ui.label("status")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    QCOMPARE(ui.label("Label3")->text(), QStringLiteral("0%"));
    QCOMPARE(ui.label("Label3")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QCOMPARE(ui.control("progress")->width(), 1);
    QCOMPARE(ui.control("progress")->palette().color(QPalette::Window), QColor(0, 192, 192));
    QCOMPARE(ui.label("Label4")->text(), QStringLiteral("There are   files in this folder"));
    QVERIFY(ui.list("List1")->isHidden());
    QCOMPARE(ui.list("List1")->geometry(), ui.list("List2")->geometry());
    QCOMPARE(ui.list("List1")->count(), 0);
    QCOMPARE(ui.list("List2")->currentRow(), -1);
    QCOMPARE(ui.lineEdit("textt")->text(), QStringLiteral("Text3"));
    QCOMPARE(ui.lineEdit("textt")->maxLength(), std::numeric_limits<int>::max());
    QVERIFY(!shown.form.erm.has_value());
}

void Form1Test::placesControlsAsLaidOut_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("text");

    const QPoint frame1(120, 120);
    const QPoint frame2(120, 2640);
    QTest::newRow("Frame1") << "Frame1" << QRect(120, 120, 4335, 2415) << "Options";
    QTest::newRow("Text2") << "Text2" << inFrame(frame1, 1800, 360, 2295, 285)
                           << QDir::toNativeSeparators(QDir::rootPath());
    QTest::newRow("Command3") << "Command3" << inFrame(frame1, 120, 1200, 1215, 495) << "Create DIR";
    QTest::newRow("progress") << "progress" << inFrame(frame1, 1680, 1080, 15, 255) << "";
    QTest::newRow("Label3") << "Label3" << inFrame(frame1, 1680, 1080, 2415, 255) << "0%";
    QTest::newRow("status") << "status" << inFrame(frame1, 2400, 1440, 1695, 255) << "Ready";
    QTest::newRow("List1") << "List1" << inFrame(frame2, 240, 240, 2775, 2010) << "";
    QTest::newRow("Command5") << "Command5" << QRect(3480, 3720, 375, 375) << "";
    QTest::newRow("textt") << "textt" << QRect(4800, 4560, 4095, 495) << "Text3";
}

void Form1Test::placesControlsAsLaidOut() {
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    QFETCH(QString, text);

    ShownForm shown;
    const QWidget* control = shown.ui.control(qPrintable(name));
    QVERIFY(control);
    QCOMPARE(twipsInWindow(control), twips);
    QCOMPARE(caption(control), text);
}

void Form1Test::movesFocusInTheLaidOutOrder() {
    ShownForm shown;
    QApplication::setActiveWindow(&shown.form);
    QVERIFY(QTest::qWaitForWindowActive(&shown.form));
    shown.ui.click("Command6");  // Shows the title list, the last stop.
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Command6"));
    shown.ui.lineEdit("Text2")->setFocus();

    QStringList order{QApplication::focusWidget()->objectName()};
    for (int step = 0; step < 10; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.append(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(order, (QStringList{"Text2", "Command2", "Command3", "Command4", "textt", "List2", "Command1",
                                 "Command5", "Command6", "List1", "Text2"}));
}

void Form1Test::moves_data() {
    QTest::addColumn<bool>("withTitles");
    QTest::addColumn<int>("clickedRow");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<int>("selectedRow");
    QTest::addColumn<bool>("asksForSelection");

    const QStringList abc{"A.000", "B.000", "C.000"};
    const QStringList titles{"Ant", "Bee", "Cat"};
    QTest::newRow("up, files alone") << false << 1 << "Command1" << QStringList{"B.000", "A.000", "C.000"}
                                     << QStringList{} << 0 << false;
    QTest::newRow("down, files alone") << false << 0 << "Command5" << QStringList{"B.000", "A.000", "C.000"}
                                       << QStringList{} << 1 << false;
    QTest::newRow("up, with titles") << true << 1 << "Command1" << QStringList{"B.000", "A.000", "C.000"}
                                     << QStringList{"Bee", "Ant", "Cat"} << 0 << false;
    QTest::newRow("down, with titles") << true << 1 << "Command5" << QStringList{"A.000", "C.000", "B.000"}
                                       << QStringList{"Ant", "Cat", "Bee"} << 2 << false;
    QTest::newRow("up at the top") << true << 0 << "Command1" << abc << titles << 0 << false;
    QTest::newRow("down at the bottom") << false << 2 << "Command5" << abc << QStringList{} << 2 << false;
    QTest::newRow("up, nothing selected") << false << -1 << "Command1" << abc << QStringList{} << -1 << true;
    QTest::newRow("down, nothing selected") << false << -1 << "Command5" << abc << QStringList{} << -1 << true;
}

void Form1Test::moves() {
    QFETCH(bool, withTitles);
    QFETCH(int, clickedRow);
    QFETCH(QString, button);
    QFETCH(QStringList, files);
    QFETCH(QStringList, titles);
    QFETCH(int, selectedRow);
    QFETCH(bool, asksForSelection);

    ShownForm shown;
    const UiDriver& ui = shown.ui;
    ui.chooseFolder(folder_->path());
    if (withTitles) {
        ui.click("Command6");
    }
    if (clickedRow >= 0) {
        ui.clickRow(ui.list(withTitles ? "List1" : "List2"), clickedRow);
    }

    const MessageCatcher messages;
    ui.click(qPrintable(button));

    QCOMPARE(ui.rows("List2"), files);
    QCOMPARE(ui.rows("List1"), titles);
    QCOMPARE(ui.list("List2")->currentRow(), selectedRow);
    QCOMPARE(ui.list("List1")->currentRow(), withTitles ? selectedRow : -1);
    if (asksForSelection) {
        QCOMPARE(messages.messages().size(), 1);
        const CaughtMessage& message = messages.messages().first();
        QCOMPARE(message.text, QStringLiteral("Please select an item to move"));
        QCOMPARE(message.title, QStringLiteral("Error"));
        QCOMPARE(message.icon, QMessageBox::Critical);
        QCOMPARE(message.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
    } else {
        QVERIFY(messages.messages().isEmpty());
    }
}

void Form1Test::pairsTheSelectionsOfBothLists() {
    ShownForm shown;
    const UiDriver& ui = shown.ui;
    ui.chooseFolder(folder_->path());

    ui.clickRow(ui.list("List2"), 1);
    QCOMPARE(ui.list("List1")->count(), 0);
    QCOMPARE(ui.list("List1")->currentRow(), -1);

    ui.click("Command6");
    ui.clickRow(ui.list("List1"), 0);
    QCOMPARE(ui.list("List2")->currentRow(), 0);
    QVERIFY(ui.list("List2")->item(0)->isSelected());

    ui.list("List1")->setFocus();
    QTest::keyClick(ui.list("List1"), Qt::Key_Down);
    QCOMPARE(ui.list("List2")->currentRow(), 1);

    // "Change" hides the titles; the file list, now seen, still leads them.
    ui.click("Command2");
    QVERIFY(ui.list("List1")->isHidden());
    QCOMPARE(ui.rows("List1"), (QStringList{"Ant", "Bee", "Cat"}));
    ui.clickRow(ui.list("List2"), 2);
    QCOMPARE(ui.list("List1")->currentRow(), 2);
}

void Form1Test::keepsWhatABuildReachedWhenAFileFails() {
    writeFile(folder_->path(), QStringLiteral("B.000"), QByteArray());
    ShownForm shown;
    const UiDriver& ui = shown.ui;
    ui.chooseFolder(folder_->path());

    const MessageCatcher messages;
    ui.click("Command3");

    QCOMPARE(messages.messages().size(), 1);
    QVERIFY2(messages.messages().first().text.contains(QStringLiteral("B.000")),
             qPrintable(messages.messages().first().text));
    QCOMPARE(messages.messages().first().icon, QMessageBox::Critical);
    QCOMPARE(ui.label("status")->text(), QStringLiteral("Adding B.000"));
    QCOMPARE(ui.list("List2")->currentRow(), 1);
    QCOMPARE(ui.lineEdit("textt")->text(), QStringLiteral("HP39AscAA 5 C.0003 Cat"));
    QCOMPARE(ui.label("Label3")->text(), QStringLiteral("33.3333333333333%"));
    // A third of 2415 twips is 805, 53.7 pixels.
    QCOMPARE(ui.control("progress")->width(), 54);
    QVERIFY(!QFile::exists(QDir(folder_->path()).filePath(QStringLiteral("HP39DIR.000"))));
}

void Form1Test::writesALongDirectoryTextWhole() {
    QTemporaryDir many;
    const QString title(99, QLatin1Char('t'));
    QByteArray expected;
    for (int i = 0; i < 250; ++i) {
        const QString name = QStringLiteral("%1_%2.000").arg(QString(80, QLatin1Char('N'))).arg(i, 3, 10, QLatin1Char('0'));
        writeCalculatorFile(many.path(), name, "HP39AscB 99 " + title.toLatin1());
        // Written last row first: each entry goes before those of the rows above.
        expected.prepend("B 88 " + name.toLatin1() + "99 " + title.toLatin1());
    }
    expected.prepend("HP39AscA");
    QVERIFY(expected.size() > 40000);

    ShownForm shown;
    const UiDriver& ui = shown.ui;
    ui.chooseFolder(many.path());
    ui.click("Command3");

    QCOMPARE(ui.lineEdit("textt")->text().size(), expected.size());
    QCOMPARE(ui.lineEdit("textt")->text(), QString::fromLatin1(expected));
    QCOMPARE(readFile(many.path(), QStringLiteral("HP39DIR.000")), expected);
    QCOMPARE(ui.label("Label3")->text(), QStringLiteral("100%"));
    QCOMPARE(ui.label("status")->text(), QStringLiteral("Ready"));
}

void Form1Test::endsTheProgramWithoutWriting_data() {
    QTest::addColumn<bool>("throughFrame");
    QTest::newRow("Exit") << false;
    QTest::newRow("the frame's close control") << true;
}

void Form1Test::endsTheProgramWithoutWriting() {
    QFETCH(bool, throughFrame);
    ShownForm shown;
    shown.ui.chooseFolder(folder_->path());
    shown.ui.click("Command2");
    QVERIFY(shown.ui.shownDialog());

    QTimer::singleShot(0, &shown.form, [&] {
        if (throughFrame) {
            shown.form.close();
        } else {
            shown.ui.click("Command4");
        }
    });
    QTimer failsafe;
    failsafe.callOnTimeout([] { QCoreApplication::exit(1); });
    failsafe.start(10000);
    QCOMPARE(QApplication::exec(), 0);

    QCOMPARE(QDir(folder_->path()).entryList(QDir::Files),
             (QStringList{"A.000", "B.000", "C.000"}));
}

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
