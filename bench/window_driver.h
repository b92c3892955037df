#pragma once

#include <QString>

#include <memory>

class QWidget;

namespace quillmere {
class Form1;
}

// Works the real main window through its controls, as a user's clicks do.
class WindowDriver {
public:
    WindowDriver();
    ~WindowDriver();

    void chooseFolder(const QString& path);
    void getNames();
    void createDirectory();
    // Selects the middle title, then presses the down arrow.
    void moveMiddleRowDown();
    int fileRows() const;

private:
    void click(QWidget* parent, const char* button);

    std::unique_ptr<quillmere::Form1> window_;
};
