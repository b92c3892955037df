#include "core/pending_files.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include <signal.h>
#include <unistd.h>

namespace quillmere {
namespace {

enum State : int { kFree, kFilling, kRemove, kRestore };

// Fixed storage, as the handler may not allocate. A write keeps at most
// two temporary files and two earlier files at once.
struct Slot {
    std::atomic<int> state{kFree};
    char path[4096];
    char target[4096];
};
Slot slots[4];

bool copyInto(char (&to)[4096], const std::string& from) {
    if (from.size() >= sizeof to) {
        return false;
    }
    std::memcpy(to, from.c_str(), from.size() + 1);
    return true;
}

extern "C" void undoAndEnd(int signal) {
    for (Slot& slot : slots) {
        const int state = slot.state.load();
        if (state == kRemove) {
            ::unlink(slot.path);
        } else if (state == kRestore) {
            std::rename(slot.path, slot.target);
        }
    }
    // The handler was installed to reset itself: the signal ends the
    // program as soon as this returns.
    ::raise(signal);
}

}  // namespace

PendingFile::PendingFile(const std::string& path) : slot_(-1) {
    for (int i = 0; i < 4; ++i) {
        int expected = kFree;
        if (slots[i].state.compare_exchange_strong(expected, kFilling)) {
            if (copyInto(slots[i].path, path)) {
                slot_ = i;
                slots[i].state.store(kRemove);
            } else {
                slots[i].state.store(kFree);
            }
            return;
        }
    }
}

PendingFile::~PendingFile() {
    release();
}

void PendingFile::restoreTo(const std::string& target) {
    if (slot_ >= 0) {
        slots[slot_].state.store(kFilling);
        slots[slot_].state.store(copyInto(slots[slot_].target, target) ? kRestore : kRemove);
    }
}

void PendingFile::removeOnSignal() {
    if (slot_ >= 0) {
        slots[slot_].state.store(kRemove);
    }
}

void PendingFile::release() {
    if (slot_ >= 0) {
        slots[slot_].state.store(kFree);
        slot_ = -1;
    }
}

void undoPendingFilesOnSignals() {
    struct sigaction action {};
    action.sa_handler = undoAndEnd;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&action.sa_mask, signal);
    }
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace quillmere
