#pragma once

#include "dialog_controls.h"

#include <QWidget>

namespace quillmere {

class Form1;

// The folder window, "Select Folder": a drive list, a folder tree and the
// path that OK hands to the main window. Creating it loads it on the
// working folder; closing it, by Cancel or through its frame, unloads it.
class Dialog : public QWidget {
    Q_OBJECT

public:
    explicit Dialog(Form1& form);

    void AcceptFolder();
    void CancelFolder();

signals:
    // The window is closing and will be deleted: nothing may show it again.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Drive1_Change();
    void openDriveFolder(const QString& drive);

    Form1& form_;
    DialogControls controls_;
};

}  // namespace quillmere
