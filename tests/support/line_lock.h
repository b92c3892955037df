#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include <sys/types.h>

// The lock file other serial programs honour for device, in a lock folder of
// the test's own (QUILLMERE_LOCK_FOLDER): a test run beside, even in another
// process namespace that cannot see our process, may take a lock in
// /var/lock for a pseudo-terminal of the same number.
inline std::string lockFileOf(const std::string& lockFolder, const std::string& device) {
    return lockFolder + "/LCK.." + std::filesystem::canonical(device).filename().string();
}

// The process the lock file names, or 0 when there is none.
inline pid_t lockHolder(const std::string& lockFile) {
    long long holder = 0;
    std::ifstream(lockFile) >> holder;
    return static_cast<pid_t>(holder);
}
