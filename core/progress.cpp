#include "progress.h"

#include <charconv>

namespace quillmere {

float progressBarWidth(float fullWidth, int passesDone, int rowCount) {
    const auto step = static_cast<float>(static_cast<double>(fullWidth) / rowCount);
    return static_cast<float>(static_cast<double>(passesDone) * step);
}

std::string percentageText(int passesDone, int rowCount, const std::string& decimalSeparator) {
    // The product is exact even for counts past 16 bits; the quotient is not
    // rounded to whole percent.
    const double share = static_cast<double>(100LL * passesDone) / rowCount;
    char digits[32];
    const auto written =
        std::to_chars(digits, digits + sizeof digits, share, std::chars_format::general, 15);
    std::string text;
    for (const char* c = digits; c != written.ptr; ++c) {
        if (*c == '.') {
            text += decimalSeparator;
        } else {
            text += *c;
        }
    }
    text += '%';
    return text;
}

}  // namespace quillmere
