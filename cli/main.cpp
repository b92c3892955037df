#include "cli/commands.h"
#include "cli/options.h"

#include "core/catalogue_error.h"
#include "core/shown_bytes.h"
#include "kermit/serial_devices.h"

#include <csignal>
#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace quillmere;

namespace {

int runMode(const cli::Options& options) {
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
    case cli::Mode::ListDevices:
        std::cout << kermit::describedDevices(kermit::listSerialDevices());
        return 0;
    case cli::Mode::Serve:
        return cli::serveFolder(options, std::cout, std::cerr, isatty(fileno(stderr)) != 0);
    case cli::Mode::Write:
        return cli::writeDirectory(options, std::cout, std::cerr, isatty(fileno(stderr)) != 0);
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
#ifndef _WIN32
    // A reader that goes away must not end the program in the middle of a
    // write: the failed output is reported like any other.
    std::signal(SIGPIPE, SIG_IGN);
    // A closed standard output would hand its number to the next file opened.
    if (::fcntl(STDOUT_FILENO, F_GETFD) < 0) {
        std::cerr << "quillmere-dir: Cannot write to standard output: it is closed.\n";
        return 1;
    }
#endif
    cli::Options options;
    try {
        options = cli::parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const cli::UsageError& error) {
        std::cerr << "quillmere-dir: " << error.what() << "\n\n" << cli::kUsage;
        return 2;
    }
    int status = 1;
    try {
        status = runMode(options);
    } catch (const CatalogueError& error) {
        std::cerr << "quillmere-dir: " << terminalSentence(error.sentence()) << '\n';
    }
    if (!std::cout.flush()) {
        std::cerr << "quillmere-dir: Cannot write to standard output.\n";
        return 1;
    }
    return status;
}
