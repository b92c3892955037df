#include "form1.h"
#include "pending_files.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    quillmere::undoPendingFilesOnSignals();
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLMERE_DISPLAY_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quillmere.Quillmere"));
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/%1/io.github.quillmere.Quillmere.png").arg(size));
    }
    QApplication::setWindowIcon(icon);

    quillmere::Form1 form;
    form.show();
    return QApplication::exec();
}
