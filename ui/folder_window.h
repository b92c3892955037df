#pragma once

#include "ui/folder_window_controls.h"
#include "ui/folder_window_host.h"

#include <QDialog>

namespace quillmere {

// The folder window, "Select Folder": a drive list, a folder tree and the
// path that OK hands to the main window. Creating it loads it on the
// working folder; closing it, by Cancel or through its frame, unloads it.
class Dialog : public QDialog {
    Q_OBJECT

public:
    // A child window of parent, which is the main window that host stands for.
    Dialog(QWidget& parent, FolderWindowHost& host);

    void AcceptFolder();
    void CancelFolder();

signals:
    // The window is closing and will be deleted: nothing may show it again.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    void Drive1_Change();
    void openDriveFolder(const QString& drive);

    FolderWindowHost& host_;
    DialogControls controls_;
};

}  // namespace quillmere
