#include "ui/folder_window.h"

#include "core/catalogue_error.h"
#include "ui/accessibility.h"
#include "ui/answering_reader.h"
#include "ui/control_names.h"
#include "ui/drives.h"
#include "ui/failure_message.h"
#include "ui/folder_tree.h"
#include "ui/layout_font.h"
#include "ui/local_text.h"
#include "ui/shown_text.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace quillmere {
namespace {

constexpr Qt::WindowFlags kFixedDialogFrame =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

}  // namespace

// As a child window of the main window it stays out of the task bar, above
// the main window, and goes when the main window goes.
Dialog::Dialog(QWidget& parent, FolderWindowHost& host)
    : QDialog(&parent, kFixedDialogFrame), host_(host), controls_(createDialogControls(*this)) {
    setObjectName(QLatin1String(dialog_names::Dialog));
    setWindowTitle(tr("Select Folder"));
    useLayoutFont(*this);
    setAttribute(Qt::WA_DeleteOnClose);
    describeDialogControls(controls_);
    controls_.Dir1->setLister([&host](const std::string& folder) { return host.subfoldersOf(folder); });
    const QRect clientArea = rectFromTwips(2760, 3750, 5775, 3375);
    setGeometry(clientArea.translated(parent.screen()->geometry().topLeft()));
    setFixedSize(clientArea.size());

    connect(controls_.Dir1, &FolderTree::pathChanged, controls_.Text1, &QLineEdit::setText);
    // A path typed and entered is meant for OK.
    connect(controls_.Text1, &QLineEdit::returnPressed, this, &Dialog::AcceptFolder);
    connect(controls_.OKButton, &QPushButton::clicked, this, &Dialog::AcceptFolder);
    connect(controls_.CancelButton, &QPushButton::clicked, this, &Dialog::CancelFolder);
    Form_Load();
    connect(controls_.Drive1, &QComboBox::currentIndexChanged, this, &Dialog::Drive1_Change);
}

void Dialog::AcceptFolder() {
    if (host_.erm() == FolderWindowMode::ChangingFolder) {
        try {
            // A path shown as the tree shows it is the tree's folder, whose
            // name need not be valid text: it goes by its real bytes.
            const QString typed = controls_.Text1->text();
            host_.takeFolder(typed == controls_.Dir1->path() ? controls_.Dir1->fileName()
                                                             : toFileName(typed));
        } catch (const ReadAbandoned&) {
            return;
        } catch (const CatalogueError& error) {
            // The window stays open on the path, so the user can correct it.
            showFailure(this, error);
            return;
        }
    }
    host_.setStatus(tr("Ready"));
    hide();
}

void Dialog::CancelFolder() {
    host_.folderWindowCancelled();
    close();
}

void Dialog::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit unloaded();
}

// Escape would close a dialog; this window closes only by its buttons and
// its frame. Enter presses the focused button, as Space does, and no other.
void Dialog::keyPressEvent(QKeyEvent* event) {
    auto* focused = qobject_cast<QPushButton*>(focusWidget());
    if (focused && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        focused->click();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        QWidget::keyPressEvent(event);
        return;
    }
    QDialog::keyPressEvent(event);
}

void Dialog::Form_Load() {
    const QString drive = driveOf(QDir::currentPath());
    for (const QString& each : availableDrives()) {
        controls_.Drive1->addItem(shownPath(toFileName(each)), each);
    }
    controls_.Drive1->setCurrentIndex(controls_.Drive1->findData(drive));
    openDriveFolder(drive);
}

void Dialog::Drive1_Change() {
    openDriveFolder(controls_.Drive1->currentData().toString());
}

void Dialog::openDriveFolder(const QString& drive) {
    try {
        controls_.Dir1->setPath(currentFolderOn(drive));
    } catch (const ReadAbandoned&) {
        return;
    } catch (const CatalogueError&) {
        QMessageBox::critical(this, windowTitle(),
                              tr("The drive %1 cannot be read.").arg(shownPath(toFileName(drive))));
    }
}

}  // namespace quillmere
