// The two windows driven as a user drives them, over a working folder.

#include "core/read_calls.h"
#include "tests/support/line_lock.h"
#include "tests/support/strict_client.h"
#include "tests/support/window_driver.h"
#include "ui/folder_window.h"
#include "ui/local_text.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>
#include <tuple>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
namespace f = quillmere::form1_names;
namespace d = quillmere::dialog_names;
namespace l = quillmere::link_names;

namespace {

// An earlier build's HP39DIR.000, unlike anything a build writes.
const QByteArray kEarlier = "HP39AscAA 7 OLD.0003 Old";

// A working folder, made current, holding A.000, B.000 and C.000 (titled
// Ant, Bee and Cat), an earlier build's HP39DIR.000 and the folder Empty.
// Message boxes are modal: each is recorded and closed from inside its own
// event loop. Every one is a stop with OK.
struct WorkingFolder {
    WorkingFolder() {
        const QByteArrayList bytes{"HP39AscA 3 Ant", "HP39AscA 3 Bee", "HP39AscA 3 Cat", kEarlier};
        for (int i = 0; i < bytes.size(); ++i) {
            QFile file(path(QStringList{"A.000", "B.000", "C.000", "HP39DIR.000"}[i]));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes[i]) == bytes[i].size());
        }
        QDir(path()).mkdir(u"Empty"_s);
        QDir::setCurrent(path());
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && box->isVisible()) {
                const bool stop =
                    box->icon() == QMessageBox::Critical && box->standardButtons() == QMessageBox::Ok;
                texts.append(stop ? box->text() : u"<not a stop box with OK>"_s);
                box->buttons().first()->click();
            }
        });
        timer.start(0);
    }
    QString path(const QString& name = {}) const { return QDir::toNativeSeparators(folder.filePath(name)); }
    QByteArray built() const {
        QFile file(path(u"HP39DIR.000"_s));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : "<missing>"_ba;
    }

    QTemporaryDir folder;
    QStringList texts;
    QTimer timer;
};

// The main window over a working folder, started on its subfolder of that
// name when one is given ("" for the working folder itself).
struct Ui : WorkingFolder, quillmere::WindowDriver {
    explicit Ui(const std::optional<QString>& start = std::nullopt)
        : WindowDriver(start ? std::optional(quillmere::toFileName(path(*start))) : std::nullopt) {}
    QWidget* folderWindow() const { return get(d::OKButton) ? get(d::OKButton)->window() : nullptr; }
};

// Each control's place in its container, in twips, as the windows lay them out.
using Placed = std::tuple<const char*, const char*, QRect>;
const Placed kForm1Layout[] = {
    {f::Frame1, f::Form1, {120, 120, 4335, 2415}},   {f::Label2, f::Frame1, {120, 360, 1575, 255}},
    {f::Text2, f::Frame1, {1800, 360, 2295, 285}},   {f::Command2, f::Frame1, {120, 720, 1215, 375}},
    {f::Label4, f::Frame1, {1680, 720, 2415, 255}},  {f::Command3, f::Frame1, {120, 1200, 1215, 495}},
    {f::Shape1, f::Frame1, {1680, 1080, 2415, 255}}, {f::progress, f::Frame1, {1680, 1080, 15, 255}},
    {f::Label3, f::Frame1, {1680, 1080, 2415, 255}}, {f::Label5, f::Frame1, {1680, 1440, 615, 255}},
    {f::status, f::Frame1, {2400, 1440, 1695, 255}}, {f::Command4, f::Frame1, {120, 1800, 1215, 375}},
    {f::Frame2, f::Form1, {120, 2640, 4335, 2415}},  {f::List2, f::Frame2, {240, 240, 2775, 2010}},
    {f::List1, f::Frame2, {240, 240, 2775, 2010}},   {f::Command1, f::Frame2, {3360, 360, 375, 375}},
    {f::Command5, f::Form1, {3480, 3720, 375, 375}}, {f::Command6, f::Frame2, {3120, 1920, 975, 375}},
    {f::textt, f::Form1, {4800, 4560, 4095, 495}}};
const Placed kDialogLayout[] = {
    {d::Frame1, d::Dialog, {120, 120, 5535, 2415}},       {d::Drive1, d::Frame1, {120, 240, 5295, 315}},
    {d::Dir1, d::Frame1, {120, 600, 5295, 1665}},         {d::Text1, d::Dialog, {120, 2640, 5535, 285}},
    {d::Label1, d::Dialog, {120, 3000, 2895, 255}},       {d::OKButton, d::Dialog, {3120, 2880, 1215, 375}},
    {d::CancelButton, d::Dialog, {4440, 2880, 1215, 375}}};

