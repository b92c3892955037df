#pragma once

#include <QLineEdit>

#include <string>

namespace quillmere {

// The field that shows the directory text. That text can run to millions of
// characters, and a line edit lays out every character it is given, at
// some forty bytes each. The field lies beyond the window's laid-out edge,
// so a new text is read and laid out only once the field is painted or takes
// the focus, that is, once the user can see or edit it; until then the
// catalogue's copy is the only one.
class DirectoryTextField : public QLineEdit {
    Q_OBJECT

public:
    explicit DirectoryTextField(const QString& text, QWidget* parent);

    // text, in the system code page, must stay until the next call.
    void showDirectoryText(const std::string& text);

protected:
    bool event(QEvent* event) override;

private:
    const std::string* waiting_ = nullptr;
};

}  // namespace quillmere
