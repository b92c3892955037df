// Photographs a window for the documentation: the folder given on the
// command line is chosen through the folder window, "Get Names" is pressed,
// the second title selected, and the main window as the X server shows it is
// saved as a PNG. With "link" after the file name, the "Calculator link"
// window instead: it serves the folder, taking files sent, until three
// transfers show (the caller runs the calculator's side).

#include "tests/support/window_driver.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

#include <cstdio>
#include <cstring>

namespace {

// The link window once it has shown three transfers, or nothing after a minute.
QWidget* servingLink(quillmere::WindowDriver& driver) {
    namespace names = quillmere::link_names;
    driver.window().findChild<QAction*>(names::sendToCalculator)->trigger();
    auto* link = driver.window().findChild<QWidget*>(names::LinkWindow);
    link->resize(640, 400);
    link->findChild<QAbstractButton*>(names::receive)->click();
    link->findChild<QAbstractButton*>(names::start)->click();
    const auto* transfers = link->findChild<QTreeWidget*>(names::transfers);
    const bool shown = QTest::qWaitFor(
        [transfers] {
            return transfers->topLevelItemCount() == 3 && !transfers->topLevelItem(2)->text(2).isEmpty();
        },
        60000);
    return shown ? link : nullptr;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const bool link = argc == 4 && std::strcmp(argv[3], "link") == 0;
    if (argc != 3 && !link) {
        std::fprintf(stderr, "usage: %s FOLDER OUTPUT.png [link]\n", argv[0]);
        return 2;
    }
    namespace names = quillmere::form1_names;
    quillmere::WindowDriver driver;
    driver.chooseFolder(QString::fromLocal8Bit(argv[1]));
    driver.click(names::Command6);
    if (driver.rows(names::List1).size() < 2) {
        std::fprintf(stderr, "%s: the folder holds fewer than two calculator files\n", argv[0]);
        return 1;
    }
    driver.clickRow(names::List1, 1);
    QWidget* shown = &driver.window();
    if (link) {
        // Written first: the link window would otherwise ask.
        driver.click(names::Command3);
        shown = servingLink(driver);
        if (!shown) {
            std::fprintf(stderr, "%s: the calculator's side made no three transfers\n", argv[0]);
            return 1;
        }
    }
    // Let the X server draw everything before it is read back.
    QTest::qWait(500);
    const QPixmap shot = shown->screen()->grabWindow(shown->winId());
    return shot.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
}
