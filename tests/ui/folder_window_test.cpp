// The folder window: what it opens on, what its OK, Cancel and close control
// hand back to the main window, typed paths that name no listable folder,
// and the main window's buttons pressed while it is open.

#include "ui_driver.h"

#include <filesystem>

#include <unistd.h>

using namespace quillmere::testing;

namespace {

// What the folder window may change in the main window.
QStringList mainState(const UiDriver& ui) {
    return QStringList{ui.text("Text2"), ui.text("Label4"), ui.text("Label1")} + ui.rows("List2");
}

// Root lists any folder whatever its bits: the current row runs again,
// alone, as the unprivileged user "nobody", where its PASS line is required,
// as a skip would prove nothing.
void runThisRowAsNobody() {
    const QString setpriv = QStandardPaths::findExecutable(u"setpriv"_s);
    const QStringList asNobody{"--reuid=65534", "--regid=65534", "--clear-groups"};
    if (setpriv.isEmpty() || QProcess::execute(setpriv, asNobody + QStringList{"true"}) != 0) {
        QSKIP("Running as root, and setpriv cannot run this case as another user.");
    }
    const QString function = QString::fromLatin1(QTest::currentTestFunction());
    const QString row = QString::fromLatin1(QTest::currentDataTag());
    // The build folder may lie where that user cannot reach: run a copy.
    const QTemporaryDir copyFolder;
    const auto everyone = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                          QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                          QFileDevice::ExeOther;
    const QString copy = copyFolder.filePath(u"test"_s);
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
    QVERIFY(QFile::setPermissions(copyFolder.path(), everyone) && QFile::setPermissions(copy, everyone));
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

class FolderWindowTest : public QObject {
    Q_OBJECT

private slots:
    // "Change" shows one window, loaded on the working folder once; OK only
    // hides it, and every OK lists the folder anew.
    void keepsItsStateAndRefreshesOnEveryOk() {
        UiDriver ui;
        ui.click("Command2");
        const QWidget* dialog = ui.shownDialog();
        QCOMPARE(ui.text("Text1"), ui.path());
        const QString drive = ui.get<QComboBox>("Drive1")->currentText();
        ui.clickFolder(u"Empty"_s, 2);
        ui.typeIntoText1(u"."_s);
        ui.click("Command2");
        ui.click("Command2");
        QCOMPARE(ui.dialogs().size(), 1);
        QCOMPARE(ui.text("Text1"), u"."_s);
        QCOMPARE(ui.text("status"), u"Changing folder"_s);
        ui.click("OKButton");
        QVERIFY(dialog->isHidden());
        QCOMPARE(ui.text("Text2"), u"."_s);
        QCOMPARE(ui.text("Label1"), u"2"_s);
        ui.clickRow("List2", 1);
        ui.click("Command1");
        QCOMPARE(ui.rows("List2"), (QStringList{"B.000", "A.000", "C.000"}));

        ui.click("Command2");
        QCOMPARE(ui.shownDialog(), dialog);
        QCOMPARE(ui.text("Text1"), u"."_s);
        QCOMPARE(ui.get<QTreeWidget>("Dir1")->currentItem()->text(0), u"Empty"_s);
        QCOMPARE(ui.get<QComboBox>("Drive1")->currentText(), drive);
        ui.click("OKButton");
        QCOMPARE(ui.text("Label1"), u"3"_s);
        QCOMPARE(ui.rows("List2"), kFiles);
        QCOMPARE(ui.row("List2"), -1);
    }

    void reloadsAfterCancel_data() {
        QTest::addColumn<bool>("throughFrame");
        QTest::addColumn<int>("erm");
        QTest::newRow("Cancel") << false << int(quillmere::FolderWindowMode::Cancelled);
        QTest::newRow("the frame's close control") << true << int(quillmere::FolderWindowMode::ChangingFolder);
    }

    void reloadsAfterCancel() {
        QFETCH(bool, throughFrame);
        QFETCH(int, erm);
        UiDriver ui;
        ui.chooseFolder(ui.path());
        ui.click("Command2");
        const QString root = QDir::toNativeSeparators(QDir::rootPath());
        ui.clickFolder(root, 2);
        QCOMPARE(ui.text("Text1"), root);  // keeping its separator
        const QPointer<QWidget> closed = ui.shownDialog();
        throughFrame ? void(closed->close()) : ui.click("CancelButton");
        QCOMPARE(int(ui.form.erm()), erm);
        QCOMPARE(ui.text("Text2"), ui.path());
        QCOMPARE(ui.text("status"), u"Changing folder"_s);

        // Pressed before the closed window is deleted, "Change" makes one anew.
        ui.click("Command2");
        ui.click("Command2");
        QTRY_VERIFY(closed.isNull());
        QCOMPARE(ui.dialogs().size(), 1);
        QCOMPARE(ui.text("Text1"), ui.path());
    }

    // Relative, the root with its one separator, a folder with trailing ones.
    void takesTypedPathsUnchanged() {
        UiDriver ui;
        ui.chooseFolder(u"Empty"_s);
        QCOMPARE(ui.text("Text2"), u"Empty"_s);
        QCOMPARE(ui.rows("List2"), QStringList{});
        QCOMPARE(ui.text("Label4"), u"There are 0 files in this folder"_s);
        ui.click("Command5");  // nothing to move: no message

        const QString root = QDir::toNativeSeparators(QDir::rootPath());
        ui.chooseFolder(root);
        QCOMPARE(ui.text("Text2"), root);

        const QString typed = ui.path() + u"//"_s;
        ui.chooseFolder(typed);
        QCOMPARE(ui.text("Text2"), typed);
        QCOMPARE(ui.rows("List2"), kFiles);
        ui.click("Command3");
        QCOMPARE(directoryFiles(ui.path()), kBuilt);
        QCOMPARE(ui.texts, QStringList{});
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
        UiDriver ui;
        const QString path = ui.path(name);
        if (locked) {
            QVERIFY(QDir().mkdir(path));
            QVERIFY(QFile::setPermissions(path, {}));
            std::error_code error;
            const std::filesystem::directory_iterator listing(QFile::encodeName(path).toStdString(), error);
            QVERIFY2(error, "The current user still lists the folder: the case would prove nothing.");
        }
        ui.chooseFolder(ui.path());
        const QStringList before = mainState(ui);
        ui.chooseFolder(path);
        QCOMPARE(ui.texts, QStringList{u"Cannot list the folder \"%1\": %2."_s.arg(path, cause)});
        QCOMPARE(mainState(ui), before);
        QCOMPARE(ui.text("status"), u"Changing folder"_s);
        QCOMPARE(ui.text("Text1"), path);  // the window still shown, on the path

        // The user corrects the path in the window left open.
        ui.typeIntoText1(ui.path(u"Empty"_s));
        ui.click("OKButton");
        QCOMPARE(ui.text("Label4"), u"There are 0 files in this folder"_s);
        QCOMPARE(ui.text("status"), u"Ready"_s);
    }

    void actsWhileTheWindowIsOpen_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("clickedRow");
        QTest::addColumn<QStringList>("rows");  // of List2, then of List1
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QByteArrayList>("directory");
        const QStringList none;
        QTest::newRow("Create DIR") << "Command3" << -1 << kFiles << none << kBuilt;
        QTest::newRow("Get Names") << "Command6" << -1 << kFiles + kTitles << none << kEarlier;
        QTest::newRow("up") << "Command1" << 1 << QStringList{"B.000", "A.000", "C.000"} << none << kEarlier;
        QTest::newRow("down, nothing selected")
            << "Command5" << -1 << kFiles << QStringList{"Please select an item to move"} << kEarlier;
    }

    void actsWhileTheWindowIsOpen() {
        QFETCH(QString, button);
        QFETCH(int, clickedRow);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, messages);
        QFETCH(QByteArrayList, directory);
        UiDriver ui;
        ui.chooseFolder(ui.path());
        ui.click("Command2");
        const QWidget* dialog = ui.shownDialog();
        if (clickedRow >= 0) {
            ui.clickRow("List2", clickedRow);
        }
        ui.click(button);
        QCOMPARE(ui.rows("List2") + ui.rows("List1"), rows);
        QCOMPARE(ui.texts, messages);
        QCOMPARE(directoryFiles(ui.path()), directory);
        QCOMPARE(entries(ui.path()), kEntries);

        // The same window stays open and still hands over its folder.
        QCOMPARE(ui.shownDialog(), dialog);
        ui.click("OKButton");
        QCOMPARE(ui.text("status"), u"Ready"_s);
        QCOMPARE(ui.rows("List2"), kFiles);
        ui.click("Command3");
        QCOMPARE(directoryFiles(ui.path()), kBuilt);
    }
};

QTEST_MAIN(FolderWindowTest)
#include "folder_window_test.moc"
