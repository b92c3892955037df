// The everyday use from start to finish: choose a folder, read the titles,
// order the files, build the directory and check its bytes.

#include "calculator_files.h"
#include "form1.h"
#include "message_catcher.h"
#include "ui_driver.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace quillmere;
using namespace quillmere::testing;

class TypicalUseTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void choosesOrdersAndBuilds_data();
    void choosesOrdersAndBuilds();
    void showsTheTitlesOfBinaryFiles();

private:
    QString startFolder_;
    std::optional<QTemporaryDir> working_;
};

void TypicalUseTest::init() {
    working_.emplace();
    QVERIFY(working_->isValid());
    QVERIFY(QDir(working_->path()).mkdir(QStringLiteral("calc")));
    const QString calc = working_->filePath(QStringLiteral("calc"));
    writeCalculatorFile(calc, QStringLiteral("HELLO.000"), "HP39AscA 5 Hello");
    writeCalculatorFile(calc, QStringLiteral("NOTE.000"), "HP39AscC 8 Reminder");
    startFolder_ = QDir::currentPath();
    QDir::setCurrent(working_->path());
}

void TypicalUseTest::cleanup() {
    QDir::setCurrent(startFolder_);
    working_.reset();
}

void TypicalUseTest::choosesOrdersAndBuilds_data() {
    QTest::addColumn<bool>("moveNoteUp");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QByteArray>("directory");
    QTest::addColumn<QString>("firstEntry");

    // The last row is written first.
    QTest::newRow("as listed") << false << QStringList{"HELLO.000", "NOTE.000"}
                               << QStringList{"Hello", "Reminder"}
                               << QByteArray("HP39AscAC 8 NOTE.0003 RemA 9 HELLO.0005 Hello")
                               << QStringLiteral("A 9 HELLO.0005 Hello");
    QTest::newRow("note moved up") << true << QStringList{"NOTE.000", "HELLO.000"}
                                   << QStringList{"Reminder", "Hello"}
                                   << QByteArray("HP39AscAA 9 HELLO.0005 HelloC 8 NOTE.0003 Rem")
                                   << QStringLiteral("C 8 NOTE.0003 Rem");
}

void TypicalUseTest::choosesOrdersAndBuilds() {
    QFETCH(bool, moveNoteUp);
    QFETCH(QStringList, files);
    QFETCH(QStringList, titles);
    QFETCH(QByteArray, directory);
    QFETCH(QString, firstEntry);

    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const UiDriver ui(form);
    const MessageCatcher messages;

    ui.click("Command2");
    QCOMPARE(ui.label("status")->text(), QStringLiteral("Changing folder"));
    QVERIFY(ui.shownDialog());
    QCOMPARE(ui.dialogControl<QLineEdit>("Text1")->text(), QDir::toNativeSeparators(working_->path()));

    ui.doubleClickFolder(QStringLiteral("calc"));
    const QString calc = QDir::toNativeSeparators(working_->filePath(QStringLiteral("calc")));
    QCOMPARE(ui.dialogControl<QLineEdit>("Text1")->text(), calc);

    ui.clickInDialog("OKButton");
    QVERIFY(!ui.shownDialog());
    QCOMPARE(ui.lineEdit("Text2")->text(), calc);
    QCOMPARE(ui.label("Label4")->text(), QStringLiteral("There are 2 files in this folder"));
    QCOMPARE(ui.label("status")->text(), QStringLiteral("Ready"));
    QCOMPARE(ui.rows("List2"), (QStringList{"HELLO.000", "NOTE.000"}));

    ui.click("Command6");
    QVERIFY(ui.list("List1")->isVisible());
    QCOMPARE(ui.rows("List1"), (QStringList{"Hello", "Reminder"}));
    QCOMPARE(ui.list("List1")->currentRow(), 1);
    QCOMPARE(ui.list("List2")->currentRow(), 1);

    if (moveNoteUp) {
        ui.click("Command1");
    }
    QCOMPARE(ui.rows("List2"), files);
    QCOMPARE(ui.rows("List1"), titles);

    ui.click("Command3");
    QVERIFY(messages.messages().isEmpty());
    QCOMPARE(readFile(calc, QStringLiteral("HP39DIR.000")), directory);
    QCOMPARE(readFile(calc, QStringLiteral("HP39DIR.CUR")), QByteArray("HP39AscA A 11 HP39DIR.0004 Root"));
    QCOMPARE(ui.lineEdit("textt")->text(), QString::fromLatin1(directory));
    QCOMPARE(form.stringg(), firstEntry);
    QCOMPARE(ui.label("status")->text(), QStringLiteral("Ready"));
    QCOMPARE(ui.label("Label3")->text(), QStringLiteral("100%"));
    QCOMPARE(ui.control("progress")->width(), ui.control("Shape1")->width());
    QCOMPARE(ui.list("List2")->currentRow(), 0);
    QCOMPARE(ui.list("List1")->currentRow(), 0);
}

// Published aplets and libraries are stored in the calculator's binary form:
// their titles follow a length byte, never a line.
void TypicalUseTest::showsTheTitlesOfBinaryFiles() {
    const QString published = working_->filePath(QStringLiteral("published"));
    QVERIFY(QDir(working_->path()).mkdir(QStringLiteral("published")));
    writeFile(published, QStringLiteral("LOANTABL.000"), QByteArray("HP39BinB\x0a" "Loan Table\x01\x02"));
    writeFile(published, QStringLiteral("LIB1540L.000"), QByteArray("HP39BinH\x08" "LIB1540L\x03\x04"));
    writeFile(published, QStringLiteral("L9000000.000"), QByteArray("HP39BinE\x02" "L9"));

    Form1 form;
    form.show();
    const UiDriver ui(form);
    const MessageCatcher messages;
    ui.chooseFolder(published);
    ui.click("Command6");
    QCOMPARE(ui.rows("List1"), (QStringList{"L9", "LIB1540L", "Loan Table"}));
    ui.click("Command3");
    QVERIFY(messages.messages().isEmpty());
    QCOMPARE(readFile(published, QStringLiteral("HP39DIR.000")),
             QByteArray("HP39AscA"
                        "B 12 LOANTABL.00010 Loan Table"
                        "H 12 LIB1540L.0008 LIB1540L"
                        "E 12 L9000000.0002 L9"));

    writeFile(published, QStringLiteral("SHORT.000"), QByteArray("HP39BinB\x0a" "Loan"));
    ui.chooseFolder(published);
    ui.click("Command6");
    ui.click("Command3");
    const QString cause = QStringLiteral("Cannot read the title of \"SHORT.000\": the file ends inside its title.");
    QCOMPARE(messages.messages().size(), 2);
    QCOMPARE(messages.messages().at(0).text, cause);
    QCOMPARE(messages.messages().at(1).text, cause);
    QCOMPARE(ui.rows("List1"), (QStringList{"L9", "LIB1540L", "Loan Table"}));
    QCOMPARE(readFile(published, QStringLiteral("HP39DIR.000")).left(20), QByteArray("HP39AscAB 12 LOANTAB"));
}

QTEST_MAIN(TypicalUseTest)
#include "typical_use_test.moc"
