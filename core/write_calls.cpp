#include "core/write_calls.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace quillmere {

WriteCalls writeCalls{
    [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
    ::write,
    ::fsync,
    ::close,
    ::fchmod,
    ::fchown,
    ::flock,
    ::link,
    std::rename,
    ::unlink,
};

}  // namespace quillmere
