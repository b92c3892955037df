#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace quillmere {

// The fields of a calculator file's header line, taken apart by byte position.
struct ParsedHeader {
    std::string typeLetter;   // byte 8
    std::string lengthField;  // bytes 10-11, one trailing blank removed
    std::string title;
};

// A header line whose length field reads as a negative number.
class NegativeTitleLength : public std::runtime_error {
public:
    explicit NegativeTitleLength(const std::string& lengthField);
};

// Parses by position, as the calculator's directory expects; any text is
// accepted. Throws NegativeTitleLength when the length field is negative.
ParsedHeader parseHeader(std::string_view headerLine);

std::string titleOf(std::string_view headerLine);

// The length-prefixed record of one file in "HP39DIR.000". Type "C" (notes)
// carries only the first three bytes of its title.
std::string buildEntry(std::string_view typeLetter, std::string_view fileName,
                       std::string_view title);

}  // namespace quillmere
