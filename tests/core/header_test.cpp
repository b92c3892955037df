#include "catalogue_error.h"
#include "header.h"
#include "header_file.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>

using namespace quillmere;

namespace {

struct ParseCase {
    const char* why;
    std::string line;
    std::string typeLetter;
    std::string lengthField;
    std::string title;
};

TEST(ParseHeader, TakesTheLineApartByPosition) {
    const ParseCase cases[] = {
        {"one digit and a blank", "HP39AscA 5 Hello and more", "A", "5", "Hello"},
        {"two digits", "HP39AscB 12 Parametric 2D", "B", "12", "Parametric 2"},
        {"a note", "HP39AscC 8 Reminder", "C", "8", "Reminder"},
        {"a leading blank stays", "HP39AscA  7 Seven77 tail", "A", " 7", "Seven77"},
        {"non-numeric length", "HP39AscA A Title", "A", "A", ""},
        {"a sign is honoured", "HP39AscA +3 abcdef", "A", "+3", "abc"},
        {"minus zero is zero", "HP39AscA -0 abc", "A", "-0", ""},
        {"a half rounds to even", "HP39AscA .5 abc", "A", ".5", ""},
        {"two blanks lose one", "HP39AscA   abc", "A", " ", ""},
        {"a line shorter than its title", "HP39AscA 5 Hi", "A", "5", " 5 Hi"},
        {"ten bytes", "HP39AscA 9", "A", " 9", "P39AscA 9"},
        {"nine bytes", "HP39AscA9", "A", "A9", ""},
        {"seven bytes", "HP39Asc", "c", "sc", ""},
        {"one byte", "x", "x", "x", ""},
        {"an empty line", "", "", "", ""},
        {"bytes above 127 pass unchanged", "HP39AscE 4 \xe9t\xe9\xff!", "E", "4", "\xe9t\xe9\xff"},
        {"a NUL byte is a byte", std::string("HP39AscA 3 a\0b", 15), "A", "3", std::string("a\0b", 3)},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.why);
        const ParsedHeader header = parseHeader(c.line);
        EXPECT_EQ(header.typeLetter, c.typeLetter);
        EXPECT_EQ(header.lengthField, c.lengthField);
        EXPECT_EQ(header.title, c.title);
        EXPECT_EQ(titleOf(c.line), c.title);
    }
}

TEST(ParseHeader, RefusesANegativeLength) {
    for (const std::string line : {"HP39AscA -5 Hello", "HP39AscA -9", "HP39AscA-5"}) {
        SCOPED_TRACE(line);
        EXPECT_THROW(parseHeader(line), HeaderError);
    }
}

TEST(BuildEntry, WritesBothLengthFieldsInBytes) {
    const struct {
        std::string type, file, title, entry;
    } cases[] = {
        {"A", "HELLO.000", "Hello", "A 9 HELLO.0005 Hello"},
        {"C", "NOTE.000", "Reminder", "C 8 NOTE.0003 Rem"},
        {"C", "N.000", "Hi", "C 5 N.0002 Hi"},
        {"c", "N.000", "Reminder", "c 5 N.0008 Reminder"},
        {"A", "X.000", "", "A 5 X.0000 "},
        {"", "E.000", "", " 5 E.0000 "},
        {"A", "HP39DIR.000", "Root", "A 11 HP39DIR.0004 Root"},
        {"B", "\xe9T.000", "Caf\xe9", "B 6 \xe9T.0004 Caf\xe9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        EXPECT_EQ(buildEntry(c.type, c.file, c.title), c.entry);
    }
}

TEST(HeaderLineOf, TakesTheFirstLineWithoutItsEnd) {
    const struct {
        const char* why;
        std::string head;
        std::string line;
    } cases[] = {
        {"CR LF", "HP39AscA 5 Hello\r\nbody\r\n", "HP39AscA 5 Hello"},
        {"LF", "HP39AscA 5 Hello\nbody", "HP39AscA 5 Hello"},
        {"no line end", "HP39AscA 5 Hello", "HP39AscA 5 Hello"},
        {"only a line end", "\n", ""},
        {"only CR LF", "\r\n", ""},
        {"a lone CR is kept", "ab\rcd\nx", "ab\rcd"},
        {"a CR at the end without LF is kept", "ab\r", "ab\r"},
        {"one byte", "x", "x"},
        {"a long line is cut where the parse stops",
         std::string(kMaxHeadBytes, 'y'), std::string(kMaxHeaderLineBytes, 'y')},
        {"CR LF right after the longest useful line",
         std::string(kMaxHeaderLineBytes, 'z') + "\r\n", std::string(kMaxHeaderLineBytes, 'z')},
        {"a binary header runs through its title, line feeds and all",
         "HP39BinB\x0aLoan Table\x01\nrest", "HP39BinB\x0aLoan Table"},
        {"seven bytes of tag and a type letter are not yet binary", "HP39BinB", "HP39BinB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(headerLineOf(c.head), c.line);
    }
}

TEST(ParseHeader, TakesTypeAndTitleOfBinaryFiles) {
    const struct {
        std::string head;
        std::string fileName;
        std::string entry;
    } cases[] = {
        {"HP39BinB\x0aLoan Table\x12\x34", "LOANTABL.000", "B 12 LOANTABL.00010 Loan Table"},
        {"HP39BinH\x08LIB1540L", "LIB1540L.000", "H 12 LIB1540L.0008 LIB1540L"},
        {"HP39BinE\x02L9\r\n", "L9000000.000", "E 12 L9000000.0002 L9"},
        {"HP38BinC\x07Reminder", "NOTE.000", "C 8 NOTE.0003 Rem"},
        {std::string("HP39BinA\0", 9), "EMPTY.000", "A 9 EMPTY.0000 "},
        {"HP39BinD\xff" + std::string(255, 't'), "P.000", "D 5 P.000255 " + std::string(255, 't')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        const ParsedHeader header = parseHeader(headerLineOf(c.head));
        EXPECT_EQ(buildEntry(header.typeLetter, c.fileName, header.title), c.entry);
    }
    EXPECT_THROW(parseHeader("HP39BinB\x0aLoan"), HeaderError);
}

TEST(ReadHeader, NamesTheFileAndTheCause) {
    TempFolder folder;
    folder.write("NOTE.000", "");
    folder.write("MINUS.000", "HP39AscA -5 Hello");
    folder.write("SHORT.000", "HP39BinB\x0aLoan");
    ::mkfifo(folder.pathOf("PIPE.000").c_str(), 0600);
    const struct {
        std::string name;
        std::string message;
    } cases[] = {
        {"NOTE.000", "Cannot read the header line of \"NOTE.000\": the file is empty."},
        {"GONE.000", "Cannot read the header line of \"GONE.000\": no such file or directory."},
        {"PIPE.000", "Cannot read the header line of \"PIPE.000\": it is not a regular file."},
        {"MINUS.000", "Cannot read the title of \"MINUS.000\": its length field \"-5\" is negative."},
        {"SHORT.000", "Cannot read the title of \"SHORT.000\": the file ends inside its title."},
    };
    // A read that blocked on the FIFO would hang here; ctest's timeout ends it.
    for (const auto& c : cases) {
        std::string headerLine;
        try {
            readHeader(folder.pathOf(c.name), c.name, headerLine);
            ADD_FAILURE() << c.name << " was read";
        } catch (const CatalogueError& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

}  // namespace
