#include "ui/progress_figures.h"

#include <charconv>

namespace quillmere {

float progressBarWidth(float fullWidth, int done, int total) {
    const auto step = static_cast<float>(static_cast<double>(fullWidth) / total);
    return static_cast<float>(static_cast<double>(done) * step);
}

QString percentageText(int done, int total, const QString& decimalPoint) {
    // The product is exact even for counts past 16 bits; the quotient is not
    // rounded to whole percent.
    const double share = static_cast<double>(100LL * done) / total;
    char digits[32];
    const auto written = std::to_chars(digits, digits + sizeof digits, share, std::chars_format::general, 15);
    QString text = QString::fromLatin1(digits, written.ptr - digits);
    text.replace(QLatin1Char('.'), decimalPoint);
    text += QLatin1Char('%');
    return text;
}

}  // namespace quillmere
