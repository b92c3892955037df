#include "ui/shown_text.h"

#include "core/folder.h"
#include "core/shown_bytes.h"

#include <string_view>
#include <vector>

namespace quillmere {
namespace {

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

// As shownText; the program's own words keep their quotes and backslashes.
QString shown(const std::string& bytes, bool isName) {
    const std::vector<TextPiece> pieces = textPieces(bytes);
    QString valid;
    for (const TextPiece& piece : pieces) {
        if (!piece.isByte) {
            valid += fromPoint(piece.value);
        }
    }
    const bool composed = valid == valid.normalized(QString::NormalizationForm_C);
    QString text;
    for (const TextPiece& piece : pieces) {
        const bool quoting = isName && !piece.isByte && (piece.value == '\\' || piece.value == '"');
        const bool escape = piece.isByte || actsOnText(piece.value) || (!composed && decomposes(piece.value));
        text += quoting  ? QLatin1Char('\\') + fromPoint(piece.value)
                : escape ? QString::fromLatin1(escapeOf(piece))
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
