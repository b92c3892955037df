#pragma once

#include <QLineEdit>

#include <optional>

namespace quillmere {

// The field that shows the directory text. That text can run to millions of
// characters, and a line edit lays out every character it is given, at
// some forty bytes each. The field lies beyond the window's laid-out edge,
// so a new text is laid out only once the field is painted or takes the
// focus, that is, once the user can see or edit it.
class DirectoryTextField : public QLineEdit {
    Q_OBJECT

public:
    explicit DirectoryTextField(const QString& text, QWidget* parent);

    void showDirectoryText(const QString& text);

protected:
    bool event(QEvent* event) override;

private:
    std::optional<QString> waiting_;
};

}  // namespace quillmere
