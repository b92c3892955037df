// Photographs the main window for the documentation: the folder given on the
// command line is chosen through the folder window, "Get Names" is pressed,
// and the window as the X server shows it is saved as a PNG.

#include "form1.h"
#include "ui_driver.h"

#include <QApplication>
#include <QListWidget>
#include <QScreen>
#include <QTest>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FOLDER OUTPUT.png\n", argv[0]);
        return 2;
    }
    quillmere::Form1 form;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        return 1;
    }
    const quillmere::testing::UiDriver ui(form);
    ui.chooseFolder(QString::fromLocal8Bit(argv[1]));
    ui.click("Command6");
    ui.clickRow(ui.list("List1"), 1);
    // Let the X server draw everything before it is read back.
    QTest::qWait(500);
    const QPixmap shot = form.screen()->grabWindow(form.winId());
    return shot.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
}