template <std::size_t count>
void checkPlaces(const QWidget* window, const Placed (&layout)[count]) {
    for (const auto& [name, container, twips] : layout) {
        const auto* control = window->findChild<QWidget*>(name);
        const QWidget* box = window->findChild<QWidget*>(container);
        const QRect placed(control->mapTo(box ? box : window, QPoint()) * 15, control->size() * 15);
        QVERIFY2(placed == twips, name);
        // What the places mean: a control shown lies whole in what holds it,
        // and overlaps another shown only when drawn over it at one corner,
        // or by a border's width (the folder field's lower edge under OK).
        QVERIFY2(!control->isVisible() || (box ? box : window)->rect().contains(control->geometry()), name);
        for (const Placed& other : layout) {
            const auto* sibling = window->findChild<QWidget*>(std::get<0>(other));
            QVERIFY2(!control->isVisible() || !sibling->isVisible() ||
                         sibling->parent() != control->parent() || sibling->pos() == control->pos() ||
                         sibling->geometry().intersected(control->geometry()).height() <= 3,
                     name);
        }
    }
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

// The kermit processes this one started that still run.
int kermitChildren() {
    int count = 0;
    for (const QString& pid : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        QFile stat(u"/proc/%1/stat"_s.arg(pid));
        const QList<QByteArray> fields =
            stat.open(QIODevice::ReadOnly) ? stat.readAll().split(' ') : QList<QByteArray>();
        count += fields.size() > 3 && fields[1] == "(kermit)" && fields[3].toInt() == ::getpid();
    }
    return count;
}

// Reads of B.000 wait, as on a mount that does not answer, until released.
std::atomic<bool> released = false;
ssize_t stallingRead(int fd, void* bytes, size_t size) {
    while (!released && QFileInfo(u"/proc/self/fd/%1"_s.arg(fd)).symLinkTarget().endsWith(u"/B.000"_s)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ::read(fd, bytes, size);
}

// Listings of a folder named Slow wait likewise, at most twice as long as
// a window waits: a window that did not wait apart fails rather than hangs.
decltype(quillmere::readCalls.listFolder) realListing = quillmere::readCalls.listFolder;
std::vector<std::filesystem::directory_entry> stallingListing(const std::filesystem::path& folder,
                                                              std::error_code& error) {
    for (int waits = 0; !released && folder.filename() == "Slow" && waits < 1000; ++waits) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return realListing(folder, error);
}

void key(Qt::Key pressed, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(QApplication::focusWidget(), pressed, modifiers);
}

}  // namespace

class WindowsTest : public QObject {
    Q_OBJECT

private slots:
    // Root lists any folder whatever its bits: the windows run as the
    // unprivileged "nobody" instead, as their users do.
    void initTestCase() {
        if (::geteuid() == 0) {
            static_cast<void>(::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0);
        }
    }

    // A start folder that cannot be listed is named and stays shown, its
    // lists empty; "Create DIR" writes into it or nowhere. OK in a folder
    // window that "Change" did not open applies nothing.
    void startsOnAFolderThatCannotBeListed() {
        Ui ui(u"Missing"_s);
        ui.click(f::Command3);
        const QString missing = ui.path(u"Missing"_s);
        QCOMPARE(ui.texts,
                 (QStringList{
                     u"Cannot list the folder \"%1\": no such file or directory."_s.arg(missing),
                     u"Cannot write \"HP39DIR.000\" in \"%1\": no such file or directory."_s.arg(missing)}));
        QCOMPARE(ui.rows(f::List2), QStringList());
        quillmere::Dialog dialog(ui.window(), ui.window());
        dialog.show();
        dialog.findChild<QLineEdit*>(d::Text1)->setText(ui.path(u"Empty"_s));
        dialog.findChild<QPushButton*>(d::OKButton)->click();
        QCOMPARE(ui.text(f::Text2), missing);
    }

    // Tab skips textt, hidden; Enter and Space reach every action, and
    // Enter in the folder window's path field is OK, Escape nothing. A
    // build ends with a full bar, "100%" and "Ready", its selections shown
    // once at its end.
    void worksFromTheKeyboardAlone() {
        Ui ui;
        ui.click(f::Command6);  // shows List1, the last stop
        ui.get(f::Text2)->setFocus();
        key(Qt::Key_X);  // read-only: the folder shown stays the folder written to
        QCOMPARE(ui.text(f::Text2), u"/"_s);
        const QStringList main{f::Text2,    f::Command2, f::Command3, f::Command4, f::List2,
                               f::Command1, f::Command5, f::Command6, f::List1,    f::Text2};
        QCOMPARE(tabStops(&ui.window(), main.size()), main);
        ui.get(f::Command2)->setFocus();
        key(Qt::Key_Return);
        const QStringList folder{d::OKButton, d::CancelButton, d::Dir1, d::Drive1, d::Text1, d::OKButton};
        QCOMPARE(tabStops(ui.folderWindow(), folder.size()), folder);
        ui.get(d::Dir1)->setFocus();
        key(Qt::Key_Down);  // highlights the first subfolder, Empty
        key(Qt::Key_Space);
        QCOMPARE(ui.text(d::Text1), ui.path(u"Empty"_s));
        key(Qt::Key_Up);
        key(Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(ui.get(d::Text1), Qt::Key_Escape);  // closes nothing
        QTest::keyClick(ui.get(d::Text1), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE((QStringList{ui.text(f::Text2), ui.text(f::Label4), ui.text(f::status)}),
                 (QStringList{ui.path(), "There are 3 files in this folder", "Ready"}));
        const QSignalSpy selections(ui.get<QListView>(f::List2)->selectionModel(),
                                    &QItemSelectionModel::currentChanged);
        ui.get(f::Command3)->setFocus();
        key(Qt::Key_Return);
        QCOMPARE(ui.built(), "HP39AscAA 5 C.0003 CatA 5 B.0003 BeeA 5 A.0003 Ant"_ba);  // the last row first
        QCOMPARE((QStringList{ui.text(f::Label3), ui.text(f::status)}), (QStringList{"100%", "Ready"}));
        QCOMPARE(ui.get(f::progress)->width(), ui.get(f::Shape1)->width());
        QCOMPARE(selections.count(), 1);
        QCOMPARE(ui.texts, QStringList{});
    }

    // Ctrl+Up and Ctrl+Down move the selected row as the arrow buttons do,
    // taking the selections of both lists along, whatever was clicked since.
    void moves() {
        const std::tuple<const char*, Qt::Key, QStringList, int> moves[] = {
            {f::List2, Qt::Key_Down, {"A.000", "C.000", "B.000"}, 2},
            {f::List1, Qt::Key_Up, {"B.000", "A.000", "C.000", "Bee", "Ant", "Cat"}, 0}};
        for (const auto& [clicked, ctrlKey, rows, selected] : moves) {
            Ui ui(u""_s);
            const bool withTitles = clicked == f::List1;
            if (withTitles) {
                ui.click(f::Command6);
            }
            ui.clickRow(clicked, 1);
            ui.clickRow(clicked, 1, Qt::ControlModifier);
            // Below the rows, in the list's 132 pixels.
            QTest::mouseClick(ui.get<QAbstractItemView>(clicked)->viewport(), Qt::LeftButton, {}, {5, 120});
            QVERIFY(QTest::qWaitForWindowActive(&ui.window()));
            key(ctrlKey, Qt::ControlModifier);
            QCOMPARE(ui.rows(f::List2) + ui.rows(f::List1), rows);
            QCOMPARE(ui.selectedRow(f::List2), selected);
            QCOMPARE(ui.selectedRow(f::List1), withTitles ? selected : -1);
        }
    }

    // "Change" shows one window, loaded on the working folder. OK hands the
    // folder over, refreshing the lists, and keeps the window for the next
    // "Change"; Cancel and the frame's close control discard it.
    void closes() {
        for (const char* closedBy : {d::OKButton, d::CancelButton, "the frame's close control"}) {
            Ui ui(u""_s);
            ui.clickRow(f::List2, 1);
            ui.click(f::Command5);  // an order that only a refresh loses
            ui.click(f::Command2);
            const QPointer<QWidget> first = ui.folderWindow();
            ui.doubleClickFolder(u"Empty"_s);
            ui.click(f::Command2);
            QWidget* button = ui.get(closedBy);  // Enter presses the focused button
            button ? (button->setFocus(), QTest::keyClick(button, Qt::Key_Return)) : void(first->close());
            const bool ok = closedBy == d::OKButton;
            const QString folder = ok ? ui.path(u"Empty"_s) : ui.path();
            QCOMPARE((QStringList{ui.text(f::Text2), ui.get(f::Text2)->toolTip(), ui.text(f::status)}),
                     (QStringList{folder, folder, ok ? "Ready" : "Changing folder"}));
            QCOMPARE(ui.rows(f::List2), ok ? QStringList() : QStringList({"A.000", "C.000", "B.000"}));
            // Pressed before a closed window is deleted, "Change" makes one anew.
            ui.click(f::Command2);
            QTRY_VERIFY(ok == !first.isNull());
            QCOMPARE(ui.text(d::Text1), folder);
        }
    }

    // The order made stands whenever the folder is listed again, by OK or
    // at start-up: a file added since comes last, one removed since is gone.
    // A directory cut short gives listing order.
    void keepsTheOrderMade() {
        Ui ui(u""_s);
        ui.selectRow(f::List2, 2);
        ui.click(f::Command1);
        ui.click(f::Command1);
        ui.click(f::Command3);
        QCOMPARE(ui.built(), "HP39AscAA 5 B.0003 BeeA 5 A.0003 AntA 5 C.0003 Cat"_ba);
        std::ofstream(QFile::encodeName(ui.path(u"D.000"_s)).toStdString()) << "HP39AscA 3 Dog";
        QVERIFY(QFile::remove(ui.path(u"A.000"_s)));
        ui.chooseFolder(ui.path());
        ui.click(f::Command6);
        QCOMPARE(ui.rows(f::List2) + ui.rows(f::List1),
                 (QStringList{"C.000", "B.000", "D.000", "Cat", "Bee", "Dog"}));
        QCOMPARE(quillmere::WindowDriver(quillmere::toFileName(ui.path())).rows(f::List2),
                 (QStringList{"C.000", "B.000", "D.000"}));
        std::ofstream(QFile::encodeName(ui.path(u"HP39DIR.000"_s)).toStdString())
            << "HP39AscAA 5 D.0003 DogA 5 C.0003 CatA 5 B.0003 Be";
        ui.chooseFolder(ui.path());
        QCOMPARE(ui.rows(f::List2), (QStringList{"B.000", "C.000", "D.000"}));
        QCOMPARE(ui.texts, QStringList{});
    }

    // A folder whose name is not valid text, and would turn and break the
    // line, shows escaped in the tree and both folder fields, and is chosen
    // by its real bytes; one that cannot be listed is named in a message,
    // and the main window keeps its folder. "Missing" is typed, the others
    // double-clicked.
    void choosesAFolder() {
        const std::tuple<QByteArray, QString, QString> rows[] = {
            {"Bad\xff\u202E\n", u"Bad\\xFF\\u202E\\x0A"_s, {}},
            {"Missing", u"Missing"_s, u"no such file or directory"_s},
            {"locked", u"locked"_s, u"permission denied"_s}};
        for (const auto& [name, shown, cause] : rows) {
            if (name == "locked" && ::geteuid() == 0) {
                QSKIP("Root lists any folder, and cannot become \"nobody\" here.");
            }
            Ui ui(u""_s);
            const QString folder = ui.path(shown);
            const std::filesystem::path bytes = (QFile::encodeName(ui.path()) + '/' + name).toStdString();
            if (name != "Missing") {
                std::filesystem::create_directory(bytes);
                std::ofstream(bytes / "Z.000") << "HP39AscA 3 Zed";
                std::filesystem::permissions(bytes, std::filesystem::perms(name == "locked" ? 0 : 0700));
            }
            ui.click(f::Command2);
            name == "Missing" ? ui.get<QLineEdit>(d::Text1)->setText(folder) : ui.doubleClickFolder(shown);
            const QString chosen = ui.text(d::Text1);
            ui.click(d::OKButton);
            const QString kept = cause.isEmpty() ? folder : ui.path();
            QCOMPARE((QStringList{chosen, ui.text(f::Text2), ui.get(f::Text2)->toolTip()}),
                     (QStringList{name == "locked" ? kept : folder, kept, kept}));
            ui.click(f::Command3);  // into the folder shown
            QVERIFY(cause.isEmpty() ? std::filesystem::exists(bytes / "HP39DIR.000")
                                    : ui.built() != kEarlier);
            QCOMPARE(ui.texts, cause.isEmpty()
                                   ? QStringList()
                                   : QStringList{u"Cannot list the folder \"%1\": %2."_s.arg(folder, cause)});
            // Qt can neither remove a name that is not valid text nor empty a locked folder.
            std::error_code missing;
            std::filesystem::permissions(bytes, std::filesystem::perms::owner_all, missing);
            std::filesystem::remove_all(bytes);
        }
    }

    // Names and titles that would lie are shown escaped in the lists and the
    // messages, while the directory keeps their bytes; a name that spells out
    // an escape, or holds a quote, cannot pass for the real one or end the
    // quoted name early.
    void showsNamesThatCannotLie() {
        const std::pair<std::string, std::string> files[] = {
            {"aplet\u202Eoo0.txt", "HP39AscA 14 Game\u202Eexe.txt"},
            {"aplet\\u202Eoo0.txt", "HP39AscA 3 Bee"},
            {"Bad\xff", "HP39AscA 3 Bee"},
            {"Bad\xfe", "HP39AscA 4 Bee\xff"},
            {"\u00e9", "HP39AscA 3 e\u0301"},
            {"e\u0301", "HP39AscA 2 \u00e9"},
            {"Z\u200b\u2066", "HP39AscA 5 Z\u0085\u061c"},
            {"N\"\nAll 3 files were read.", "HP39AscA 3 Nut"},
            {"Physics and chemistry revision, LEVEL1.000", "HP39AscA 3 Bee"},
            {"Physics and chemistry revision, LEVEL2.000", "HP39AscA 3 Bee"}};
        Ui ui(u""_s);
        const std::filesystem::path folder = ui.folder.path().toStdString();
        for (const auto& [name, header] : files) {
            std::filesystem::remove(folder / "A.000");
            std::ofstream(folder / name) << header;
        }
        ui.chooseFolder(ui.path());
        ui.click(f::Command6);
        QStringList shown;
        for (int row = 0; row < ui.rows(f::List2).size(); ++row) {
            shown.append(ui.rows(f::List2)[row] + u" | "_s + ui.rows(f::List1)[row]);
        }
        shown.sort();
        QCOMPARE(shown, (QStringList{u"B.000 | Bee"_s, u"Bad\\xFE | Bee\\xFF"_s, u"Bad\\xFF | Bee"_s,
                                     u"C.000 | Cat"_s, u"N\\\"\\x0AAll 3 files were read. | Nut"_s,
                                     u"Physics and chemistry revision, LEVEL1.000 | Bee"_s,
                                     u"Physics and chemistry revision, LEVEL2.000 | Bee"_s,
                                     u"Z\\u200B\\u2066 | Z\\u0085\\u061C"_s, u"aplet\\\\u202Eoo0.txt | Bee"_s,
                                     u"aplet\\u202Eoo0.txt | Game\\u202Eexe.txt"_s, u"e\\u0301 | \u00e9"_s,
                                     u"\u00e9 | e\\u0301"_s}));
        // Rows too long for the list still look different.
        const auto* list = ui.get<QListView>(f::List2);
        const auto pixels = [list](const QString& name) {
            const QModelIndex row =
                list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, name)[0];
            return list->viewport()->grab(list->visualRect(row)).toImage();
        };
        QVERIFY(pixels(u"Physics and chemistry revision, LEVEL1.000"_s) !=
                pixels(u"Physics and chemistry revision, LEVEL2.000"_s));
        // and show whole on hover.
        QCOMPARE(list->model()
                     ->match(list->model()->index(0, 0), Qt::ToolTipRole,
                             u"Physics and chemistry revision, LEVEL1.000"_s)
                     .size(),
                 1);
        ui.click(f::Command3);
        QVERIFY(
            ui.built().contains("A 15 aplet\xE2\x80\xAEoo0.txt14 Game\xE2\x80\xAE"
                                "exe.txt"));
        // The program's own quotes stay as they are; the name's are escaped.
        std::ofstream(folder / "N\"\nAll 3 files were read.", std::ios::trunc) << "HP39AscA -5 Nut";
        ui.click(f::Command3);
        QCOMPARE(ui.texts,
                 QStringList{u"Cannot read the title of \"N\\\"\\x0AAll 3 files were read.\": its length "
                             u"field \"-5\" is negative."_s});
    }

    // Both windows as laid out, in twips. The main window's buttons work
    // while the folder window is open, which stays: a move asks for a row; a
    // build of a file gone since it was listed stops there, last row first,
    // with one message.
    void actsWhileTheWindowIsOpen() {
        Ui ui(u""_s);
        ui.click(f::Command2);
        const QWidget* dialog = ui.folderWindow();
        checkPlaces(&ui.window(), kForm1Layout);
        checkPlaces(dialog, kDialogLayout);
        QCOMPARE(ui.window().size() * 15, QSize(4575, 5175));
        QCOMPARE(dialog->geometry().translated(-dialog->screen()->geometry().topLeft()),
                 QRect(184, 250, 385, 225));
        ui.click(f::Command1);
        QVERIFY(QFile::remove(ui.path(u"B.000"_s)));
        ui.click(f::Command3);
        QCOMPARE(ui.texts,
                 (QStringList{"Please select an item to move",
                              "Cannot read the header line of \"B.000\": no such file or directory."}));
        QCOMPARE(ui.built(), kEarlier);
        QCOMPARE((QStringList{ui.text(f::status), ui.text(f::Label3)}),
                 (QStringList{"Adding B.000", "33.3333333333333%"}));
        QCOMPARE(ui.selectedRow(f::List2), 1);
        QCOMPARE(ui.folderWindow(), dialog);
        // In a dark palette the percentage reads dark over the cyan fill (no
        // channel above 60: 4.5:1 at least) and light beyond it.
        ui.window().setPalette(QPalette(Qt::white, Qt::black));
        const QImage bar = ui.get(f::Label3)->parentWidget()->grab().toImage();
        int readable[2] = {0, 0};  // beyond the fill, over it; within the outline
        for (int i = 0, inner = bar.width() - 4, fill = ui.get(f::progress)->width();
             i < inner * (bar.height() - 4); ++i) {
            const int x = 2 + i % inner, value = bar.pixelColor(x, 2 + i / inner).value();
            readable[x < fill] += x < fill ? value <= 60 : value >= 200;
        }
        QVERIFY(readable[0] > 0 && readable[1] > 0);
    }

    // Ctrl+K in a list opens the link on the folder, the only device chosen, and it follows the
    // folder chosen in the main window. Start offers to write the stale directory first; a strict
    // calculator then gets it and a file byte for byte, each a row with its progress bar full (also
    // for repeated bytes sent with repeat counts). With the check box on, a file it sends is stored
    // and listed at once. Stop and closing the window end kermit and free the line and its lock for
    // the next Start, leaving nothing behind.
    void servesTheFolderOverTheLink() {
        Ui ui(u""_s);
        const QTemporaryDir lines;
        QDir(lines.path()).mkdir(u"devices"_s);
        const QString device = lines.filePath(u"devices/ttyS9"_s),
                      calculator = lines.filePath(u"calculator"_s);
        QProcess socat;
        socat.start(u"socat"_s, {u"pty,raw,echo=0,link="_s + device, u"pty,raw,echo=0,link="_s + calculator});
        QTRY_VERIFY(QFile::exists(device) && QFile::exists(calculator));
        const std::string lock =
            lockFileOf(quillmere::toFileName(lines.path()), quillmere::toFileName(device));
        // Not a serial line, under a name that would reverse and end early the words quoting it.
        const QString other = lines.filePath(u"devices/ttyS0\"\u202E"_s),
                      shown = lines.filePath(u"devices/ttyS0\\\"\\u202E"_s);
        QVERIFY(QFile::link(u"/dev/null"_s, other));
        qputenv("QUILLMERE_SERIAL_DEVICES", QFile::encodeName(lines.filePath(u"devices"_s)));
        qputenv("QUILLMERE_LOCK_FOLDER", QFile::encodeName(lines.path()));
        QApplication::setActiveWindow(&ui.window());
        QTest::keyClick(ui.get(f::List2), Qt::Key_K, Qt::ControlModifier);
        QCOMPARE((QStringList{ui.text(l::folder), ui.rows(l::devices).join(u'|'),
                              ui.get<QComboBox>(l::speed)->currentText()}),
                 (QStringList{ui.path(), shown + u'|' + device, u"9600"_s}));
        QCOMPARE(ui.selectedRow(l::devices), -1);  // which is the calculator's is the user's to say
        QDir(ui.path()).mkdir(u"E\"\u202E"_s);
        ui.chooseFolder(ui.path(u"E\"\u202E"_s));  // the link follows the main window's folder
        QCOMPARE(ui.text(l::folder), ui.path(u"E\\\"\\u202E"_s));
        ui.chooseFolder(ui.path());
        ui.timer.stop();
        QTimer::singleShot(0, [] {
            static_cast<QMessageBox*>(QApplication::activeModalWidget())->button(QMessageBox::Yes)->click();
        });
        ui.click(l::receive);
        ui.selectRow(l::devices, 0);
        ui.click(l::start);
        ui.timer.start(0);
        QCOMPARE(ui.text(l::linkStatus), u"Cannot serve on \"%1\": it is not a serial device."_s.arg(shown));
        QVERIFY(QFile::remove(other));
        ui.click(l::refresh);
        QCOMPARE(ui.selectedRow(l::devices), 0);
        ui.click(l::start);
        const QByteArray directory = "HP39AscAA 5 C.0003 CatA 5 B.0003 BeeA 5 A.0003 Ant";
        QCOMPARE((QStringList{ui.built(), ui.text(f::Label3)}), (QStringList{directory, u"100%"_s}));
        const int line = ::open(QFile::encodeName(calculator), O_RDWR | O_NOCTTY);
        QCOMPARE(strictGet(line, "HP39DIR.000", 1), directory.toStdString());
        QCOMPARE(strictGet(line, "B.000", 3), std::string("HP39AscA 3 Bee"));
        const auto* transfers = ui.get<QTreeWidget>(l::transfers);
        QVERIFY(strictSend(line, "D.000", "HP39AscA 3 Dog" + std::string(300, 'z')));
        QTRY_COMPARE(ui.rows(f::List2), (QStringList{"A.000", "B.000", "C.000", "D.000"}));
        QCOMPARE(ui.built(), "HP39AscAA 5 D.0003 Dog" + directory.mid(8));  // the new file at the bottom
        QVERIFY(strictSend(line, "B.000", "HP39AscA 3 Bat"));               // the earlier one is kept, hidden
        QTRY_COMPARE(ui.rows(f::List2), (QStringList{"A.000", "C.000", "D.000", "B.000"}));
        std::ifstream kept(QFile::encodeName(ui.path(u".B.000.~1~"_s)).toStdString());
        QCOMPARE(std::string(std::istreambuf_iterator<char>(kept), {}), std::string("HP39AscA 3 Bee"));
        const auto sent = [transfers](int row) {
            const auto* bar =
                static_cast<QProgressBar*>(transfers->itemWidget(transfers->topLevelItem(row), 1));
            return u"%1 %2/%3"_s.arg(transfers->topLevelItem(row)->text(0))
                .arg(bar->value())
                .arg(bar->maximum());
        };
        QVERIFY(!strictSend(line, "CUT.000", std::string(300, 'c'), true));  // cut short: nothing kept
        // C-Kermit's own client takes the repeated bytes with repeat counts.
        QVERIFY(!QProcess::execute(
            u"kermit"_s,
            {u"-Y"_s, u"-C"_s,
             u"cd %1, set line %2, set carrier-watch off, get D.000, exit"_s.arg(lines.path(), calculator)}));
        QTRY_COMPARE(transfers->topLevelItemCount(), 6);
        // A file coming in is one row, its bytes counted as they come: the
        // one cut short shows how far it got.
        const auto row = [transfers](int at) {
            const QTreeWidgetItem* item = transfers->topLevelItem(at);
            return item->text(0) + u'|' + (item->text(1).isEmpty() ? u"-"_s : u"n"_s) + u'|' + item->text(2);
        };
        QCOMPARE(
            (QStringList{row(2), row(4)}),
            (QStringList{u"D.000|n|Received"_s,
                         u"CUT.000|n|Not received, nothing kept: the client cancelled it: Cancelled"_s}));
        QVERIFY(!QFile::exists(ui.path(u"CUT.000"_s)));
        QTRY_COMPARE((QStringList{sent(0), sent(1), sent(5)}),
                     (QStringList{"HP39DIR.000 50/50", "B.000 14/14", "D.000 314/314"}));
        for (const char* end : {l::stop, "the frame's close control"}) {
            if (end != l::stop) {
                ui.click(l::receive);  // taking files off again
                ui.click(l::start);    // no question: the directory says the same now
                QCOMPARE(strictGet(line, "A.000", 1), std::string("HP39AscA 3 Ant"));
                QVERIFY(!strictGet(line, "E\".000", 1));  // a quote in the name, shown as such
                QTRY_VERIFY(transfers->topLevelItemCount() > 1);
                QCOMPARE(transfers->topLevelItem(1)->text(0), u"E\\\".000"_s);
                QVERIFY(!strictSend(line, "E.000", "HP39AscA 3 Elk"));
                // One row each time the client, slow to hear, asked again.
                QTRY_COMPARE(transfers->topLevelItem(transfers->topLevelItemCount() - 1)->text(2),
                             u"Refused: SEND disabled"_s);
            }
            QCOMPARE(lockHolder(lock), ::getpid());
            // The folder served stays named; the one chosen meanwhile is the next Start's.
            ui.chooseFolder(ui.path(end == l::stop ? u"Empty"_s : u""_s));
            QCOMPARE(ui.text(l::folder), ui.path());
            end == l::stop ? ui.click(l::stop) : void(ui.get(l::LinkWindow)->close());
            QTRY_VERIFY(ui.get<QPushButton>(l::start) == nullptr ||
                        ui.get<QPushButton>(l::start)->isEnabled());
            QCOMPARE(kermitChildren(), 0);
            QVERIFY(lockHolder(lock) != ::getpid());
            QVERIFY(!QFile::exists(ui.path(u".quillmere-receiving"_s)));
            if (end == l::stop) {
                QCOMPARE((QStringList{ui.text(l::folder), ui.text(l::linkStatus)}),
                         (QStringList{ui.path(u"Empty"_s), u"Serving ended."_s}));
                ui.chooseFolder(ui.path());
            }
        }
        ::close(line);
        QCOMPARE(ui.texts, QStringList{});
        qunsetenv("QUILLMERE_SERIAL_DEVICES");
        qunsetenv("QUILLMERE_LOCK_FOLDER");
        socat.terminate();
        socat.waitForFinished();
    }

    // Another program's lock on the folder, or a file or folder that does
    // not answer, freezes nothing: the user is told, naming it, and the
    // earlier directory, folder and lists stand; the window goes on
    // painting, and "Exit" ends a wait at once. Last, since no event loop
    // runs after "Exit".
    void answersWhileOthersDoNot() {
        Ui ui(u""_s);
        const int folder = ::open(QFile::encodeName(ui.path()), O_RDONLY | O_DIRECTORY);
        QCOMPARE(::flock(folder, LOCK_EX), 0);
        ui.click(f::Command3);
        ::close(folder);
        quillmere::readCalls.read = stallingRead;
        QStringList shown;
        QTimer seen;
        QObject::connect(&seen, &QTimer::timeout, [&] {
            shown << ui.text(f::status) + ui.text(f::Label3);
            // Refused while the build waits, so sent only then: past the
            // message that ends it, a click would start a build of its own.
            if (ui.texts.size() == 1) {
                QTest::mouseClick(ui.get(f::Command3), Qt::LeftButton);
            }
        });
        seen.start(100);
        ui.click(f::Command3);
        const QStringList silent{
            u"Cannot write \"HP39DIR.000\" in \"%1\": another program is writing the directory of this folder."_s
                .arg(ui.path()),
            u"Cannot read the header line of \"B.000\": it does not answer."_s};
        QCOMPARE(ui.texts, silent);
        QCOMPARE(ui.built(), kEarlier);
        QVERIFY(shown.contains(u"Adding B.00033.3333333333333%"_s));
        QDir(ui.path()).mkdir(u"Slow"_s);
        quillmere::readCalls.listFolder = stallingListing;
        ui.click(f::Command2);
        shown.clear();
        ui.doubleClickFolder(u"Slow"_s);
        QVERIFY(!shown.isEmpty());
        ui.get<QLineEdit>(d::Text1)->setText(ui.path(u"Slow"_s));
        ui.click(d::OKButton);
        const QStringList unlisted =
            silent +
            QStringList(2, u"Cannot list the folder \"%1\": it does not answer."_s.arg(ui.path(u"Slow"_s)));
        QCOMPARE(ui.texts, unlisted);
        QCOMPARE(QStringList{ui.text(f::Text2)} + ui.rows(f::List2),
                 (QStringList{ui.path(), "A.000", "B.000", "C.000"}));
        QTimer::singleShot(0, [&] { ui.click(f::Command4); });
        ui.click(d::OKButton);
        QCOMPARE(ui.texts, unlisted);  // no second folder that does not answer
        released = true;
    }
};

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
