// The main window: how it starts, where both windows place their controls,
// the keyboard, the moves and the paired lists, a build through to the bytes
// of the directory files, and files that change after being listed.

#include "tests/ui/ui_driver.h"

#include <sys/stat.h>

using namespace quillmere::testing;

namespace {

// Each control's place in its container, in twips, as the windows are laid out.
struct Placed { const char* name; const char* container; QRect twips; };
const Placed kForm1Layout[] = {
    {f::Frame1, f::Form1, {120, 120, 4335, 2415}},    {f::Label2, f::Frame1, {120, 360, 1575, 255}},
    {f::Text2, f::Frame1, {1800, 360, 2295, 285}},    {f::Command2, f::Frame1, {120, 720, 1215, 375}},
    {f::Label4, f::Frame1, {1680, 720, 2415, 255}},   {f::Command3, f::Frame1, {120, 1200, 1215, 495}},
    {f::Shape1, f::Frame1, {1680, 1080, 2415, 255}},  {f::progress, f::Frame1, {1680, 1080, 15, 255}},
    {f::Label3, f::Frame1, {1680, 1080, 2415, 255}},  {f::Label5, f::Frame1, {1680, 1440, 615, 255}},
    {f::status, f::Frame1, {2400, 1440, 1695, 255}},  {f::Command4, f::Frame1, {120, 1800, 1215, 375}},
    {f::Frame2, f::Form1, {120, 2640, 4335, 2415}},   {f::List2, f::Frame2, {240, 240, 2775, 2010}},
    {f::List1, f::Frame2, {240, 240, 2775, 2010}},    {f::Command1, f::Frame2, {3360, 360, 375, 375}},
    {f::Command5, f::Form1, {3480, 3720, 375, 375}},  {f::Command6, f::Frame2, {3120, 1920, 975, 375}},
    {f::textt, f::Form1, {4800, 4560, 4095, 495}}};
const Placed kDialogLayout[] = {
    {d::Frame1, d::Dialog, {120, 120, 5535, 2415}},   {d::Drive1, d::Frame1, {120, 240, 5295, 315}},
    {d::Dir1, d::Frame1, {120, 600, 5295, 1665}},     {d::Text1, d::Dialog, {120, 2640, 5535, 285}},
    {d::Label1, d::Dialog, {120, 3000, 2895, 255}},   {d::OKButton, d::Dialog, {3120, 2880, 1215, 375}},
    {d::CancelButton, d::Dialog, {4440, 2880, 1215, 375}}};

// "name left,top,width,height" for each control, as found or as laid out.
template <std::size_t count>
QStringList places(const QWidget* window, const Placed (&layout)[count], bool found) {
    QStringList lines;
    for (const Placed& placed : layout) {
        const auto* control = window->findChild<QWidget*>(QLatin1String(placed.name));
        const auto* container = window->findChild<QWidget*>(QLatin1String(placed.container));
        const QRect r = found ? QRect(control->mapTo(container ? container : window, QPoint()) * 15,
                                      control->size() * 15)
                              : placed.twips;
        lines.append(u"%1 %2,%3,%4,%5"_s.arg(placed.name).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()));
    }
    return lines;
}

// The object names of the focus after each Tab, from the window's focus on.
QStringList tabStops(QWidget* window, qsizetype count) {
    QApplication::setActiveWindow(window);
    QStringList seen{QTest::qWaitForWindowActive(window) ? QApplication::focusWidget()->objectName() : ""};
    while (seen.size() < count) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        seen.append(QApplication::focusWidget()->objectName());
    }
    return seen;
}

