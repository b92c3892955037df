#pragma once

#include "tests/support/window_driver.h"
#include "ui/folder_window.h"
#include "ui/local_text.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;
namespace f = quillmere::form1_names;
namespace d = quillmere::dialog_names;

inline const QStringList kFiles{"A.000", "B.000", "C.000"};
// An earlier build's directory files, unlike anything a build writes; then
// what a build of A.000, B.000 and C.000 writes, the last row first.
inline const QByteArrayList kEarlier{"HP39AscAA 7 OLD.0003 Old", "earlier HP39DIR.CUR"};
inline const QByteArrayList kBuilt{"HP39AscAA 5 C.0003 CatA 5 B.0003 BeeA 5 A.0003 Ant",
                                   "HP39AscA A 11 HP39DIR.0004 Root"};

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

inline QByteArrayList directoryFiles(const QString& folder) {
    QByteArrayList contents;
    for (const char* name : {"/HP39DIR.000", "/HP39DIR.CUR"}) {
        QFile file(folder + name);
        contents.append(file.open(QIODevice::ReadOnly) ? file.readAll() : "<missing>"_ba);
    }
    return contents;
}

// A working folder, made current, holding A.000, B.000 and C.000 (titled
// Ant, Bee and Cat), an earlier build's directory files and the folder Empty.
class WorkingFolder {
public:
    WorkingFolder() {
        const QByteArray titles[] = {"Ant", "Bee", "Cat"};
        for (int i = 0; i < 3; ++i) {
            writeFile(path(kFiles[i]), "HP39AscA 3 " + titles[i] + "\r\nBODY\r\n");
        }
        writeFile(path(u"HP39DIR.000"_s), kEarlier[0]);
        writeFile(path(u"HP39DIR.CUR"_s), kEarlier[1]);
        QDir(path()).mkdir(u"Empty"_s);
        QDir::setCurrent(path());
    }
    ~WorkingFolder() { QDir::setCurrent(previous_); }
    QString path(const QString& name = {}) const {
        return QDir::toNativeSeparators(name.isEmpty() ? folder_.path() : folder_.filePath(name));
    }

private:
    QTemporaryDir folder_;
    QString previous_ = QDir::currentPath();
};

// Message boxes are modal: each is recorded and closed with its first button
// from inside its own event loop. Every one is a stop with OK.
struct BoxCloser {
    BoxCloser() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && box->isVisible()) {
                const bool stop = box->icon() == QMessageBox::Critical && box->standardButtons() == QMessageBox::Ok;
                texts.append(stop ? box->text() : u"<not a stop box with OK>"_s);
                QTest::mouseClick(box->buttons().first(), Qt::LeftButton);
            }
        });
        timer.start(0);
    }
    QStringList texts;
    QTimer timer;
};

// The main window over a working folder, started on its subfolder of that
// name when one is given ("" for the working folder itself).
struct Ui : WorkingFolder, BoxCloser, quillmere::WindowDriver {
    explicit Ui(const std::optional<QString>& start = std::nullopt)
        : WindowDriver(start ? std::optional(quillmere::toFileName(path(*start))) : std::nullopt) {}
};
