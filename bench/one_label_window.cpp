// The peer that start-up is measured against: the smallest Qt Widgets
// program that shows a window, one fixed-size window with one label.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    window.setFixedSize(305, 345);
    QLabel label(QStringLiteral("Quillmere"), &window);
    label.move(8, 8);
    window.show();
    return QApplication::exec();
}
