// The main window: how it starts, where both windows place their controls
// and move the focus, the moves and the paired lists, the everyday use
// through to the bytes of the directory files, and files that change after
// being listed.

#include "ui_driver.h"

#include <sys/stat.h>

using namespace quillmere::testing;

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startsReadyOnTheRootFolder() {
        const UiDriver ui;
        QCOMPARE(ui.text("Text2"), QDir::toNativeSeparators(QDir::rootPath()));
        QVERIFY(ui.get<QLineEdit>("Text2")->isReadOnly());  // the folder window alone changes the folder
        QCOMPARE(ui.text("status"), u"Ready"_s);
        QCOMPARE(ui.text("Label3"), u"0%"_s);
        QCOMPARE(ui.get("progress")->width(), 1);
        QCOMPARE(ui.get("progress")->palette().color(QPalette::Window), QColor(0, 192, 192));
        QCOMPARE(ui.text("Label4"), u"There are   files in this folder"_s);
        QVERIFY(ui.get("List1")->isHidden());
        QCOMPARE(ui.get("List1")->geometry(), ui.get("List2")->geometry());
        QCOMPARE(ui.text("textt"), u"Text3"_s);
        QVERIFY(ui.get<QLineEdit>("textt")->maxLength() > 32767);
        QVERIFY(!ui.form.erm.has_value());
        QCOMPARE(ui.text("Label1"), u"1"_s);
    }

    // In twips within the window, so that a control misplaced in its frame,
    // or a frame misplaced, shows.
    void placesControlsAsLaidOut() {
        const UiDriver ui;
        const auto twips = [&ui](const char* name) {
            const QWidget* control = ui.get(name);
            return QRect(control->mapTo(control->window(), QPoint(0, 0)) * 15, control->size() * 15);
        };
        QCOMPARE(ui.form.size() * 15, QSize(4575, 5175));  // leaving textt beyond the right edge
        // Frame1 lies at 120,120, Frame2 at 120,2640.
        QCOMPARE(twips("Text2"), QRect(1920, 480, 2295, 285));
        QCOMPARE(twips("List1"), QRect(360, 2880, 2775, 2010));
        QCOMPARE(twips("Command5"), QRect(3480, 3720, 375, 375));
        QCOMPARE(twips("textt"), QRect(4800, 4560, 4095, 495));

        ui.click("Command2");
        // The folder window's own Frame1 lies at 120,120.
        QCOMPARE(twips("Drive1"), QRect(240, 360, 5295, 315));
        QCOMPARE(twips("OKButton"), QRect(3120, 2880, 1215, 375));
        const QWidget* dialog = ui.shownDialog();
        QCOMPARE(dialog->geometry().translated(-dialog->screen()->geometry().topLeft()),
                 QRect(2760 / 15, 3750 / 15, 5775 / 15, 3375 / 15));
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        QVERIFY(!(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    }

    void movesFocusInTheLaidOutOrder() {
        const auto tabStops = [](QWidget* window, qsizetype count) {
            QApplication::setActiveWindow(window);
            QStringList seen{QTest::qWaitForWindowActive(window) ? QApplication::focusWidget()->objectName() : ""};
            while (seen.size() < count) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                seen.append(QApplication::focusWidget()->objectName());
            }
            return seen;
        };
        UiDriver ui;
        ui.click("Command6");  // shows List1, the last stop
        ui.get("Text2")->setFocus();
        const QStringList main{"Text2",    "Command2", "Command3", "Command4", "textt", "List2",
                               "Command1", "Command5", "Command6", "List1",    "Text2"};
        QCOMPARE(tabStops(&ui.form, main.size()), main);
        ui.click("Command2");
        const QStringList folder{"OKButton", "CancelButton", "Dir1", "Drive1", "Text1", "OKButton"};
        QCOMPARE(tabStops(ui.shownDialog(), folder.size()), folder);
    }

    void moves_data() {
        QTest::addColumn<QString>("list");  // List1 once "Get Names" has shown it
        QTest::addColumn<int>("clickedRow");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("rows");  // of List2, then of List1
        QTest::addColumn<int>("selectedRow");
        const QStringList bac{"B.000", "A.000", "C.000"};
        QTest::newRow("up, files alone") << "List2" << 1 << "Command1" << bac << 0;
        QTest::newRow("down, files alone") << "List2" << 0 << "Command5" << bac << 1;
        QTest::newRow("up, with titles") << "List1" << 1 << "Command1" << bac + QStringList{"Bee", "Ant", "Cat"} << 0;
        QTest::newRow("down, with titles")
            << "List1" << 1 << "Command5" << QStringList{"A.000", "C.000", "B.000", "Ant", "Cat", "Bee"} << 2;
        QTest::newRow("up at the top") << "List1" << 0 << "Command1" << kFiles + kTitles << 0;
        QTest::newRow("down at the bottom") << "List2" << 2 << "Command5" << kFiles << 2;
        QTest::newRow("up, nothing selected") << "List2" << -1 << "Command1" << kFiles << -1;
        QTest::newRow("down, nothing selected") << "List2" << -1 << "Command5" << kFiles << -1;
    }

    void moves() {
        QFETCH(QString, list);
        QFETCH(int, clickedRow);
        QFETCH(QString, button);
        QFETCH(QStringList, rows);
        QFETCH(int, selectedRow);
        UiDriver ui;
        ui.chooseFolder(ui.path());
        const bool withTitles = list == u"List1"_s;
        if (withTitles) {
            ui.click("Command6");
        }
        if (clickedRow >= 0) {
            ui.clickRow(list, clickedRow);
        }
        ui.click(button);
        QCOMPARE(ui.rows("List2") + ui.rows("List1"), rows);
        QCOMPARE(ui.row("List2"), selectedRow);
        QCOMPARE(ui.row("List1"), withTitles ? selectedRow : -1);
        // Silent at the edges too; with nothing selected, a box asks for a row.
        QCOMPARE(ui.texts, clickedRow < 0 ? QStringList{"Please select an item to move"} : QStringList{});
        for (const UiDriver::Message& box : ui.messages) {
            QCOMPARE(box.title, u"Error"_s);
            QCOMPARE(box.icon, QMessageBox::Critical);
            QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        }
    }

    void pairsTheSelectionsOfBothLists() {
        UiDriver ui;
        ui.chooseFolder(ui.path());
        ui.clickRow("List2", 1);  // before the titles are read
        QCOMPARE(ui.rows("List1"), QStringList{});
        QCOMPARE(ui.row("List1"), -1);

        ui.click("Command6");
        ui.clickRow("List1", 0);
        QCOMPARE(ui.row("List2"), 0);
        QVERIFY(ui.get<QAbstractItemView>("List2")->selectionModel()->isRowSelected(0));
        ui.get("List1")->setFocus();
        QTest::keyClick(ui.get("List1"), Qt::Key_Down);
        QCOMPARE(ui.row("List2"), 1);

        // "Change" hides the titles; the file list, now seen, still leads them.
        ui.click("Command2");
        QVERIFY(ui.get("List1")->isHidden());
        ui.clickRow("List2", 2);
        QCOMPARE(ui.row("List1"), 2);
    }

    void choosesOrdersAndBuilds() {
        UiDriver ui;
        const QString calc = ui.path(u"calc"_s);
        writeCalculatorFile(calc + u"/HELLO.000"_s, "HP39AscA 5 Hello");
        writeCalculatorFile(calc + u"/NOTE.000"_s, "HP39AscC 8 Reminder");

        ui.click("Command2");
        ui.clickFolder(u"calc"_s);
        QCOMPARE(ui.text("Text1"), ui.path());  // the working folder: a single click only highlights
        ui.clickFolder(u"calc"_s, 2);
        ui.click("OKButton");
        QCOMPARE(ui.text("Text2"), calc);
        QCOMPARE(ui.text("Label4"), u"There are 2 files in this folder"_s);

        ui.click("Command6");
        QCOMPARE(ui.rows("List1"), (QStringList{"Hello", "Reminder"}));
        QCOMPARE(ui.row("List2"), 1);
        ui.click("Command3");
        // The last row is written first; a note's title keeps three characters.
        const QByteArray listed = "HP39AscAC 8 NOTE.0003 RemA 9 HELLO.0005 Hello"_ba;
        QCOMPARE(directoryFiles(calc), (QByteArrayList{listed, "HP39AscA A 11 HP39DIR.0004 Root"}));
        QCOMPARE(ui.directoryText(), QString::fromLatin1(listed));
        QCOMPARE(ui.text("Label3"), u"100%"_s);
        QCOMPARE(ui.get("progress")->width(), ui.get("Shape1")->width());
        QCOMPARE(ui.text("status"), u"Ready"_s);
        QCOMPARE(ui.row("List2"), 0);
        QCOMPARE(ui.row("List1"), 0);

        ui.click("Command5");  // the build left Hello selected
        QCOMPARE(ui.rows("List1"), (QStringList{"Reminder", "Hello"}));
        ui.click("Command3");
        QCOMPARE(readFile(calc + u"/HP39DIR.000"_s), "HP39AscAA 9 HELLO.0005 HelloC 8 NOTE.0003 Rem"_ba);
    }

    // Published aplets, libraries and lists are stored in the calculator's
    // binary form: their titles follow a length byte, never a line.
    void showsTheTitlesOfBinaryFiles() {
        UiDriver ui;
        const QString bin = ui.path(u"bin"_s);
        writeFile(bin + u"/LOANTABL.000"_s, "HP39BinB\x0a" "Loan Table\x01\x02"_ba);
        writeFile(bin + u"/LIB1540L.000"_s, "HP39BinH\x08" "LIB1540L\x03\x04"_ba);
        writeFile(bin + u"/L9000000.000"_s, "HP39BinE\x02" "L9"_ba);
        ui.chooseFolder(bin);
        ui.click("Command6");
        const QStringList titles{"L9", "LIB1540L", "Loan Table"};
        QCOMPARE(ui.rows("List1"), titles);
        ui.click("Command3");
        const QByteArray built = "HP39AscA" "B 12 LOANTABL.00010 Loan Table" "H 12 LIB1540L.0008 LIB1540L"
                                 "E 12 L9000000.0002 L9"_ba;
        QCOMPARE(readFile(bin + u"/HP39DIR.000"_s), built);

        // Sorted last, a file too short for its title stops both actions there.
        writeFile(bin + u"/SHORT.000"_s, "HP39BinB\x0a" "Loan"_ba);
        ui.chooseFolder(bin);
        ui.click("Command6");
        ui.click("Command3");
        const QString cause = u"Cannot read the title of \"SHORT.000\": the file ends inside its title."_s;
        QCOMPARE(ui.texts, (QStringList{cause, cause}));
        QCOMPARE(ui.rows("List1"), titles);
        QCOMPARE(readFile(bin + u"/HP39DIR.000"_s), built);
    }

    void writesALongDirectoryTextWhole() {
        UiDriver ui;
        const QString many = ui.path(u"many"_s);
        const QByteArray title(99, 't');
        QByteArray expected;
        for (int i = 1000; i < 1250; ++i) {
            const QByteArray name = QByteArray(80, 'N') + QByteArray::number(i) + ".000";
            writeCalculatorFile(many + '/' + QString::fromLatin1(name), "HP39AscB 99 " + title);
            expected.prepend("B 88 " + name + "99 " + title);  // the last row first
        }
        expected.prepend("HP39AscA");  // 48,758 bytes in all
        ui.chooseFolder(many);
        ui.click("Command3");
        QCOMPARE(ui.directoryText(), QString::fromLatin1(expected));
        QCOMPARE(readFile(many + u"/HP39DIR.000"_s), expected);
    }

    // Exit, then the frame's close control, with the folder window open.
    void endsTheProgramWithoutWriting() {
        UiDriver ui;
        ui.chooseFolder(ui.path());
        ui.click("Command2");
        const QObject hangGuard;  // fails the test rather than hanging it
        QTimer::singleShot(10000, &hangGuard, [] { QCoreApplication::exit(1); });
        QTimer::singleShot(0, &ui.form, [&ui] { ui.click("Command4"); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(ui.shownDialog());
        QTimer::singleShot(0, &ui.form, [&ui] { ui.form.close(); });
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(directoryFiles(ui.path()), kEarlier);
    }

    void reportsAFileChangedAfterListing_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("fifo");
        QTest::newRow("deleted, Get Names") << "Command6" << false;
        QTest::newRow("deleted, Create DIR") << "Command3" << false;
        QTest::newRow("a FIFO, Get Names") << "Command6" << true;
        QTest::newRow("a FIFO, Create DIR") << "Command3" << true;
    }

    void reportsAFileChangedAfterListing() {
        QFETCH(QString, button);
        QFETCH(bool, fifo);
        UiDriver ui;
        ui.chooseFolder(ui.path());
        const QString b = ui.path(u"B.000"_s);
        QVERIFY(QFile::remove(b));
        // Opened as a plain file, a FIFO would wait for a writer for ever.
        QVERIFY(!fifo || ::mkfifo(QFile::encodeName(b).constData(), 0600) == 0);
        ui.click(button);
        const QString cause = fifo ? u"it is not a regular file"_s : u"no such file or directory"_s;
        QCOMPARE(ui.texts, QStringList{u"Cannot read the header line of \"B.000\": %1."_s.arg(cause)});
        QCOMPARE(directoryFiles(ui.path()), kEarlier);
        const QStringList withoutB{"A.000", "C.000", "Empty", "HP39DIR.000", "HP39DIR.CUR"};
        QCOMPARE(entries(ui.path()), fifo ? kEntries : withoutB);
        if (button == u"Command3"_s) {
            // The build runs without returning to the event loop, last row
            // first: where it stopped is what the user is left with.
            QCOMPARE(ui.text("status"), u"Adding B.000"_s);
            QCOMPARE(ui.row("List2"), 1);
            QCOMPARE(ui.directoryText(), u"HP39AscAA 5 C.0003 Cat"_s);
            QCOMPARE(ui.text("Label3"), u"33.3333333333333%"_s);
            QCOMPARE(ui.get("progress")->width(), 54);  // a third of 2415 twips, 53.7 pixels
        }

        // With the file back, the same window builds the folder.
        QVERIFY(!fifo || QFile::remove(b));
        writeCalculatorFile(b, "HP39AscA 3 Bee");
        ui.click("Command3");
        QCOMPARE(directoryFiles(ui.path()), kBuilt);
        QCOMPARE(entries(ui.path()), kEntries);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
