#include "core/header.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace quillmere;

// From a file's first bytes to the header line kept and the directory entry
// of "F.000"; no entry means the header is refused.
TEST(Header, TakesTheFirstLineApartByPosition) {
    const std::string title99(99, 't');
    const std::string title255(255, 'u');
    const struct {
        const char* why;
        std::string head, line;
        std::optional<std::string> entry;
    } cases[] = {
        {"one digit, CR LF", "HP39AscA 5 Hello and more\r\nbody", "HP39AscA 5 Hello and more",
         "A 5 F.0005 Hello"},
        {"two digits, LF", "HP39AscB 12 Parametric 2D\nx", "HP39AscB 12 Parametric 2D",
         "B 5 F.00012 Parametric 2"},
        {"a note keeps three bytes", "HP39AscC 8 Reminder\r\n", "HP39AscC 8 Reminder", "C 5 F.0003 Rem"},
        {"a leading blank stays", "HP39AscA  7 Seven77 tail", "HP39AscA  7 Seven77 tail",
         "A 5 F.0007 Seven77"},
        {"a half rounds to even", "HP39AscA .5 abc", "HP39AscA .5 abc", "A 5 F.0000 "},
        {"a lone CR stays, the line is shorter than its title", "HP39AscA 9 ab\rcd\r\n", "HP39AscA 9 ab\rcd",
         "A 5 F.0009 A 9 ab\rcd"},
        {"any bytes", std::string("HP39AscE 4 a\0\xe9\xff!", 16), std::string("HP39AscE 4 a\0\xe9\xff!", 16),
         std::string("E 5 F.0004 a\0\xe9\xff", 15)},
        {"cut where the parse stops", "HP39AscA 99 " + title99 + "cut", "HP39AscA 99 " + title99,
         "A 5 F.00099 " + title99},
        {"binary, LF in its body", "HP39BinB\x0aLoan Table\x01\nrest", "HP39BinB\x0aLoan Table",
         "B 5 F.00010 Loan Table"},
        {"binary HP38, longest title", "HP38BinD\xff" + title255 + "x", "HP38BinD\xff" + title255,
         "D 5 F.000255 " + title255},
        {"minus one", "HP39AscA -1 Hello", "HP39AscA -1 Hello", std::nullopt},
        {"binary cut inside its title", "HP39BinB\x0aLoan", "HP39BinB\x0aLoan", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const std::string line = headerLineOf(c.head);
        EXPECT_EQ(line, c.line);
        if (!c.entry) {
            EXPECT_THROW(parseHeader(line), HeaderError);
            continue;
        }
        const ParsedHeader header = parseHeader(line);
        EXPECT_EQ(buildEntry(header.typeLetter, "F.000", header.title), *c.entry);
    }
}
