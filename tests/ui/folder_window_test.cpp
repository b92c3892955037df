#include "tests/ui/window_fixture.h"

#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using quillmere::FolderWindowMode;

namespace {

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
        QTest::newRow("unset") << FolderWindowMode::Unset;
        QTest::newRow("changing the folder") << FolderWindowMode::ChangingFolder;
        QTest::newRow("cancelled") << FolderWindowMode::Cancelled;
    }

    void appliesTheFolderOnlyWhenChanging() {
        QFETCH(FolderWindowMode, mode);
        QWidget mainWindow;
        RecordingHost host;
        host.mode = mode;
        quillmere::Dialog dialog(mainWindow, host);
        dialog.show();
        const QString path = dialog.findChild<QLineEdit*>(QLatin1String(d::Text1))->text();
        QTest::mouseClick(dialog.findChild<QPushButton*>(QLatin1String(d::OKButton)), Qt::LeftButton);
        const QStringList applied{u"folder "_s + path};
        QCOMPARE(host.calls, (mode == FolderWindowMode::ChangingFolder ? applied : QStringList{}) + QStringList{"status Ready"});
        QVERIFY(dialog.isHidden());
    }

    // "Change" shows one window, loaded on the working folder. OK hands the
    // folder over, refreshing the lists, and keeps the window for the next
    // "Change"; Cancel and the frame's close control discard it.
    void closes_data() {
        QTest::addColumn<QByteArray>("closedBy");
        QTest::addColumn<FolderWindowMode>("erm");
        QTest::newRow("OK") << QByteArray(d::OKButton) << FolderWindowMode::ChangingFolder;
        QTest::newRow("Cancel") << QByteArray(d::CancelButton) << FolderWindowMode::Cancelled;
        QTest::newRow("the frame's close control") << QByteArray() << FolderWindowMode::ChangingFolder;
    }

    void closes() {
        QFETCH(QByteArray, closedBy);
        QFETCH(FolderWindowMode, erm);
        Ui ui(u""_s);
        ui.clickRow(f::List2, 1);
        ui.click(f::Command1);  // an order that only a refresh loses
        ui.click(f::Command2);
        const QPointer<QWidget> first = ui.folderWindow();
        QCOMPARE(ui.text(d::Text1), ui.path());
        ui.doubleClickFolder(u"Empty"_s);
        ui.click(f::Command2);
        QCOMPARE(ui.window().findChildren<quillmere::Dialog*>().size(), 1);
        closedBy.isEmpty() ? void(first->close()) : ui.click(closedBy);
        QCOMPARE(ui.window().erm(), erm);
        const bool ok = closedBy == d::OKButton;
        const QString folder = ok ? ui.path(u"Empty"_s) : ui.path();
        QCOMPARE((QStringList{ui.text(f::Text2), ui.text(f::status)}), (QStringList{folder, ok ? "Ready" : "Changing folder"}));
        QCOMPARE(ui.rows(f::List2), ok ? QStringList() : QStringList({"B.000", "A.000", "C.000"}));
        // Pressed before a closed window is deleted, "Change" makes one anew.
        ui.click(f::Command2);
        QTRY_VERIFY(ok == !first.isNull());
        QCOMPARE(ui.text(d::Text1), folder);
    }

    // A folder chosen in the window: one whose name is not valid text by its
    // real bytes; one that cannot be listed is named in a message, and the
    // main window keeps its folder.
    void choosesAFolder_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("cause");  // of the message naming the folder
        QTest::newRow("not valid UTF-8, double-clicked") << QByteArray("Bad\xff") << QString();
        QTest::newRow("unreadable, double-clicked") << QByteArray("locked") << "permission denied";
        QTest::newRow("missing, typed") << QByteArray("Missing") << "no such file or directory";
    }

    void choosesAFolder() {
        QFETCH(QByteArray, name);
        QFETCH(QString, cause);
        const bool locked = name == "locked";
        if (locked && ::geteuid() == 0) {
            return runThisRowAsNobody();
        }
        Ui ui(u""_s);
        const QByteArray folder = QFile::encodeName(ui.path()) + '/' + name;
        const QString shown = ui.path(QFile::decodeName(name));
        if (name != "Missing") {
            QVERIFY(::mkdir(folder.constData(), 0700) == 0);
            const int file = ::open(folder + "/Z.000", O_WRONLY | O_CREAT, 0600);
            QVERIFY(::write(file, "HP39AscA 3 Zed", 14) == 14 && ::close(file) == 0);
            QVERIFY(!locked || ::chmod(folder.constData(), 0) == 0);
        }
        ui.click(f::Command2);
        if (name == "Missing") {
            ui.get<QLineEdit>(d::Text1)->setText(shown);
        } else {
            ui.doubleClickFolder(QFile::decodeName(name));
        }
        ui.click(d::OKButton);
        if (!cause.isEmpty()) {
            QCOMPARE(ui.texts, QStringList{u"Cannot list the folder \"%1\": %2."_s.arg(shown, cause)});
            QCOMPARE(ui.text(f::Text2), ui.path());
            return;
        }
        QCOMPARE(ui.text(f::Text2), ui.path(u"Bad\uFFFD"_s));
        QCOMPARE(ui.rows(f::List2), QStringList{u"Z.000"_s});
        ui.click(f::Command3);
        QCOMPARE(ui.texts, QStringList{});
        QVERIFY(::access(folder + "/HP39DIR.000", F_OK) == 0);
        std::filesystem::remove_all(folder.toStdString());  // a name Qt cannot remove
    }

    void actsWhileTheWindowIsOpen_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QStringList>("rows");  // of List2, then of List1
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QByteArrayList>("directory");
        QTest::newRow("Create DIR") << QByteArray(f::Command3) << kFiles << QStringList() << kBuilt;
        QTest::newRow("Get Names") << QByteArray(f::Command6) << kFiles + QStringList{"Ant", "Bee", "Cat"}
                                   << QStringList() << kEarlier;
        QTest::newRow("down, nothing selected")
            << QByteArray(f::Command5) << kFiles << QStringList{"Please select an item to move"} << kEarlier;
    }

    void actsWhileTheWindowIsOpen() {
        QFETCH(QByteArray, button);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, messages);
        QFETCH(QByteArrayList, directory);
        Ui ui(u""_s);
        ui.click(f::Command2);
        const QWidget* dialog = ui.folderWindow();
        ui.click(button);
        QCOMPARE(ui.rows(f::List2) + ui.rows(f::List1), rows);
        QCOMPARE(ui.texts, messages);
        QCOMPARE(directoryFiles(ui.path()), directory);
        // The same window stays open and still hands over its folder.
        QCOMPARE(ui.folderWindow(), dialog);
        ui.click(d::OKButton);
        QCOMPARE(ui.text(f::status), u"Ready"_s);
    }
};

QTEST_MAIN(FolderWindowTest)
#include "folder_window_test.moc"
