#include "app/arguments.h"

#include <string_view>

namespace quillmere {

const char* const kUsage =
    "Usage: quillmere [--link] [FOLDER]\n"
    "Creates HP39DIR.000 for 39 Series calculators.\n"
    "\n"
    "  FOLDER     start on this folder of calculator files\n"
    "  --link     open the calculator link too, to send the folder's files\n"
    "  --help     show this help\n"
    "  --version  show the version\n";

Arguments parseArguments(int argc, const char* const argv[]) {
    Arguments arguments;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (!optionsEnded && argument == "--help") {
            return {Arguments::Action::Help, {}};
        }
        if (!optionsEnded && argument == "--version") {
            return {Arguments::Action::Version, {}};
        }
        if (!optionsEnded && argument == "--link") {
            arguments.link = true;
        } else if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if ((!optionsEnded && argument.size() > 1 && argument.front() == '-') || arguments.folder) {
            return {Arguments::Action::Misuse, {}};
        } else {
            arguments.folder = std::string(argument);
        }
    }
    return arguments;
}

}  // namespace quillmere
