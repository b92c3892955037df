#pragma once

#include "ui/control_names.h"
#include "ui/main_window.h"

#include <QStringList>

#include <optional>
#include <string>

namespace quillmere {

class Dialog;

// Works the real main window, shown, through its controls found by name, as
// a user's clicks do; the folder window too while it is shown.
class WindowDriver {
public:
    explicit WindowDriver(const std::optional<std::string>& startFolder = std::nullopt);

    Form1& window() { return window_; }
    const Form1& window() const { return window_; }
    // In the main window or, failing that, in the folder window shown.
    template <typename Control = QWidget>
    Control* get(const char* name) const {
        Control* inFolderWindow = nullptr;
        for (Control* control : window_.findChildren<Control*>(QLatin1String(name))) {
            if (control->window() == &window_) {
                return control;
            }
            inFolderWindow = control->window()->isVisible() ? control : inFolderWindow;
        }
        return inFolderWindow;
    }
    Dialog* folderWindow() const;

    QString text(const char* name) const;
    QStringList rows(const char* list) const;
    int selectedRow(const char* list) const;  // -1 for none

    void click(const char* button) const;
    void clickRow(const char* list, int row) const;
    // Selects the row as the arrow keys do, also one scrolled out of view.
    void selectRow(const char* list, int row) const;
    void doubleClickFolder(const QString& shown) const;
    // "Change", the path in the folder window, "OK".
    void chooseFolder(const QString& path) const;

private:
    Form1 window_;
};

}  // namespace quillmere
