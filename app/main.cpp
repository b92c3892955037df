#include "form1.h"
#include "window_icon.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLMERE_DISPLAY_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quillmere.Quillmere"));

    quillmere::Form1 form;
    form.show();
    setIconOncePainted(form);
    return QApplication::exec();
}
