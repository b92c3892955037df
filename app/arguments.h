#pragma once

#include <optional>
#include <string>

namespace quillmere {

// What the command line asks for: a window, on a folder when one is named,
// with the calculator link open when asked, or only a text printed.
struct Arguments {
    enum class Action { Window, Help, Version, Misuse };
    Action action = Action::Window;
    std::optional<std::string> folder;
    bool link = false;
};

// Reads the arguments after the program's name. Needs no display, so that
// --help and --version work where there is none.
Arguments parseArguments(int argc, const char* const argv[]);

extern const char* const kUsage;

}  // namespace quillmere
