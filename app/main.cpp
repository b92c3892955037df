#include "form1.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    QApplication::setApplicationVersion(QStringLiteral("1.01.0002"));
    quillmere::Form1 form;
    form.show();
    return QApplication::exec();
}
