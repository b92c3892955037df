// Photographs the main window for the documentation: the folder given on the
// command line is chosen through the folder window, "Get Names" is pressed,
// the second title selected, and the window as the X server shows it is
// saved as a PNG.

#include "ui/main_window.h"

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <cstdio>

namespace {

void click(const quillmere::Form1& form, const char* button) {
    QTest::mouseClick(form.findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
}

}  // namespace

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
    click(form, "Command2");
    // The folder window is a child of the main window; its Text1 is the only one.
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QString::fromLocal8Bit(argv[1]));
    click(form, "OKButton");
    click(form, "Command6");
    auto* titles = form.findChild<QListView*>(QStringLiteral("List1"));
    if (titles->model()->rowCount() < 2) {
        std::fprintf(stderr, "%s: the folder holds fewer than two calculator files\n", argv[0]);
        return 1;
    }
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {},
                      titles->visualRect(titles->model()->index(1, 0)).center());
    // Let the X server draw everything before it is read back.
    QTest::qWait(500);
    const QPixmap shot = form.screen()->grabWindow(form.winId());
    return shot.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
}
