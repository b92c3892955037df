#include "ui/layout_font.h"

#include <QFont>
#include <QWidget>

namespace quillmere {

void useLayoutFont(QWidget& window) {
    QFont font = window.font();
    font.setPointSize(8);
    font.setStretch(QFont::Condensed);
    window.setFont(font);
}

}  // namespace quillmere
