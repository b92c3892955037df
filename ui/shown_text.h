#pragma once

#include "core/catalogue_error.h"

#include <QString>

#include <string>

namespace quillmere {

// Bytes from outside (a file name, a title) as the windows show them, so
// that they cannot lie: controls, bidirectional and zero-width characters,
// bytes that are not UTF-8, and the marks of a text not in composed form
// appear as escapes ("\u202E", "\x0A"), never as what they would do; a
// backslash and a double quote as "\\" and "\"", so that a name spelling
// out an escape, or quoting, is told from the real thing. Two different
// names never look alike, and a name cannot move or add words around it.
QString shownText(const std::string& bytes);

// A path as shownText shows each of its names, between the system's own
// separators.
QString shownPath(const std::string& path);

// A message: its names as shownText shows them, in double quotes, and its
// own words with only what would act on the text escaped.
QString shownSentence(const Sentence& sentence);

}  // namespace quillmere
