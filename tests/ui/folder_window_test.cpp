// The folder window: what it opens on, what its OK, Cancel and close control
// hand back to the main window in each mode, typed paths, and the main
// window's buttons pressed while it is open.

#include "tests/ui/ui_driver.h"

#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillmere::testing;
using quillmere::FolderWindowMode;

namespace {

// What the folder window may change in the main window.
QStringList mainState(const UiDriver& ui) {
    return QStringList{ui.text(f::Text2), ui.text(f::Label4), ui.text(f::Label1)} + ui.rows(f::List2);
}

// Records what the folder window asks of the main window.
struct RecordingHost : quillmere::FolderWindowHost {
    FolderWindowMode mode;
    QStringList calls;
    FolderWindowMode erm() const override { return mode; }
    void takeFolder(const QString& path, const std::string&) override { calls.append(u"folder "_s + path); }
    void setStatus(const QString& text) override { calls.append(u"status "_s + text); }
    void folderWindowCancelled() override { calls.append(u"cancelled"_s); }
};

// Root lists any folder whatever its bits: the current row runs again,
// alone, as the unprivileged user "nobody", from a copy that user can reach.
void runThisRowAsNobody() {
    const QString setpriv = QStandardPaths::findExecutable(u"setpriv"_s);
    const QStringList asNobody{"--reuid=65534", "--regid=65534", "--clear-groups"};
    if (setpriv.isEmpty() || QProcess::execute(setpriv, asNobody + QStringList{"true"}) != 0) {
        QSKIP("Running as root, and setpriv cannot run this case as another user.");
    }
    const QString function = QString::fromLatin1(QTest::currentTestFunction());
    const QString row = QString::fromLatin1(QTest::currentDataTag());
    const QTemporaryDir copyFolder;
    const QString copy = copyFolder.filePath(u"test"_s);
    const auto everyone = QFileDevice::Permissions(0x7755);  // rwx for the owner, r-x for the rest
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy) &&
            QFile::setPermissions(copyFolder.path(), everyone) && QFile::setPermissions(copy, everyone));
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setWorkingDirectory(copyFolder.path());
    child.start(setpriv, asNobody + QStringList{copy, function + ':' + row});
    QVERIFY(child.waitForFinished(-1));
    const QString output = QString::fromLocal8Bit(child.readAll());
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, qPrintable(output));
    QVERIFY2(output.contains(u"PASS   : FolderWindowTest::%1(%2)\n"_s.arg(function, row)), qPrintable(output));
}

}  // namespace

Q_DECLARE_METATYPE(FolderWindowMode)

class FolderWindowTest : public QObject {
    Q_OBJECT

private slots:
    // OK applies the folder only when the window was opened to change it.
    void appliesTheFolderOnlyWhenChanging_data() {
        QTest::addColumn<FolderWindowMode>("mode");
        QTest::addColumn<bool>("applied");
        QTest::newRow("unset") << FolderWindowMode::Unset << false;
        QTest::newRow("changing the folder") << FolderWindowMode::ChangingFolder << true;
        QTest::newRow("cancelled") << FolderWindowMode::Cancelled << false;
    }

    void appliesTheFolderOnlyWhenChanging() {
        QFETCH(FolderWindowMode, mode);
        QFETCH(bool, applied);
        QWidget mainWindow;
        RecordingHost host;
        host.mode = mode;
        quillmere::Dialog dialog(mainWindow, host);
        dialog.show();
        const QString path = dialog.findChild<QLineEdit*>(QLatin1String(d::Text1))->text();
        QTest::mouseClick(dialog.findChild<QPushButton*>(QLatin1String(d::OKButton)), Qt::LeftButton);
        QCOMPARE(host.calls, (applied ? QStringList{u"folder "_s + path} : QStringList{}) + QStringList{"status Ready"});
        QVERIFY(dialog.isHidden());
    }

    // "Change" shows one window, loaded on the working folder. OK hands the
    // folder over, refreshing the lists, and keeps the window for the next
    // "Change"; Cancel and the frame's close control discard it.
    void closes_data() {
        QTest::addColumn<QByteArray>("closedBy");
        QTest::addColumn<FolderWindowMode>("erm");
        const QByteArray ok = d::OKButton, cancel = d::CancelButton;
        QTest::newRow("OK") << ok << FolderWindowMode::ChangingFolder;
        QTest::newRow("Cancel") << cancel << FolderWindowMode::Cancelled;
        QTest::newRow("the frame's close control") << QByteArray() << FolderWindowMode::ChangingFolder;
    }

    void closes() {
        QFETCH(QByteArray, closedBy);
        QFETCH(FolderWindowMode, erm);
        UiDriver ui(u""_s);
        ui.clickRow(f::List2, 1);
        ui.click(f::Command1);  // an order that only a refresh loses
        ui.click(f::Command2);
        const QPointer<QWidget> first = ui.shownDialog();
        QCOMPARE(ui.text(d::Text1), ui.path());
        ui.clickFolder(u"Empty"_s, true);
        ui.click(f::Command2);
        QCOMPARE(ui.form->findChildren<quillmere::Dialog*>().size(), 1);
        closedBy.isEmpty() ? void(first->close()) : ui.click(closedBy);
        QCOMPARE(ui.form->erm(), erm);
        const bool ok = closedBy == d::OKButton;
        const QString folder = ok ? ui.path(u"Empty"_s) : ui.path();
        QCOMPARE((QStringList{ui.text(f::Text2), ui.text(f::status), ui.text(f::Label1)}),
                 (QStringList{folder, ok ? "Ready" : "Changing folder", ok ? "2" : "1"}));
        QCOMPARE(ui.rows(f::List2), ok ? QStringList() : QStringList({"B.000", "A.000", "C.000"}));
        // Pressed before a closed window is deleted, "Change" makes one anew.
        ui.click(f::Command2);
        QTRY_VERIFY(ok == !first.isNull());
        QCOMPARE(ui.text(d::Text1), folder);
        QCOMPARE(ui.get<QTreeWidget>(d::Dir1)->currentItem()->text(0), QFileInfo(folder).fileName());
    }

