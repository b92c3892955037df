#include "core/shown_bytes.h"

#include <cstdio>
#include <utility>

namespace quillmere {
namespace {

// The length of the valid UTF-8 sequence at bytes[at], 0 for none, and its
// code point.
std::pair<int, char32_t> decodeAt(std::string_view bytes, std::size_t at) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) {
        return {1, lead};
    }
    const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || at + static_cast<std::size_t>(length) > bytes.size()) {
        return {0, 0};
    }
    char32_t point = lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(k)]);
        if ((next & 0xC0) != 0x80) {
            return {0, 0};
        }
        point = (point << 6) | (next & 0x3F);
    }
    constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < kLeast[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
        return {0, 0};
    }
    return {length, point};
}

// ownWords: the program's own words, whose line ends are its own.
std::string terminalText(std::string_view bytes, bool isName, bool ownWords = false) {
    std::string text;
    std::size_t at = 0;
    for (const TextPiece& piece : textPieces(bytes)) {
        const std::size_t length = piece.isByte || piece.value < 0x80 ? 1
                                   : piece.value < 0x800              ? 2
                                   : piece.value < 0x10000            ? 3
                                                                      : 4;
        if (isName && (piece.value == '\\' || piece.value == '"') && !piece.isByte) {
            text += '\\';
            text += static_cast<char>(piece.value);
        } else if (piece.isByte || (actsOnText(piece.value) && !(ownWords && piece.value == '\n'))) {
            text += escapeOf(piece);
        } else {
            text.append(bytes.substr(at, length));
        }
        at += length;
    }
    return text;
}

}  // namespace

std::vector<TextPiece> textPieces(std::string_view bytes) {
    std::vector<TextPiece> pieces;
    for (std::size_t at = 0; at < bytes.size();) {
        const auto [length, point] = decodeAt(bytes, at);
        pieces.push_back(length ? TextPiece{point, false}
                                : TextPiece{static_cast<unsigned char>(bytes[at]), true});
        at += length ? static_cast<std::size_t>(length) : 1;
    }
    return pieces;
}

bool actsOnText(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x2069) || c == 0xFEFF;
}

std::string escapeOf(const TextPiece& piece) {
    const bool asByte = piece.isByte || piece.value < 0x80;
    char escape[12];
    std::snprintf(escape, sizeof escape,
                  asByte                 ? "\\x%02X"
                  : piece.value > 0xFFFF ? "\\U%08X"
                                         : "\\u%04X",
                  static_cast<unsigned>(piece.value));
    return escape;
}

std::string terminalName(std::string_view bytes) {
    return terminalText(bytes, true);
}

std::string terminalWords(std::string_view bytes) {
    return terminalText(bytes, false);
}

std::string terminalSentence(const Sentence& sentence) {
    std::string text;
    for (const Sentence::Part& part : sentence.parts()) {
        text += part.isName ? '"' + terminalName(part.text) + '"' : terminalText(part.text, false, true);
    }
    return text;
}

}  // namespace quillmere
