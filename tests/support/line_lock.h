#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include <sys/types.h>

// The lock file other serial programs honour for device, while it exists.
inline std::string lockFileOf(const std::string& device) {
    return "/var/lock/LCK.." + std::filesystem::canonical(device).filename().string();
}

// The process the lock file names, or 0 when there is none. Tests ask who
// holds a line rather than whether a lock exists: a test running beside
// may lock a pseudo-terminal that later got the same number.
inline pid_t lockHolder(const std::string& lockFile) {
    long long holder = 0;
    std::ifstream(lockFile) >> holder;
    return static_cast<pid_t>(holder);
}
