#include "core/header.h"

#include <cmath>
#include <string>

namespace quillmere {
namespace {

// Character counts are turned into whole numbers half to even.
long long roundHalfEven(double value) {
    return static_cast<long long>(std::nearbyint(value));
}

std::string_view left(std::string_view s, long long count) {
    return s.substr(0, static_cast<std::size_t>(count));
}

std::string_view right(std::string_view s, long long count) {
    const auto size = static_cast<long long>(s.size());
    return count >= size ? s : s.substr(static_cast<std::size_t>(size - count));
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// Reads a decimal number the way the calculator's tools always have: blanks
// anywhere are skipped, a leading sign is honoured, digits (with a decimal
// point) are taken as far as they go, and anything else gives 0.
double readDecimal(std::string_view field) {
    double value = 0.0;
    double scale = 1.0;
    bool negative = false;
    bool started = false;
    bool fraction = false;
    for (const char c : field) {
        if (isBlank(c)) {
            continue;
        }
        if (!started && (c == '+' || c == '-')) {
            negative = c == '-';
            started = true;
            continue;
        }
        started = true;
        if (c >= '0' && c <= '9') {
            if (fraction) {
                scale /= 10.0;
                value += (c - '0') * scale;
            } else {
                value = value * 10.0 + (c - '0');
            }
        } else if (c == '.' && !fraction) {
            fraction = true;
        } else {
            break;
        }
    }
    return negative ? -value : value;
}

constexpr std::size_t kBinaryTitleOffset = 9;

std::size_t binaryTitleLength(std::string_view head) {
    return static_cast<unsigned char>(head[kBinaryTitleOffset - 1]);
}

ParsedHeader parseBinaryHeader(std::string_view head) {
    const std::size_t length = binaryTitleLength(head);
    if (head.size() < kBinaryTitleOffset + length) {
        throw HeaderError("the file ends inside its title");
    }
    return {std::string(head.substr(7, 1)), std::to_string(length),
            std::string(head.substr(kBinaryTitleOffset, length))};
}

}  // namespace

bool isBinaryHeader(std::string_view head) {
    return head.size() >= kBinaryTitleOffset && head.substr(0, 2) == "HP" && head.substr(4, 3) == "Bin";
}

std::string headerLineOf(std::string_view head) {
    if (isBinaryHeader(head)) {
        return std::string(head.substr(0, kBinaryTitleOffset + binaryTitleLength(head)));
    }
    std::string_view line = head.substr(0, head.find('\n'));
    if (line.size() < head.size() && !line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return std::string(line.substr(0, kMaxHeaderLineBytes));
}

ParsedHeader parseHeader(std::string_view headerLine) {
    if (isBinaryHeader(headerLine)) {
        return parseBinaryHeader(headerLine);
    }
    ParsedHeader header;
    header.lengthField = std::string(right(left(headerLine, 11), 2));
    header.typeLetter = std::string(right(left(headerLine, 8), 1));
    if (!header.lengthField.empty() && header.lengthField.back() == ' ') {
        header.lengthField.pop_back();
    }
    const double length = readDecimal(header.lengthField);
    const long long titleLength = roundHalfEven(length);
    if (titleLength < 0) {
        throw HeaderError("its length field \"" + header.lengthField + "\" is negative");
    }
    const double width = static_cast<double>(header.lengthField.size());
    const long long end = roundHalfEven(width + 9 + 1 + length);
    header.title = std::string(right(left(headerLine, end), titleLength));
    return header;
}

std::string titleOf(std::string_view headerLine) {
    return parseHeader(headerLine).title;
}

std::string_view entryTitle(std::string_view typeLetter, std::string_view title) {
    return typeLetter == "C" ? left(title, 3) : title;
}

std::string buildEntry(std::string_view typeLetter, std::string_view fileName, std::string_view title) {
    const std::string_view shown = entryTitle(typeLetter, title);
    std::string entry;
    entry.reserve(typeLetter.size() + fileName.size() + shown.size() + 12);
    entry.append(typeLetter).append(" ");
    entry.append(std::to_string(fileName.size())).append(" ").append(fileName);
    entry.append(std::to_string(shown.size())).append(" ").append(shown);
    return entry;
}

}  // namespace quillmere
