// The windows against unexpected use: buttons pressed while the folder
// window is open, typed paths that name no listable folder, the folder
// window closed through its frame, files that change after being listed.
// Each action ends with a message or the exact bytes and leaves the program
// usable, the earlier directory files whole and no temporary file behind.
// ("Exit" with the folder window open: form1_test.)

#include "calculator_files.h"
#include "dialog.h"
#include "form1.h"
#include "message_catcher.h"
#include "ui_driver.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <memory>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

using namespace quillmere;
using namespace quillmere::testing;

namespace {

// "HP39DIR.000" and "HP39DIR.CUR". The earlier ones are unlike anything a
// build writes, so that any rewrite shows; a build lists the last row first.
const QByteArrayList kEarlier{"HP39AscAA 7 OLD.0003 Old", "earlier HP39DIR.CUR"};
const QByteArrayList kBuilt{"HP39AscAA 5 C.0003 CatA 5 B.0003 BeeA 5 A.0003 Ant",
                            "HP39AscA A 11 HP39DIR.0004 Root"};
const QStringList kFiles{"A.000", "B.000", "C.000"};
const QStringList kFolderEntries{"A.000", "B.000", "C.000", "HP39DIR.000", "HP39DIR.CUR"};

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Hidden entries included: a left temporary file starts with a dot.
QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

QByteArrayList directoryFiles(const QString& folder) {
    return {readFile(folder, QStringLiteral("HP39DIR.000")), readFile(folder, QStringLiteral("HP39DIR.CUR"))};
}

// What the folder window may change in the main window.
QStringList mainState(const UiDriver& ui) {
    return QStringList{ui.lineEdit("Text2")->text(), ui.label("Label4")->text()} + ui.rows("List2");
}

}  // namespace

class WindowFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void actsWhileTheFolderWindowIsOpen_data();
    void actsWhileTheFolderWindowIsOpen();
    void opensOneFolderWindowAtATime_data();
    void opensOneFolderWindowAtATime();
    void refusesATypedPath_data();
    void refusesATypedPath();
    void takesTrailingSeparatorsUnchanged();
    void reportsAFileChangedAfterListing_data();
    void reportsAFileChangedAfterListing();

private:
    std::unique_ptr<QTemporaryDir> working_;
    QString calc_;
    QString startFolder_;
    std::unique_ptr<Form1> form_;
    std::unique_ptr<UiDriver> ui_;
};

