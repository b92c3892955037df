#pragma once

#include <sys/types.h>

namespace quillmere {

// The system call through which files are read. It is the real call; a test
// swaps it for one that never answers, as a hung mount does.
struct ReadCalls {
    ssize_t (*read)(int fd, void* bytes, size_t size);
};

extern ReadCalls readCalls;

}  // namespace quillmere
