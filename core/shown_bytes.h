#pragma once

#include "core/catalogue_error.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillmere {

// One piece of bytes from outside: a code point of valid UTF-8, or a byte
// that begins no valid sequence.
struct TextPiece {
    char32_t value;
    bool isByte;
};

std::vector<TextPiece> textPieces(std::string_view bytes);

// Characters that are invisible, break the line or reorder the text around
// them: controls, bidirectional marks and zero-width characters.
bool actsOnText(char32_t c);

// "\x0A" for a byte or an ASCII character, "\u202E", "\U0001F600": each
// escape has a length of its own, so a character after one never reads as
// part of it.
std::string escapeOf(const TextPiece& piece);

// A name for a terminal: what acts on the text, bytes that are not UTF-8,
// and the backslash and double quote that would make it pass for an escape
// or end its quotes, escaped. A name can neither move the words around it
// nor send the terminal a command.
std::string terminalName(std::string_view bytes);

// Words for a terminal, such as a path the user gave or a peer's reason:
// only what would act on the text escaped.
std::string terminalWords(std::string_view bytes);

// A message for a terminal: its names as terminalName shows them, in double
// quotes, and its own words with only what would act on the text escaped,
// but for their line ends.
std::string terminalSentence(const Sentence& sentence);

}  // namespace quillmere