void key(Qt::Key pressed, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(QApplication::focusWidget(), pressed, modifiers);
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startsOnItsFolder_data() {
        QTest::addColumn<std::optional<QString>>("startFolder");
        QTest::addColumn<bool>("listed");  // or the root folder, after a message
        QTest::newRow("none given") << std::optional<QString>() << false;
        QTest::newRow("a folder") << std::optional(u""_s) << true;
        QTest::newRow("one that cannot be listed") << std::optional(u"Missing"_s) << false;
    }

    void startsOnItsFolder() {
        QFETCH(std::optional<QString>, startFolder);
        QFETCH(bool, listed);
        const UiDriver ui(startFolder);
        const QString message = u"Cannot list the folder \"%1\": no such file or directory."_s;
        QCOMPARE(ui.texts, startFolder && !listed ? QStringList{message.arg(ui.path(*startFolder))} : QStringList{});
        QCOMPARE(ui.text(f::Text2), listed ? ui.path() : QDir::toNativeSeparators(QDir::rootPath()));
        QCOMPARE(ui.rows(f::List2) == kFiles, listed);
        QCOMPARE((QStringList{ui.text(f::Label1), ui.text(f::status)}), (QStringList{"1", "Ready"}));
        QCOMPARE(ui.form->erm(), quillmere::FolderWindowMode::Unset);
    }

    void placesControlsAsLaidOut() {
        const UiDriver ui;
        ui.click(f::Command2);
        const QWidget* dialog = ui.shownDialog();
        QCOMPARE(places(&*ui.form, kForm1Layout, true), places(&*ui.form, kForm1Layout, false));
        QCOMPARE(places(dialog, kDialogLayout, true), places(dialog, kDialogLayout, false));
        QCOMPARE(ui.form->size() * 15, QSize(4575, 5175));
        QCOMPARE(dialog->geometry().translated(-dialog->screen()->geometry().topLeft()),
                 QRect(2760 / 15, 3750 / 15, 5775 / 15, 3375 / 15));
    }

    // Tab skips textt, out of view; Enter and Space reach every action.
    void worksFromTheKeyboardAlone() {
        UiDriver ui;
        ui.click(f::Command6);  // shows List1, the last stop
        ui.get(f::Text2)->setFocus();
        const QStringList main{"Text2", "Command2", "Command3", "Command4", "List2",
                               "Command1", "Command5", "Command6", "List1", "Text2", "Command2"};
        QCOMPARE(tabStops(&*ui.form, main.size()), main);
        key(Qt::Key_Return);
        const QStringList folder{"OKButton", "CancelButton", "Dir1", "Drive1", "Text1", "OKButton",
                                 "CancelButton", "Dir1"};
        QCOMPARE(tabStops(ui.shownDialog(), folder.size()), folder);
        key(Qt::Key_Down);  // highlights the first subfolder, Empty
        QCOMPARE(ui.text(d::Text1), ui.path());
        key(Qt::Key_Space);
        QCOMPARE(ui.text(d::Text1), ui.path(u"Empty"_s));
        key(Qt::Key_Up);
        key(Qt::Key_Return);
        QCOMPARE(ui.text(d::Text1), ui.path());
        ui.get(d::OKButton)->setFocus();
        key(Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(ui.rows(f::List2), kFiles);
        QCOMPARE(ui.text(f::Label4), u"There are 3 files in this folder"_s);
        ui.get(f::Command3)->setFocus();
        key(Qt::Key_Return);
        QCOMPARE(directoryFiles(ui.path()), kBuilt);
        // The build ends with a full bar and "Ready".
        QCOMPARE((QStringList{ui.text(f::Label3), ui.text(f::status)}), (QStringList{"100%", "Ready"}));
        QCOMPARE(ui.get(f::progress)->width(), ui.get(f::Shape1)->width());
        QCOMPARE(ui.texts, QStringList{});
    }

    void moves_data() {
        QTest::addColumn<QByteArray>("list");  // List1 once "Get Names" has shown it
        QTest::addColumn<int>("clickedRow");
        QTest::addColumn<QString>("press");  // an arrow button or its key
        QTest::addColumn<QStringList>("rows");  // of List2, then of List1
        QTest::addColumn<int>("selectedRow");
        const QStringList bac{"B.000", "A.000", "C.000"};
        const QByteArray files = f::List2, titles = f::List1;
        QTest::newRow("up, files alone") << files << 1 << "Command1" << bac << 0;
        QTest::newRow("Ctrl+Down, files alone") << files << 0 << "Ctrl+Down" << bac << 1;
        QTest::newRow("Ctrl+Up, with titles") << titles << 1 << "Ctrl+Up" << bac + QStringList{"Bee", "Ant", "Cat"} << 0;
        QTest::newRow("down, with titles")
            << titles << 1 << "Command5" << QStringList{"A.000", "C.000", "B.000", "Ant", "Cat", "Bee"} << 2;
        QTest::newRow("up at the top") << titles << 0 << "Command1" << kFiles + kTitles << 0;
        QTest::newRow("Ctrl+Down at the bottom") << files << 2 << "Ctrl+Down" << kFiles << 2;
        QTest::newRow("up, nothing selected") << files << -1 << "Command1" << kFiles << -1;
        QTest::newRow("Ctrl+Down, nothing selected") << files << -1 << "Ctrl+Down" << kFiles << -1;
    }

    void moves() {
        QFETCH(QByteArray, list);
        QFETCH(int, clickedRow);
        QFETCH(QString, press);
        QFETCH(QStringList, rows);
        QFETCH(int, selectedRow);
        UiDriver ui(u""_s);
        const bool withTitles = list == f::List1;
        if (withTitles) {
            ui.click(f::Command6);
        }
        if (clickedRow >= 0) {
            ui.clickRow(list, clickedRow);
        }
        if (press.startsWith(u"Ctrl"_s)) {
            QVERIFY(QTest::qWaitForWindowActive(&*ui.form));
            key(press.endsWith(u"Up"_s) ? Qt::Key_Up : Qt::Key_Down, Qt::ControlModifier);
        } else {
            ui.click(press.toLatin1());
        }
        QCOMPARE(ui.rows(f::List2) + ui.rows(f::List1), rows);
        QCOMPARE(ui.row(f::List2), selectedRow);
        QCOMPARE(ui.row(f::List1), withTitles ? selectedRow : -1);
        // Silent at the edges too; with nothing selected, a box asks for a row.
        QCOMPARE(ui.texts, clickedRow < 0 ? QStringList{"Please select an item to move"} : QStringList{});
    }

    void pairsTheSelectionsOfBothLists() {
        UiDriver ui(u""_s);
        ui.clickRow(f::List2, 1);  // before the titles are read
        QCOMPARE(ui.row(f::List1), -1);
        ui.click(f::Command6);
        ui.clickRow(f::List1, 0);
        QCOMPARE(ui.row(f::List2), 0);
        key(Qt::Key_Down);
        QCOMPARE(ui.row(f::List2), 1);
        // "Change" hides the titles; the file list, now seen, still leads them.
        ui.click(f::Command2);
        ui.clickRow(f::List2, 2);
        QCOMPARE(ui.row(f::List1), 2);
    }

    // Exit, then the frame's close control, with the folder window open.
    void endsTheProgramWithoutWriting() {
        UiDriver ui(u""_s);
        ui.click(f::Command2);
        const QObject hangGuard;  // fails the test rather than hanging it
        QTimer::singleShot(10000, &hangGuard, [] { QCoreApplication::exit(1); });
        QTimer::singleShot(0, &*ui.form, [&ui] { ui.click(f::Command4); });
        QCOMPARE(QApplication::exec(), 0);
        QTimer::singleShot(0, &*ui.form, [&ui] { ui.form->close(); });
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(directoryFiles(ui.path()), kEarlier);
    }

    void reportsAFileChangedAfterListing_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<bool>("fifo");
        const QByteArray getNames = f::Command6, createDir = f::Command3;
        QTest::newRow("deleted, Get Names") << getNames << false;
        QTest::newRow("deleted, Create DIR") << createDir << false;
        QTest::newRow("a FIFO, Get Names") << getNames << true;
        QTest::newRow("a FIFO, Create DIR") << createDir << true;
    }

    void reportsAFileChangedAfterListing() {
        QFETCH(QByteArray, button);
        QFETCH(bool, fifo);
        UiDriver ui(u""_s);
        const QStringList before = entries(ui.path());
        const QString b = ui.path(u"B.000"_s);
        QVERIFY(QFile::remove(b));
        // Opened as a plain file, a FIFO would wait for a writer for ever.
        QVERIFY(!fifo || ::mkfifo(QFile::encodeName(b).constData(), 0600) == 0);
        ui.click(button);
        const QString cause = fifo ? u"it is not a regular file"_s : u"no such file or directory"_s;
        QCOMPARE(ui.texts, QStringList{u"Cannot read the header line of \"B.000\": %1."_s.arg(cause)});
        QCOMPARE(directoryFiles(ui.path()), kEarlier);
        if (button == f::Command3) {
            // The build stops where it met the file, last row first.
            QCOMPARE((QStringList{ui.text(f::status), ui.text(f::Label3)}),
                     (QStringList{"Adding B.000", "33.3333333333333%"}));
            QCOMPARE(ui.row(f::List2), 1);
            QCOMPARE(ui.get(f::progress)->width(), 54);  // a third of 2415 twips, 53.7 pixels
        }
        // With the file back, the same window builds the folder.
        QVERIFY(!fifo || QFile::remove(b));
        writeFile(b, "HP39AscA 3 Bee");
        ui.click(f::Command3);
        QCOMPARE(directoryFiles(ui.path()), kBuilt);
        QCOMPARE(entries(ui.path()), before);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
