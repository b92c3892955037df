#include "cli/options.h"

namespace quillmere::cli {

const char* const kUsage =
    "Usage: quillmere-dir [--order FILE | --listing-order] [--dry-run] FOLDER\n"
    "       quillmere-dir --check FOLDER\n"
    "       quillmere-dir [--order FILE | --listing-order] --serve [DEVICE] [--speed BAUD]\n"
    "                     [--receive] FOLDER\n"
    "       quillmere-dir --list-devices\n"
    "\n"
    "Writes HP39DIR.000 and HP39DIR.CUR into FOLDER for an HP39-series calculator.\n"
    "The order of FOLDER's HP39DIR.000, as made in the Quillmere window or by an\n"
    "earlier run, is kept; files it does not list follow it, by name.\n"
    "\n"
    "  --order FILE  the order of preference: one file name per line, top row\n"
    "                first; the directory lists exactly these files\n"
    "  --listing-order\n"
    "                put every file in order by name, dropping the kept order\n"
    "  --dry-run     print the entries (type, file name, title, tab-separated)\n"
    "                instead of writing them\n"
    "  --check       check FOLDER's HP39DIR.000 against the files it lists\n"
    "  --serve [DEVICE]\n"
    "                lock the serial DEVICE (without one: the only serial device\n"
    "                present), write the directory unless it is already up to\n"
    "                date, then serve FOLDER to the calculator with C-Kermit\n"
    "                until it sends FINISH\n"
    "  --list-devices\n"
    "                show the serial devices present and what each is\n"
    "  --speed BAUD  the serial speed for --serve (9600)\n"
    "  --receive     with --serve, take the files the calculator sends into FOLDER\n"
    "                and list them last; an earlier file of the same name is kept\n"
    "                as .NAME.~1~ (then ~2~, ...)\n"
    "  --help        show this text\n"
    "  --version     show the version\n";

Options parseOptions(const std::vector<std::string>& arguments) {
    Options options;
    std::vector<std::string> folders;
    bool serve = false;
    bool speedGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help") {
            return Options{Mode::Help, {}, {}, {}, {}, {}};
        }
        if (argument == "--version") {
            return Options{Mode::Version, {}, {}, {}, {}, {}};
        }
        if (argument == "--list-devices") {
            if (arguments.size() != 1) {
                throw UsageError("--list-devices takes nothing else");
            }
            return Options{Mode::ListDevices, {}, {}, {}, {}, {}};
        }
        if (argument == "--dry-run" || argument == "--check") {
            const Mode mode = argument == "--check" ? Mode::Check : Mode::DryRun;
            if (options.mode != Mode::Write && options.mode != mode) {
                throw UsageError("--dry-run and --check cannot be combined");
            }
            options.mode = mode;
        } else if (argument == "--order") {
            if (i + 1 == arguments.size()) {
                throw UsageError("--order needs a file name");
            }
            options.orderFile = arguments[++i];
        } else if (argument == "--listing-order") {
            options.listingOrder = true;
        } else if (argument == "--serve") {
            serve = true;
        } else if (argument == "--receive") {
            options.receive = true;
        } else if (argument == "--speed") {
            const std::string value = i + 1 < arguments.size() ? arguments[++i] : "";
            if (value.empty() || value.size() > 7 ||
                value.find_first_not_of("0123456789") != std::string::npos) {
                throw UsageError("--speed needs a number of baud" + (value.empty() ? "" : ", not " + value));
            }
            speedGiven = true;
            options.speed = std::stoi(value);
        } else if (argument.size() > 1 && argument.front() == '-') {
            throw UsageError("unknown option " + argument);
        } else {
            folders.push_back(argument);
        }
    }
    if (serve && options.mode != Mode::Write) {
        throw UsageError("--serve cannot be combined with --dry-run or --check");
    }
    // With --serve, the device comes before the folder.
    if (serve && folders.size() == 2) {
        options.device = folders.front();
        folders.erase(folders.begin());
    }
    if (folders.size() != 1) {
        throw UsageError(folders.empty() ? "no folder given" : "only one folder can be given");
    }
    if (options.orderFile && options.listingOrder) {
        throw UsageError("--order and --listing-order cannot be combined");
    }
    if (options.mode == Mode::Check && (options.orderFile || options.listingOrder)) {
        throw UsageError(std::string(options.orderFile ? "--order" : "--listing-order") +
                         " has no meaning with --check");
    }
    if ((speedGiven || options.receive) && !serve) {
        throw UsageError(std::string(speedGiven ? "--speed" : "--receive") +
                         " has no meaning without --serve");
    }
    if (serve) {
        options.mode = Mode::Serve;
    }
    options.folder = folders.front();
    return options;
}

}  // namespace quillmere::cli
