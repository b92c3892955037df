#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillmere::cli {

enum class Mode { Write, DryRun, Check, Serve, ListDevices, Help, Version };

struct Options {
    Mode mode = Mode::Write;
    std::string folder;
    std::optional<std::string> orderFile;
    bool listingOrder = false;  // drop the order the folder's directory keeps
    std::string device;         // --serve: the serial device the calculator is on, "" for the only one
    int speed = 9600;
    bool receive = false;  // --serve: take files the calculator sends into the folder
};

// Words on the command line that do not make a valid call.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

Options parseOptions(const std::vector<std::string>& arguments);

extern const char* const kUsage;

}  // namespace quillmere::cli
