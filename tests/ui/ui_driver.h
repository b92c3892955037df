#pragma once

// What every window test shares: a fresh working folder with the main window
// shown, both windows driven by their controls' names, message boxes closed
// as they open, and the files read and written byte for byte.

#include "dialog.h"
#include "form1.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

namespace quillmere::testing {

inline const QStringList kFiles{"A.000", "B.000", "C.000"};
inline const QStringList kTitles{"Ant", "Bee", "Cat"};
// An earlier build's "HP39DIR.000" and "HP39DIR.CUR", unlike anything a build
// writes so that any rewrite shows; then what a build of A.000, B.000 and
// C.000 writes, the last row first.
inline const QByteArrayList kEarlier{"HP39AscAA 7 OLD.0003 Old", "earlier HP39DIR.CUR"};
inline const QByteArrayList kBuilt{"HP39AscAA 5 C.0003 CatA 5 B.0003 BeeA 5 A.0003 Ant",
                                   "HP39AscA A 11 HP39DIR.0004 Root"};

// Creates the folder too, if need be.
inline void writeFile(const QString& path, const QByteArray& bytes) {
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Its header line, then a body line that the catalogue must never read.
inline void writeCalculatorFile(const QString& path, const QByteArray& headerLine) {
    writeFile(path, headerLine + "\r\nBODY 1 2 3\r\n");
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "<missing>"_ba;
}

inline QByteArrayList directoryFiles(const QString& folder) {
    return {readFile(folder + u"/HP39DIR.000"_s), readFile(folder + u"/HP39DIR.CUR"_s)};
}

// Every entry of folder, hidden ones included: a temporary file left behind
// starts with a dot.
inline QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}
inline const QStringList kEntries{"A.000", "B.000", "C.000", "Empty", "HP39DIR.000", "HP39DIR.CUR"};

// A fresh working folder, made the current one, holding A.000, B.000 and
// C.000 (titled Ant, Bee and Cat), an earlier build's directory files and the
// folder "Empty"; and the main window shown. Both windows are driven as a
// user would: by their controls' names, with clicks and typing.
class UiDriver {
public:
    struct Message { QString title; QMessageBox::Icon icon; QMessageBox::StandardButtons buttons; };
    UiDriver() : startFolder_(QDir::currentPath()) {
        QVERIFY(working_.isValid());
        writeCalculatorFile(path(u"A.000"_s), "HP39AscA 3 Ant");
        writeCalculatorFile(path(u"B.000"_s), "HP39AscA 3 Bee");
        writeCalculatorFile(path(u"C.000"_s), "HP39AscA 3 Cat");
        writeFile(path(u"HP39DIR.000"_s), kEarlier.at(0));
        writeFile(path(u"HP39DIR.CUR"_s), kEarlier.at(1));
        QVERIFY(QDir(path()).mkdir(u"Empty"_s));
        QDir::setCurrent(path());
        // Message boxes are modal and wait for a click: each one is recorded
        // and closed with its first button, from inside its own event loop.
        QObject::connect(&boxCloser_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && box->isVisible()) {
                texts.append(box->text());
                messages.append({box->windowTitle(), box->icon(), box->standardButtons()});
                QTest::mouseClick(box->buttons().first(), Qt::LeftButton);
            }
        });
        boxCloser_.start(0);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }

    ~UiDriver() {
        QDir::setCurrent(startFolder_);
        // A folder a test made unreadable could not be removed.
        QFile::setPermissions(path(u"locked"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // The native path of name in the working folder, or of the folder itself.
    QString path(const QString& name = {}) const {
        return QDir::toNativeSeparators(name.isEmpty() ? working_.path() : working_.filePath(name));
    }

    // The control of that name in the main window or, failing that, in the
    // folder window on screen.
    template <typename Control = QWidget>
    Control* get(const QString& name) const {
        Control* inDialog = nullptr;
        for (Control* control : form.findChildren<Control*>(name)) {
            if (control->window() == &form) {
                return control;
            }
            inDialog = control->window()->isVisible() ? control : inDialog;
        }
        return inDialog;
    }

    // The folder window on screen, or nullptr.
    Dialog* shownDialog() const {
        const QWidget* ok = get(u"OKButton"_s);
        return ok ? qobject_cast<Dialog*>(ok->window()) : nullptr;
    }
    // Those that exist: one closed a moment ago is counted until deleted.
    QList<Dialog*> dialogs() const { return form.findChildren<Dialog*>(); }

    // The text of a label or field; the rows of a list and the one selected.
    QString text(const QString& name) const {
        const auto* label = get<QLabel>(name);
        const auto* field = get<QLineEdit>(name);
        return label ? label->text() : field ? field->text() : u"<no %1 on screen>"_s.arg(name);
    }
    // textt lies beyond the window's right edge and lays out a new text only
    // once it can be seen or edited: a keyboard user reaches it with Tab.
    QString directoryText() {
        QApplication::setActiveWindow(&form);
        auto* field = get<QLineEdit>(u"textt"_s);
        field->setFocus();
        return field->text();
    }
    QStringList rows(const QString& list) const {
        const QAbstractItemModel* model = get<QAbstractItemView>(list)->model();
        QStringList texts;
        for (int row = 0; row < model->rowCount(); ++row) {
            texts.append(model->index(row, 0).data().toString());
        }
        return texts;
    }
    int row(const QString& list) const { return get<QAbstractItemView>(list)->currentIndex().row(); }

    void click(const QString& button) const { QTest::mouseClick(get<QAbstractButton>(button), Qt::LeftButton); }
    void clickRow(const QString& list, int row) const {
        auto* box = get<QAbstractItemView>(list);
        const QModelIndex index = box->model()->index(row, 0);
        box->scrollTo(index);
        QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, box->visualRect(index).center());
    }
    void typeIntoText1(const QString& text) const {
        auto* text1 = get<QLineEdit>(u"Text1"_s);
        text1->setFocus();
        QTest::keyClick(text1, Qt::Key_A, Qt::ControlModifier);  // typing replaces the selection
        QTest::keyClicks(text1, text);
    }
    // Clicks, or double-clicks, the folder shown as text in Dir1. A user's
    // double-click starts with a click; QTest sends the second half only.
    void clickFolder(const QString& text, int clicks = 1) const {
        auto* tree = get<QTreeWidget>(u"Dir1"_s);
        const QList<QTreeWidgetItem*> items = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(items.size(), 1);
        const QPoint point = tree->visualItemRect(items.first()).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, point);
        if (clicks == 2) {
            QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, point);
        }
    }
    // "Change", the path typed into the folder window, "OK".
    void chooseFolder(const QString& path) const {
        click(u"Command2"_s);
        typeIntoText1(path);
        click(u"OKButton"_s);
    }

    Form1 form;
    // The texts of the message boxes shown so far; their titles, icons and buttons.
    QStringList texts;
    QList<Message> messages;

private:
    QTemporaryDir working_;
    QString startFolder_;
    QTimer boxCloser_;
};

}  // namespace quillmere::testing