// The working folder holds the folder "calc": three calculator files and
// the directory files of an earlier build.
void WindowFaultsTest::init() {
    working_ = std::make_unique<QTemporaryDir>();
    QVERIFY(working_->isValid());
    QVERIFY(QDir(working_->path()).mkdir(QStringLiteral("calc")));
    calc_ = native(working_->filePath(QStringLiteral("calc")));
    writeCalculatorFile(calc_, QStringLiteral("A.000"), "HP39AscA 3 Ant");
    writeCalculatorFile(calc_, QStringLiteral("B.000"), "HP39AscA 3 Bee");
    writeCalculatorFile(calc_, QStringLiteral("C.000"), "HP39AscA 3 Cat");
    writeFile(calc_, QStringLiteral("HP39DIR.000"), kEarlier.at(0));
    writeFile(calc_, QStringLiteral("HP39DIR.CUR"), kEarlier.at(1));
    startFolder_ = QDir::currentPath();
    QDir::setCurrent(working_->path());

    form_ = std::make_unique<Form1>();
    ui_ = std::make_unique<UiDriver>(*form_);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void WindowFaultsTest::cleanup() {
    ui_.reset();
    form_.reset();
    QDir::setCurrent(startFolder_);
    // An unreadable folder could not be removed.
    QFile::setPermissions(working_->filePath(QStringLiteral("locked")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    working_.reset();
}

void WindowFaultsTest::actsWhileTheFolderWindowIsOpen_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("clickedRow");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("writes");

    QTest::newRow("Create DIR") << "Command3" << -1 << kFiles << QStringList{} << "" << true;
    QTest::newRow("Get Names") << "Command6" << -1 << kFiles << QStringList{"Ant", "Bee", "Cat"} << ""
                               << false;
    QTest::newRow("up") << "Command1" << 1 << QStringList{"B.000", "A.000", "C.000"} << QStringList{} << ""
                        << false;
    QTest::newRow("down, nothing selected") << "Command5" << -1 << kFiles << QStringList{}
                                            << "Please select an item to move" << false;
}

void WindowFaultsTest::actsWhileTheFolderWindowIsOpen() {
    QFETCH(QString, button);
    QFETCH(int, clickedRow);
    QFETCH(QStringList, files);
    QFETCH(QStringList, titles);
    QFETCH(QString, message);
    QFETCH(bool, writes);

    ui_->chooseFolder(calc_);
    ui_->click("Command2");
    Dialog* dialog = ui_->shownDialog();
    QVERIFY(dialog);
    if (clickedRow >= 0) {
        ui_->clickRow(ui_->list("List2"), clickedRow);
    }

    const MessageCatcher messages;
    ui_->click(qPrintable(button));

    QCOMPARE(ui_->rows("List2"), files);
    QCOMPARE(ui_->rows("List1"), titles);
    QCOMPARE(messages.messages().size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QCOMPARE(messages.messages().first().text, message);
    }
    QCOMPARE(directoryFiles(calc_), writes ? kBuilt : kEarlier);
    QCOMPARE(entries(calc_), kFolderEntries);

    // The same folder window stays open and still hands over its folder.
    QCOMPARE(ui_->dialogs().size(), 1);
    QCOMPARE(ui_->shownDialog(), dialog);
    ui_->clickInDialog("OKButton");
    QVERIFY(!ui_->shownDialog());
    QCOMPARE(ui_->label("status")->text(), QStringLiteral("Ready"));
    QCOMPARE(ui_->rows("List2"), kFiles);
    ui_->click("Command3");
    QCOMPARE(messages.messages().size(), message.isEmpty() ? 0 : 1);
    QCOMPARE(directoryFiles(calc_), kBuilt);
    QCOMPARE(entries(calc_), kFolderEntries);
}

void WindowFaultsTest::opensOneFolderWindowAtATime_data() {
    QTest::addColumn<bool>("throughFrame");
    QTest::newRow("Cancel") << false;
    QTest::newRow("the frame's close control") << true;
}

void WindowFaultsTest::opensOneFolderWindowAtATime() {
    QFETCH(bool, throughFrame);
    const auto pressChange = [this] {
        for (int press = 0; press < 5; ++press) {
            ui_->click("Command2");
        }
    };
    ui_->chooseFolder(calc_);
    ui_->click("Command6");
    const QStringList before = mainState(*ui_);

    pressChange();
    ui_->typeIntoText1(QStringLiteral("typed, never taken"));
    pressChange();
    QCOMPARE(ui_->dialogs().size(), 1);
    // No reload ran: the typed text stays.
    QCOMPARE(ui_->dialogControl<QLineEdit>("Text1")->text(), QStringLiteral("typed, never taken"));
    QCOMPARE(ui_->label("status")->text(), QStringLiteral("Changing folder"));

    const QPointer<Dialog> left = ui_->shownDialog();
    if (throughFrame) {
        QVERIFY(left->close());
    } else {
        ui_->clickInDialog("CancelButton");
    }
    QCOMPARE(mainState(*ui_), before);
    QCOMPARE(ui_->rows("List1"), (QStringList{"Ant", "Bee", "Cat"}));
    QCOMPARE(ui_->label("status")->text(), QStringLiteral("Changing folder"));

    // Pressed before the closed window is deleted, "Change" makes one anew,
    // loaded on the working folder.
    pressChange();
    QTRY_VERIFY(left.isNull());
    QCOMPARE(ui_->dialogs().size(), 1);
    QCOMPARE(ui_->dialogControl<QLineEdit>("Text1")->text(), native(working_->path()));
    ui_->clickInDialog("OKButton");
    QVERIFY(!ui_->shownDialog());
    QCOMPARE(mainState(*ui_), (QStringList{native(working_->path()), "There are 0 files in this folder"}));
    QCOMPARE(ui_->label("status")->text(), QStringLiteral("Ready"));
}

void WindowFaultsTest::refusesATypedPath_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("unreadable");
    QTest::addColumn<QString>("cause");

    QTest::newRow("a regular file") << "calc/A.000" << false << "not a directory";
    QTest::newRow("a missing folder") << "calc/Missing" << false << "no such file or directory";
    QTest::newRow("a folder the user may not read") << "locked" << true << "permission denied";
}

void WindowFaultsTest::refusesATypedPath() {
    QFETCH(QString, name);
    QFETCH(bool, unreadable);
    QFETCH(QString, cause);

    const QString path = native(working_->filePath(name));
    if (unreadable && ::geteuid() == 0) {
        // Root lists any folder whatever its bits: this row runs again, alone,
        // as the unprivileged user "nobody", and must pass there.
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        const QStringList asNobody{"--reuid=65534", "--regid=65534", "--clear-groups"};
        if (setpriv.isEmpty() || QProcess::execute(setpriv, asNobody + QStringList{"true"}) != 0) {
            QSKIP("Running as root, and setpriv cannot run this case as another user.");
        }
        QProcess child;
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.setWorkingDirectory(QCoreApplication::applicationDirPath());
        const QString function = QString::fromLatin1(QTest::currentTestFunction());
        const QString row = QString::fromLatin1(QTest::currentDataTag());
        const QStringList run{QCoreApplication::applicationFilePath(), function + ':' + row};
        child.start(setpriv, asNobody + run);
        QVERIFY(child.waitForFinished(-1));
        const QString output = QString::fromLocal8Bit(child.readAll());
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, qPrintable(output));
        const QString passed = QStringLiteral("PASS   : WindowFaultsTest::%1(%2)\n").arg(function, row);
        QVERIFY2(output.contains(passed), qPrintable(output));
        return;
    }
    if (unreadable) {
        QVERIFY(QDir(working_->path()).mkdir(name));
        writeCalculatorFile(path, QStringLiteral("L.000"), "HP39AscA 4 Lock");
        QVERIFY(QFile::setPermissions(path, {}));
        std::error_code error;
        const std::filesystem::directory_iterator listing(QFile::encodeName(path).toStdString(), error);
        QVERIFY2(error, "The current user still lists the folder: the case would prove nothing.");
    }
    ui_->chooseFolder(calc_);
    const QStringList before = mainState(*ui_);
    QCOMPARE(before.at(1), QStringLiteral("There are 3 files in this folder"));

    const MessageCatcher messages;
    ui_->chooseFolder(path);

    QCOMPARE(messages.messages().size(), 1);
    QCOMPARE(messages.messages().first().text,
             QStringLiteral("Cannot list the folder \"%1\": %2.").arg(path, cause));
    QCOMPARE(mainState(*ui_), before);
    QVERIFY(ui_->shownDialog());
    QCOMPARE(ui_->dialogControl<QLineEdit>("Text1")->text(), path);
    QCOMPARE(directoryFiles(calc_), kEarlier);
    QCOMPARE(entries(calc_), kFolderEntries);

    // The user corrects the path in the window left open.
    ui_->typeIntoText1(calc_);
    ui_->clickInDialog("OKButton");
    QVERIFY(!ui_->shownDialog());
    QCOMPARE(ui_->label("status")->text(), QStringLiteral("Ready"));
    QCOMPARE(mainState(*ui_), before);
    QCOMPARE(messages.messages().size(), 1);
}

