// Preloaded into the companion by the tests: the n-th fsync raises the
// signal that QUILLMERE_SIGNAL_AT_FSYNC="n:signal" names, if it is set.

#include <csignal>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>

extern "C" int fsync(int fd) {
    static int calls = 0;
    const char* at = std::getenv("QUILLMERE_SIGNAL_AT_FSYNC");
    if (at != nullptr && ++calls == std::atoi(at)) {
        std::raise(std::atoi(std::strchr(at, ':') + 1));
    }
    return reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"))(fd);
}
