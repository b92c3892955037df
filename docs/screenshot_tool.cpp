// Photographs the main window for the documentation: the folder given on the
// command line is chosen through the folder window, "Get Names" is pressed,
// the second title selected, and the window as the X server shows it is
// saved as a PNG.

#include "tests/support/window_driver.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FOLDER OUTPUT.png\n", argv[0]);
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
    // Let the X server draw everything before it is read back.
    QTest::qWait(500);
    const QPixmap shot = driver.window().screen()->grabWindow(driver.window().winId());
    return shot.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
}
