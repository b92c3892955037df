#include "ui/directory_text_field.h"

#include <QEvent>

#include <limits>

namespace quillmere {

DirectoryTextField::DirectoryTextField(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
    // Directory texts of any length, not a line edit's usual 32767.
    setMaxLength(std::numeric_limits<int>::max());
}

void DirectoryTextField::showDirectoryText(const QString& text) {
    waiting_ = text;
    update();
}

bool DirectoryTextField::event(QEvent* event) {
    if (waiting_ && (event->type() == QEvent::Paint || event->type() == QEvent::FocusIn)) {
        setText(*waiting_);
        waiting_.reset();
    }
    return QLineEdit::event(event);
}

}  // namespace quillmere
