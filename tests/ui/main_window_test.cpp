#include "tests/ui/window_fixture.h"

#include <tuple>

namespace {

// Each control's place in its container, in twips, as the windows lay them out.
using Placed = std::tuple<const char*, const char*, QRect>;
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
    {d::Frame1, d::Dialog, {120, 120, 5535, 2415}},
    {d::Drive1, d::Frame1, {120, 240, 5295, 315}},    {d::Dir1, d::Frame1, {120, 600, 5295, 1665}},
    {d::Text1, d::Dialog, {120, 2640, 5535, 285}},    {d::Label1, d::Dialog, {120, 3000, 2895, 255}},
    {d::OKButton, d::Dialog, {3120, 2880, 1215, 375}}, {d::CancelButton, d::Dialog, {4440, 2880, 1215, 375}}};

// "name left,top,width,height" of each control, as found or as laid out.
template <std::size_t count>
QStringList places(const QWidget* window, const Placed (&layout)[count], bool found) {
    QStringList lines;
    for (const auto& [name, containerName, twips] : layout) {
        const auto* control = window->findChild<QWidget*>(QLatin1String(name));
        const auto* container = window->findChild<QWidget*>(QLatin1String(containerName));
        const QRect r = found ? QRect(control->mapTo(container ? container : window, QPoint()) * 15, control->size() * 15)
                              : twips;
        lines.append(u"%1 %2,%3,%4,%5"_s.arg(name).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()));
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
        QTest::addColumn<std::optional<QString>>("start");
        QTest::addColumn<QStringList>("messages");  // with no start folder listed, the root folder is shown
        QTest::newRow("none given") << std::optional<QString>() << QStringList();
        QTest::newRow("a folder") << std::optional(u""_s) << QStringList();
        QTest::newRow("one that cannot be listed") << std::optional(u"Missing"_s)
            << QStringList{u"Cannot list the folder \"%1\": no such file or directory."_s};
    }

    void startsOnItsFolder() {
        QFETCH(std::optional<QString>, start);
        QFETCH(QStringList, messages);
        const Ui ui(start);
        const bool listed = start && messages.isEmpty();
        QCOMPARE(ui.texts, messages.replaceInStrings(u"%1"_s, ui.path(start.value_or(""))));
        QCOMPARE(ui.text(f::Text2), listed ? ui.path() : QDir::toNativeSeparators(QDir::rootPath()));
        QCOMPARE(ui.rows(f::List2) == kFiles, listed);
    }

    void placesControlsAsLaidOut() {
        const Ui ui;
        ui.click(f::Command2);
        const QWidget* dialog = ui.folderWindow();
        QCOMPARE(places(&ui.window(), kForm1Layout, true), places(&ui.window(), kForm1Layout, false));
        QCOMPARE(places(dialog, kDialogLayout, true), places(dialog, kDialogLayout, false));
        QCOMPARE(ui.window().size() * 15, QSize(4575, 5175));
        QCOMPARE(dialog->geometry().translated(-dialog->screen()->geometry().topLeft()) , QRect(184, 250, 385, 225));
    }

    // Tab skips textt, out of view; Enter and Space reach every action. A
    // build ends with a full bar, "100%" and "Ready".
    void worksFromTheKeyboardAlone() {
        Ui ui;
        ui.click(f::Command6);  // shows List1, the last stop
        ui.get(f::Text2)->setFocus();
        const QStringList main{"Text2", "Command2", "Command3", "Command4", "List2",
                               "Command1", "Command5", "Command6", "List1", "Text2"};
        QCOMPARE(tabStops(&ui.window(), main.size()), main);
        ui.get(f::Command2)->setFocus();
        key(Qt::Key_Return);
        const QStringList folder{"OKButton", "CancelButton", "Dir1", "Drive1", "Text1", "OKButton"};
        QCOMPARE(tabStops(ui.folderWindow(), folder.size()), folder);
        ui.get(d::Dir1)->setFocus();
        key(Qt::Key_Down);  // highlights the first subfolder, Empty
        key(Qt::Key_Space);
        QCOMPARE(ui.text(d::Text1), ui.path(u"Empty"_s));
        key(Qt::Key_Up);
        key(Qt::Key_Return);
        QCOMPARE(ui.text(d::Text1), ui.path());
        ui.get(d::OKButton)->setFocus();
        key(Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(ui.text(f::Label4), u"There are 3 files in this folder"_s);
        ui.get(f::Command3)->setFocus();
        key(Qt::Key_Return);
        QCOMPARE(directoryFiles(ui.path()), kBuilt);
        QCOMPARE((QStringList{ui.text(f::Label3), ui.text(f::status)}), (QStringList{"100%", "Ready"}));
        QCOMPARE(ui.get(f::progress)->width(), ui.get(f::Shape1)->width());
        QCOMPARE(ui.texts, QStringList{});
    }

    // Selections of the two lists go together; a move takes both along.
    void moves_data() {
        QTest::addColumn<QByteArray>("list");  // List1 once "Get Names" has shown it
        QTest::addColumn<int>("clickedRow");
        QTest::addColumn<QString>("press");  // an arrow button or its key
        QTest::addColumn<QStringList>("rows");  // of List2, then of List1
        QTest::addColumn<int>("selectedRow");
        const QStringList bac{"B.000", "A.000", "C.000"};
        QTest::newRow("up, files alone") << QByteArray(f::List2) << 1 << "Command1" << bac << 0;
        QTest::newRow("Ctrl+Down, files alone") << QByteArray(f::List2) << 0 << "Ctrl+Down" << bac << 1;
        QTest::newRow("Ctrl+Up, with titles")
            << QByteArray(f::List1) << 1 << "Ctrl+Up" << bac + QStringList{"Bee", "Ant", "Cat"} << 0;
        QTest::newRow("down, with titles")
            << QByteArray(f::List1) << 1 << "Command5" << QStringList{"A.000", "C.000", "B.000", "Ant", "Cat", "Bee"} << 2;
        QTest::newRow("down, nothing selected") << QByteArray(f::List2) << -1 << "Command5" << kFiles << -1;
    }

    void moves() {
        QFETCH(QByteArray, list);
        QFETCH(int, clickedRow);
        QFETCH(QString, press);
        QFETCH(QStringList, rows);
        QFETCH(int, selectedRow);
        Ui ui(u""_s);
        const bool withTitles = list == f::List1;
        if (withTitles) {
            ui.click(f::Command6);
        }
        if (clickedRow >= 0) {
            ui.clickRow(list, clickedRow);
        }
        if (press.startsWith(u"Ctrl"_s)) {
            QVERIFY(QTest::qWaitForWindowActive(&ui.window()));
            key(press.endsWith(u"Up"_s) ? Qt::Key_Up : Qt::Key_Down, Qt::ControlModifier);
        } else {
            ui.click(press.toLatin1());
        }
        QCOMPARE(ui.rows(f::List2) + ui.rows(f::List1), rows);
        QCOMPARE(ui.selectedRow(f::List2), selectedRow);
        QCOMPARE(ui.selectedRow(f::List1), withTitles ? selectedRow : -1);
        QCOMPARE(ui.texts, clickedRow < 0 ? QStringList{"Please select an item to move"} : QStringList{});
    }

    // A file gone after being listed stops the build where it is met, last
    // row first, with one message; with the file back the window builds.
    void stopsABuildAtAFileGone() {
        Ui ui(u""_s);
        QVERIFY(QFile::remove(ui.path(u"B.000"_s)));
        ui.click(f::Command3);
        QCOMPARE(ui.texts, QStringList{u"Cannot read the header line of \"B.000\": no such file or directory."_s});
        QCOMPARE(directoryFiles(ui.path()), kEarlier);
        QCOMPARE((QStringList{ui.text(f::status), ui.text(f::Label3)}), (QStringList{"Adding B.000", "33.3333333333333%"}));
        QCOMPARE(ui.selectedRow(f::List2), 1);
        writeFile(ui.path(u"B.000"_s), "HP39AscA 3 Bee");
        ui.click(f::Command3);
        QCOMPARE(directoryFiles(ui.path()), kBuilt);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
