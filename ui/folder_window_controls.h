#pragma once

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace quillmere {

class FolderTree;

// The folder window's controls, placed where the window's layout puts them.
struct DialogControls {
    QGroupBox* Frame1;
    QComboBox* Drive1;
    FolderTree* Dir1;
    QLineEdit* Text1;
    QLabel* Label1;
    QPushButton* OKButton;
    QPushButton* CancelButton;
};

DialogControls createDialogControls(QWidget& window);

}  // namespace quillmere