    void refusesATypedPath_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("cause");
        QTest::newRow("a regular file") << "A.000" << "not a directory";
        QTest::newRow("a missing folder") << "Missing" << "no such file or directory";
        QTest::newRow("a folder the user may not read") << "locked" << "permission denied";
    }

    void refusesATypedPath() {
        QFETCH(QString, name);
        QFETCH(QString, cause);
        const bool locked = name == u"locked"_s;
        if (locked && ::geteuid() == 0) {
            return runThisRowAsNobody();
        }
        UiDriver ui(u""_s);
        const QString path = ui.path(name);
        if (locked) {
            QVERIFY(QDir().mkdir(path) && QFile::setPermissions(path, {}));
            std::error_code error;
            const std::filesystem::directory_iterator listing(QFile::encodeName(path).toStdString(), error);
            QVERIFY2(error, "The current user still lists the folder: the case would prove nothing.");
        }
        const QStringList before = mainState(ui);
        ui.chooseFolder(path);
        QCOMPARE(ui.texts, QStringList{u"Cannot list the folder \"%1\": %2."_s.arg(path, cause)});
        QCOMPARE(mainState(ui), before);
        QCOMPARE(ui.text(f::status), u"Changing folder"_s);
        // The user corrects the path in the window left open.
        ui.typeIntoText1(ui.path(u"Empty"_s));
        ui.click(d::OKButton);
        QCOMPARE(ui.text(f::Label4), u"There are 0 files in this folder"_s);
        QCOMPARE(ui.text(f::status), u"Ready"_s);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // A subfolder double-clicked in the tree: one whose name is not valid
    // text is shown and chosen by its real bytes; one that cannot be read is
    // named in a message, and the tree stays where it was.
    void doubleClicksASubfolder_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("a name that is not valid UTF-8") << QByteArray("Bad\xff");
        QTest::newRow("a folder the user may not read") << QByteArray("locked");
    }

    void doubleClicksASubfolder() {
        QFETCH(QByteArray, name);
        const bool locked = name == "locked";
        if (locked && ::geteuid() == 0) {
            return runThisRowAsNobody();
        }
        UiDriver ui;
        const QByteArray folder = QFile::encodeName(ui.path()) + '/' + name;
        QVERIFY(::mkdir(folder.constData(), 0700) == 0);
        const int file = ::open(folder + "/Z.000", O_WRONLY | O_CREAT, 0600);
        QVERIFY(::write(file, "HP39AscA 3 Zed", 14) == 14 && ::close(file) == 0);
        QVERIFY(!locked || ::chmod(folder.constData(), 0) == 0);
        ui.click("Command2");
        ui.clickFolder(QFile::decodeName(name), 2);
        if (locked) {
            QCOMPARE(ui.texts, QStringList{u"Cannot list the folder \"%1\": permission denied."_s.arg(ui.path(u"locked"_s))});
            QCOMPARE(ui.text("Text1"), ui.path());
            return;
        }
        ui.click("OKButton");
        QCOMPARE(ui.text("Text2"), ui.path(u"Bad\uFFFD"_s));
        QCOMPARE(ui.rows("List2"), QStringList{u"Z.000"_s});
        ui.click("Command3");
        QCOMPARE(ui.texts, QStringList{});
        QVERIFY(::access(folder + "/HP39DIR.000", F_OK) == 0);
        std::filesystem::remove_all(folder.toStdString());  // a name Qt cannot remove
    }

    void actsWhileTheWindowIsOpen_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<int>("clickedRow");
        QTest::addColumn<QStringList>("rows");  // of List2, then of List1
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QByteArrayList>("directory");
        const QStringList none;
        const QByteArray up = f::Command1, down = f::Command5, getNames = f::Command6, createDir = f::Command3;
        QTest::newRow("Create DIR") << createDir << -1 << kFiles << none << kBuilt;
        QTest::newRow("Get Names") << getNames << -1 << kFiles + kTitles << none << kEarlier;
        QTest::newRow("up") << up << 1 << QStringList{"B.000", "A.000", "C.000"} << none << kEarlier;
        QTest::newRow("down, nothing selected")
            << down << -1 << kFiles << QStringList{"Please select an item to move"} << kEarlier;
    }

    void actsWhileTheWindowIsOpen() {
        QFETCH(QByteArray, button);
        QFETCH(int, clickedRow);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, messages);
        QFETCH(QByteArrayList, directory);
        UiDriver ui(u""_s);
        const QStringList before = entries(ui.path());
        ui.click(f::Command2);
        const QWidget* dialog = ui.shownDialog();
        if (clickedRow >= 0) {
            ui.clickRow(f::List2, clickedRow);
        }
        ui.click(button);
        QCOMPARE(ui.rows(f::List2) + ui.rows(f::List1), rows);
        QCOMPARE(ui.texts, messages);
        QCOMPARE(directoryFiles(ui.path()), directory);
        QCOMPARE(entries(ui.path()), before);
        // The same window stays open and still hands over its folder.
        QCOMPARE(ui.shownDialog(), dialog);
        ui.click(d::OKButton);
        QCOMPARE(ui.text(f::status), u"Ready"_s);
        QCOMPARE(ui.rows(f::List2), kFiles);
    }
};

QTEST_MAIN(FolderWindowTest)
#include "folder_window_test.moc"