void WindowFaultsTest::takesTrailingSeparatorsUnchanged() {
    const QString typed = native(calc_ + "//");
    const MessageCatcher messages;
    ui_->chooseFolder(typed);

    QVERIFY(!ui_->shownDialog());
    QCOMPARE(ui_->lineEdit("Text2")->text(), typed);
    QCOMPARE(ui_->rows("List2"), kFiles);
    QCOMPARE(ui_->label("Label4")->text(), QStringLiteral("There are 3 files in this folder"));
    ui_->click("Command3");
    QVERIFY(messages.messages().isEmpty());
    QCOMPARE(directoryFiles(calc_), kBuilt);
    QCOMPARE(entries(calc_), kFolderEntries);
}

void WindowFaultsTest::reportsAFileChangedAfterListing_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("fifo");

    QTest::newRow("deleted, Get Names") << "Command6" << false;
    QTest::newRow("deleted, Create DIR") << "Command3" << false;
    QTest::newRow("a FIFO, Get Names") << "Command6" << true;
    QTest::newRow("a FIFO, Create DIR") << "Command3" << true;
}

void WindowFaultsTest::reportsAFileChangedAfterListing() {
    QFETCH(QString, button);
    QFETCH(bool, fifo);

    ui_->chooseFolder(calc_);
    const QString b = QDir(calc_).filePath(QStringLiteral("B.000"));
    QVERIFY(QFile::remove(b));
    if (fifo) {
        // Opened as a plain file this would wait for a writer for ever.
        QCOMPARE(::mkfifo(QFile::encodeName(b).constData(), 0600), 0);
    }

    const MessageCatcher messages;
    ui_->click(qPrintable(button));

    QCOMPARE(messages.messages().size(), 1);
    QCOMPARE(messages.messages().first().text,
             QStringLiteral("Cannot read the header line of \"B.000\": %1.")
                 .arg(fifo ? "it is not a regular file" : "no such file or directory"));
    QCOMPARE(directoryFiles(calc_), kEarlier);
    const QStringList withoutB{"A.000", "C.000", "HP39DIR.000", "HP39DIR.CUR"};
    QCOMPARE(entries(calc_), fifo ? kFolderEntries : withoutB);

    // With the file back, the same window builds the folder.
    if (fifo) {
        QVERIFY(QFile::remove(b));
    }
    writeCalculatorFile(calc_, QStringLiteral("B.000"), "HP39AscA 3 Bee");
    ui_->click("Command3");
    QCOMPARE(messages.messages().size(), 1);
    QCOMPARE(ui_->label("status")->text(), QStringLiteral("Ready"));
    QCOMPARE(directoryFiles(calc_), kBuilt);
    QCOMPARE(entries(calc_), kFolderEntries);
}

QTEST_MAIN(WindowFaultsTest)
#include "window_faults_test.moc"
