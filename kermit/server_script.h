#pragma once

#include <string>

namespace quillmere::kermit {

struct ServeSettings {
    std::string device;
    int speed = 9600;
    std::string folder;
};

// The C-Kermit command file that serves settings.folder, and nothing outside
// it, on settings.device, writing its brief transaction log to logPath. It
// ends with exit status 0 when the client sends FINISH and 1 when the line,
// the folder or the log cannot be set up.
std::string serverScript(const ServeSettings& settings, const std::string& logPath);

}  // namespace quillmere::kermit
