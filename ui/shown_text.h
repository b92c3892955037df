#pragma once

#include <QString>

#include <string>

namespace quillmere {

// Bytes from outside (a file name, a title, a message that names them) as
// the windows show them, so that they cannot lie: controls, bidirectional
// and zero-width characters, bytes that are not UTF-8, and the marks of a
// text not in composed form appear as escapes ("\u202E", "\x0A"), never as
// what they would do. Two different names never look alike, and a name
// cannot move or add words around it.
QString shownText(const std::string& bytes);

}  // namespace quillmere
