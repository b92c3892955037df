#include "ui/shown_text.h"

#include "core/folder.h"

#include <string_view>
#include <vector>

namespace quillmere {
namespace {

// A code point, or a byte that begins no valid UTF-8 sequence.
struct Piece {
    char32_t value;
    bool isByte;
};

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

// Characters that are invisible, break the line or reorder the text around them.
bool acts(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x2069) || c == 0xFEFF;
}

QString fromPoint(char32_t c) {
    return QString::fromUcs4(&c, 1);
}

// A mark, or a character that composition replaces: what makes a text that
// is not composed look like the composed one.
bool decomposes(char32_t c) {
    const QChar::Category category = QChar::category(c);
    return c >= 0x80 && (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
                         category == QChar::Mark_Enclosing ||
                         fromPoint(c) != fromPoint(c).normalized(QString::NormalizationForm_C));
}

// Each escape has a length of its own ("\x" two digits, "\u" four, "\U"
// eight), so a character after one never reads as part of it.
QString escaped(char32_t value, bool isByte) {
    const bool asByte = isByte || value < 0x80;
    const int digits = asByte ? 2 : value > 0xFFFF ? 8 : 4;
    return QLatin1String(asByte        ? "\\x"
                         : digits == 8 ? "\\U"
                                       : "\\u") +
           QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

// As shownText; the program's own words keep their quotes and backslashes.
QString shown(const std::string& bytes, bool isName) {
    std::vector<Piece> pieces;
    QString valid;
    for (std::size_t at = 0; at < bytes.size();) {
        const auto [length, point] = decodeAt(bytes, at);
        pieces.push_back(length ? Piece{point, false} : Piece{static_cast<unsigned char>(bytes[at]), true});
        if (length) {
            valid += fromPoint(point);
        }
        at += length ? static_cast<std::size_t>(length) : 1;
    }
    const bool composed = valid == valid.normalized(QString::NormalizationForm_C);
    QString text;
    for (const Piece& piece : pieces) {
        const bool quoting = isName && !piece.isByte && (piece.value == '\\' || piece.value == '"');
        const bool escape = piece.isByte || acts(piece.value) || (!composed && decomposes(piece.value));
        text += quoting  ? QLatin1Char('\\') + fromPoint(piece.value)
                : escape ? escaped(piece.value, piece.isByte)
                         : fromPoint(piece.value);
    }
    return text;
}

}  // namespace

QString shownText(const std::string& bytes) {
    return shown(bytes, true);
}

QString shownPath(const std::string& path) {
    QString shown;
    for (std::size_t start = 0;;) {
        const std::size_t end = path.find(kPathSeparator, start);
        shown += shownText(path.substr(start, end - start));
        if (end == std::string::npos) {
            return shown;
        }
        shown += QLatin1Char(kPathSeparator);
        start = end + 1;
    }
}

QString shownSentence(const Sentence& sentence) {
    QString text;
    for (const Sentence::Part& part : sentence.parts()) {
        text += part.isName ? u'"' + shownText(part.text) + u'"' : shown(part.text, false);
    }
    return text;
}

}  // namespace quillmere
