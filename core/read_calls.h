#pragma once

#include <filesystem>
#include <system_error>
#include <vector>

#include <sys/types.h>

namespace quillmere {

// The calls through which files and folders are read. They are the real
// ones; a test swaps one for a call that never answers, as a hung mount does.
struct ReadCalls {
    ssize_t (*read)(int fd, void* bytes, size_t size);
    // A folder's entries, as std::filesystem lists them; error tells why
    // they could not all be listed.
    std::vector<std::filesystem::directory_entry> (*listFolder)(const std::filesystem::path& folder,
                                                                std::error_code& error);
};

extern ReadCalls readCalls;

}  // namespace quillmere
