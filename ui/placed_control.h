#pragma once

#include <QRect>
#include <QString>

namespace quillmere {

// Names a control as the program knows it and puts it at its laid-out place.
template <typename Control>
Control* place(Control* control, const char* name, QRect geometry) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    return control;
}

}  // namespace quillmere
