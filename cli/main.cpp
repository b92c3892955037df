#include "commands.h"
#include "options.h"

#include "catalogue_error.h"

#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

using namespace quillmere;

int main(int argc, char** argv) {
    cli::Options options;
    try {
        options = cli::parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const cli::UsageError& error) {
        std::cerr << "quillmere-dir: " << error.what() << "\n\n" << cli::kUsage;
        return 2;
    }
    try {
        switch (options.mode) {
        case cli::Mode::Help:
            std::cout << cli::kUsage;
            return 0;
        case cli::Mode::Version:
            std::cout << "quillmere-dir " QUILLMERE_DISPLAY_VERSION "\n";
            return 0;
        case cli::Mode::DryRun:
            return cli::printEntries(options, std::cout);
        case cli::Mode::Check:
            return cli::checkDirectory(options, std::cout);
        case cli::Mode::Serve:
            return cli::serveFolder(options, std::cout, std::cerr, isatty(fileno(stderr)) != 0);
        case cli::Mode::Write:
            return cli::writeDirectory(options, std::cout, std::cerr, isatty(fileno(stderr)) != 0);
        }
    } catch (const CatalogueError& error) {
        std::cerr << "quillmere-dir: " << error.what() << '\n';
    }
    return 1;
}
