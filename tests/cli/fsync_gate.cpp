// Preloaded into the companion by the signal test: the n-th fsync
// (QUILLMERE_FSYNC_GATE) tells the test through the descriptor
// QUILLMERE_FSYNC_GATE_FD and then waits for the signal it will send.

#include <cstdlib>

#include <dlfcn.h>
#include <unistd.h>

extern "C" int fsync(int fd) {
    static int calls = 0;
    const char* gate = std::getenv("QUILLMERE_FSYNC_GATE");
    if (gate != nullptr && ++calls == std::atoi(gate)) {
        const int tell = std::atoi(std::getenv("QUILLMERE_FSYNC_GATE_FD"));
        if (::write(tell, "!", 1) == 1) {
            for (;;) {
                ::pause();
            }
        }
    }
    using Fsync = int (*)(int);
    return reinterpret_cast<Fsync>(::dlsym(RTLD_NEXT, "fsync"))(fd);
}
