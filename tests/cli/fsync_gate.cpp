// Preloaded into the companion by the signal test: the n-th fsync is
// interrupted by the signal QUILLMERE_SIGNAL_AT_FSYNC="n signal" names.

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <dlfcn.h>

extern "C" int fsync(int fd) {
    static int calls = 0;
    int n = 0;
    int signal = 0;
    const char* at = std::getenv("QUILLMERE_SIGNAL_AT_FSYNC");
    if (at != nullptr && std::sscanf(at, "%d %d", &n, &signal) == 2 && ++calls == n) {
        std::raise(signal);
    }
    return reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"))(fd);
}
