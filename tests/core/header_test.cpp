#include "core/header.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace quillmere;

namespace {

// From a file's first bytes to the header line kept, its type letter and its
// title; no title means the header is refused.
TEST(Header, TakesTheFirstLineApartByPosition) {
    const std::string longLine(kMaxHeadBytes, 'y');
    const std::string binaryTitle(255, 't');
    const struct {
        const char* why;
        std::string head, line, type;
        std::optional<std::string> title;
    } cases[] = {
        {"one digit, CR LF", "HP39AscA 5 Hello and more\r\nbody", "HP39AscA 5 Hello and more", "A", "Hello"},
        {"two digits, LF", "HP39AscB 12 Parametric 2D\nx", "HP39AscB 12 Parametric 2D", "B", "Parametric 2"},
        {"a leading blank stays", "HP39AscA  7 Seven77 tail", "HP39AscA  7 Seven77 tail", "A", "Seven77"},
        {"non-numeric length", "HP39AscA A Title", "HP39AscA A Title", "A", ""},
        {"a sign is honoured", "HP39AscA +3 abcdef", "HP39AscA +3 abcdef", "A", "abc"},
        {"a half rounds to even", "HP39AscA .5 abc", "HP39AscA .5 abc", "A", ""},
        {"a line shorter than its title", "HP39AscA 5 Hi", "HP39AscA 5 Hi", "A", " 5 Hi"},
        {"a lone CR is kept", "HP39AscA 9 ab\rcd\r\n", "HP39AscA 9 ab\rcd", "A", "A 9 ab\rcd"},
        {"nine bytes", "HP39AscA9", "HP39AscA9", "A", ""},
        {"seven bytes", "HP39Asc", "HP39Asc", "c", ""},
        {"an empty line", "\r\nHP39AscA 1 x", "", "", ""},
        {"bytes above 127", "HP39AscE 4 \xe9t\xe9\xff!", "HP39AscE 4 \xe9t\xe9\xff!", "E", "\xe9t\xe9\xff"},
        {"a NUL byte", std::string("HP39AscA 3 a\0b", 15), std::string("HP39AscA 3 a\0b", 15), "A",
         std::string("a\0b", 3)},
        {"cut where the parse stops", longLine, longLine.substr(0, kMaxHeaderLineBytes), "y", ""},
        {"binary, LF in its body", "HP39BinB\x0aLoan Table\x01\nrest", "HP39BinB\x0aLoan Table", "B", "Loan Table"},
        {"binary HP38", "HP38BinC\x08Reminder", "HP38BinC\x08Reminder", "C", "Reminder"},
        {"binary, empty title", std::string("HP39BinA\0", 9), std::string("HP39BinA\0", 9), "A", ""},
        {"binary, longest title", "HP39BinD\xff" + binaryTitle, "HP39BinD\xff" + binaryTitle, "D", binaryTitle},
        {"negative", "HP39AscA -5 Hello", "HP39AscA -5 Hello", "A", std::nullopt},
        {"minus one", "HP39AscA -1 Hello", "HP39AscA -1 Hello", "A", std::nullopt},
        {"binary cut inside its title", "HP39BinB\x0aLoan", "HP39BinB\x0aLoan", "B", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const std::string line = headerLineOf(c.head);
        EXPECT_EQ(line, c.line);
        if (!c.title) {
            EXPECT_THROW(parseHeader(line), HeaderError);
            continue;
        }
        const ParsedHeader header = parseHeader(line);
        EXPECT_EQ(header.typeLetter, c.type);
        EXPECT_EQ(header.title, *c.title);
    }
}

TEST(Header, EntryCarriesBothLengthFields) {
    const struct {
        std::string type, file, title, entry;
    } cases[] = {
        {"A", "HELLO.000", "Hello", "A 9 HELLO.0005 Hello"},
        {"C", "NOTE.000", "Reminder", "C 8 NOTE.0003 Rem"},
        {"C", "N.000", "Hi", "C 5 N.0002 Hi"},
        {"c", "N.000", "Reminder", "c 5 N.0008 Reminder"},
        {"", "E.000", "", " 5 E.0000 "},
        {"B", "\xe9T.000", "Caf\xe9", "B 6 \xe9T.0004 Caf\xe9"},
        {"D", "LONGTITL.000", std::string(255, 't'), "D 12 LONGTITL.000255 " + std::string(255, 't')},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(buildEntry(c.type, c.file, c.title), c.entry);
    }
}

}  // namespace
