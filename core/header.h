#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quillmere {

// The text parse never looks past byte 111 of a header line (a two-digit
// length field announces at most 99 bytes from byte 13).
inline constexpr std::size_t kMaxHeaderLineBytes = 111;
// A binary header is "HP39Bin", the type letter, a length byte and up to
// 255 bytes of title.
inline constexpr std::size_t kMaxHeadBytes = 9 + 255;

// The fields of a calculator file's header.
struct ParsedHeader {
    std::string typeLetter;
    std::string lengthField;  // as written: one trailing blank removed
    std::string title;
};

// A header that gives no title: its cause, for a message naming the file.
class HeaderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Files stored in the calculator's binary form begin "HP", two characters
// of model, "Bin", the type letter and the title's length byte.
bool isBinaryHeader(std::string_view head);

// The header line within the first bytes of a file: for a binary file the
// bytes through its title; otherwise the first line without its LF or
// CR LF, cut to kMaxHeaderLineBytes.
std::string headerLineOf(std::string_view head);

// Text header lines are taken apart by byte position, as the calculator's
// directory expects, and any text is accepted. Throws HeaderError for a
// negative length field, or a binary title that runs past the bytes given.
ParsedHeader parseHeader(std::string_view headerLine);

std::string titleOf(std::string_view headerLine);

// The title as a directory entry carries it: type "C" (notes) keeps only
// its first three bytes.
std::string_view entryTitle(std::string_view typeLetter, std::string_view title);

// The length-prefixed record of one file in "HP39DIR.000".
std::string buildEntry(std::string_view typeLetter, std::string_view fileName, std::string_view title);

}  // namespace quillmere
