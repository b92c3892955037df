#include "app/arguments.h"
#include "app/stop_signals.h"
#include "app/window_icon.h"
#include "ui/accessibility.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <iostream>

int main(int argc, char* argv[]) {
    using quillmere::Arguments;
    const Arguments arguments = quillmere::parseArguments(argc, argv);
    switch (arguments.action) {
    case Arguments::Action::Help:
        std::cout << quillmere::kUsage;
        return 0;
    case Arguments::Action::Version:
        std::cout << "quillmere " QUILLMERE_DISPLAY_VERSION "\n";
        return 0;
    case Arguments::Action::Misuse:
        std::cerr << quillmere::kUsage;
        return 2;
    case Arguments::Action::Window:
        break;
    }

    quillmere::holdStopSignals();
    QApplication app(argc, argv);
    quillmere::quitOnStopSignals(app);
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLMERE_DISPLAY_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quillmere.Quillmere"));
    // Qt's own texts (the message boxes' buttons) in the user's language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }

    // Before any control exists: assistive technology may ask for one at once.
    quillmere::installAccessibleInterfaces();

    quillmere::Form1 form(arguments.folder);
    form.show();
    if (arguments.link) {
        form.SendToCalculator();
    }
    setIconOncePainted(form);
    return quillmere::stopRequested() ? 0 : QApplication::exec();
}
