#pragma once

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QWidget;

namespace quillmere {

class ArrowButton;
class Catalogue;
class CounterLabel;
class FileBox;

// The main window's controls, placed where the window's layout puts them,
// with their initial captions. Nothing is connected here.
struct Form1Controls {
    QGroupBox* Frame1;
    QLabel* Label2;
    QLineEdit* Text2;
    QPushButton* Command2;
    QLabel* Label4;
    QPushButton* Command3;
    QWidget* progress;
    QFrame* Shape1;
    QLabel* Label3;
    QLabel* Label5;
    QLabel* status;
    QPushButton* Command4;

    QGroupBox* Frame2;
    QListView* List2;
    QListView* List1;
    ArrowButton* Command1;
    ArrowButton* Command5;
    QPushButton* Command6;

    QLineEdit* textt;
    CounterLabel* Label1;
    FileBox* File1;
};

Form1Controls createForm1Controls(QWidget& window, Catalogue& catalogue);

}  // namespace quillmere
