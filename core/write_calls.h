#pragma once

#include <sys/types.h>

namespace quillmere {

// The system calls through which the directory files are written. They are
// the real calls; a test swaps one to make it fail at a chosen step.
struct WriteCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    ssize_t (*write)(int fd, const void* bytes, size_t size);
    int (*fsync)(int fd);
    int (*close)(int fd);
    int (*fchmod)(int fd, mode_t mode);
    int (*fchown)(int fd, uid_t owner, gid_t group);
    int (*flock)(int fd, int operation);
    int (*link)(const char* existing, const char* newName);
    int (*rename)(const char* from, const char* to);
    int (*unlink)(const char* path);
};

extern WriteCalls writeCalls;

}  // namespace quillmere
