#include "ui/directory_text_field.h"

#include "ui/local_text.h"

#include <QEvent>

#include <limits>

namespace quillmere {

DirectoryTextField::DirectoryTextField(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
    // Directory texts of any length, not a line edit's usual 32767.
    setMaxLength(std::numeric_limits<int>::max());
}

void DirectoryTextField::showDirectoryText(const std::string& text) {
    waiting_ = &text;
    update();
}

bool DirectoryTextField::event(QEvent* event) {
    if (waiting_ && (event->type() == QEvent::Paint || event->type() == QEvent::FocusIn)) {
        setText(fromLocal(*waiting_));
        waiting_ = nullptr;
    }
    return QLineEdit::event(event);
}

}  // namespace quillmere
