#pragma once

// What every window test shares: a fresh working folder, the main window
// driven by its controls' names as a user drives it, message boxes recorded
// and closed as they open, and the files read byte for byte.

#include "ui/control_names.h"
#include "ui/folder_window.h"
#include "ui/main_window.h"
#include "ui/local_text.h"

#include <QtTest>
#include <QtWidgets>

#include <optional>

using namespace Qt::StringLiterals;
namespace f = quillmere::form1_names;
namespace d = quillmere::dialog_names;

namespace quillmere::testing {

inline const QStringList kFiles{"A.000", "B.000", "C.000"};
inline const QStringList kTitles{"Ant", "Bee", "Cat"};
// An earlier build's directory files, unlike anything a build writes; then
// what a build of A.000, B.000 and C.000 writes, the last row first.
inline const QByteArrayList kEarlier{"HP39AscAA 7 OLD.0003 Old", "earlier HP39DIR.CUR"};
inline const QByteArrayList kBuilt{"HP39AscAA 5 C.0003 CatA 5 B.0003 BeeA 5 A.0003 Ant",
                                   "HP39AscA A 11 HP39DIR.0004 Root"};

// Creates the folder too. The body line after the header is never read.
inline void writeFile(const QString& path, const QByteArray& headerLine) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(headerLine + "\r\nBODY 1 2 3\r\n") > 0);
}

inline QByteArrayList directoryFiles(const QString& folder) {
    QByteArrayList contents;
    for (const QString& name : {u"/HP39DIR.000"_s, u"/HP39DIR.CUR"_s}) {
        QFile file(folder + name);
        contents.append(file.open(QIODevice::ReadOnly) ? file.readAll() : "<missing>"_ba);
    }
    return contents;
}

// Every entry, hidden ones too: a temporary file left behind starts with a dot.
inline QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// A working folder, made current, holding A.000, B.000 and C.000 (titled
// Ant, Bee and Cat), an earlier build's directory files and the folder
// "Empty"; then the main window, started on the folder of that name in the
// working folder when one is given.
class UiDriver {
public:
    explicit UiDriver(const std::optional<QString>& startFolder = std::nullopt) : start_(QDir::currentPath()) {
        for (int i = 0; i < 3; ++i) {
            writeFile(path(kFiles[i]), "HP39AscA 3 " + kTitles[i].toLatin1());
        }
        for (int i = 0; i < 2; ++i) {
            QFile file(path(i == 0 ? u"HP39DIR.000"_s : u"HP39DIR.CUR"_s));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(kEarlier[i]) > 0);
        }
        QDir(path()).mkdir(u"Empty"_s);
        QDir::setCurrent(path());
        // Message boxes are modal: each is recorded and closed with its first
        // button from inside its own event loop. Every one is a stop with OK.
        QObject::connect(&boxCloser_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && box->isVisible()) {
                const bool stop = box->icon() == QMessageBox::Critical && box->standardButtons() == QMessageBox::Ok;
                texts.append(stop ? box->text() : u"<not a stop box with OK>"_s);
                QTest::mouseClick(box->buttons().first(), Qt::LeftButton);
            }
        });
        boxCloser_.start(0);
        form.emplace(startFolder ? std::optional(quillmere::toFileName(path(*startFolder))) : std::nullopt);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(&*form));
    }
    ~UiDriver() { QDir::setCurrent(start_); }

    QString path(const QString& name = {}) const {
        return QDir::toNativeSeparators(name.isEmpty() ? working_.path() : working_.filePath(name));
    }

    // In the main window or, failing that, in the folder window on screen.
    template <typename Control = QWidget>
    Control* get(const QByteArray& name) const {
        Control* inDialog = nullptr;
        for (Control* control : form->findChildren<Control*>(QLatin1String(name))) {
            if (control->window() == &*form) {
                return control;
            }
            inDialog = control->window()->isVisible() ? control : inDialog;
        }
        return inDialog;
    }
    Dialog* shownDialog() const {
        const QWidget* ok = get(d::OKButton);
        return ok ? qobject_cast<Dialog*>(ok->window()) : nullptr;
    }

    QString text(const QByteArray& name) const {
        const auto* label = get<QLabel>(name);
        return label ? label->text() : get<QLineEdit>(name)->text();
    }
    QStringList rows(const QByteArray& list) const {
        const QAbstractItemModel* model = get<QAbstractItemView>(list)->model();
        QStringList texts;
        for (int row = 0; row < model->rowCount(); ++row) {
            texts.append(model->index(row, 0).data().toString());
        }
        return texts;
    }
    int row(const QByteArray& list) const {
        const QModelIndexList selected = get<QAbstractItemView>(list)->selectionModel()->selectedIndexes();
        return selected.isEmpty() ? -1 : selected.first().row();
    }

    void click(const QByteArray& button) const { QTest::mouseClick(get<QAbstractButton>(button), Qt::LeftButton); }
    void clickRow(const QByteArray& list, int row) const {
        auto* view = get<QAbstractItemView>(list);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(row, 0)).center());
    }
    // A user's double-click starts with a click; QTest sends the second half only.
    void clickFolder(const QString& shown, bool twice) const {
        auto* tree = get<QTreeWidget>(d::Dir1);
        const QPoint point = tree->visualItemRect(tree->findItems(shown, Qt::MatchRecursive).value(0)).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, point);
        if (twice) {
            QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, point);
        }
    }
    void typeIntoText1(const QString& typed) const {
        get<QLineEdit>(d::Text1)->selectAll();
        QTest::keyClicks(get(d::Text1), typed);
    }
    // "Change", the path typed into the folder window, "OK".
    void chooseFolder(const QString& folder) const {
        click(f::Command2);
        typeIntoText1(folder);
        click(d::OKButton);
    }

    QStringList texts;  // of the message boxes shown so far

private:
    QTemporaryDir working_;
    QString start_;
    QTimer boxCloser_;

public:
    std::optional<Form1> form;
};

}  // namespace quillmere::testing
