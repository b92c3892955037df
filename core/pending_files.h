#pragma once

#include <string>

namespace quillmere {

// The files a write in progress has made beside the directory files. A
// signal that ends the program (SIGINT, SIGTERM, SIGHUP) undoes them first:
// a pending file is removed, or renamed back over the file it was kept for.
class PendingFile {
public:
    // Registered before the file is made, so no moment leaves it unknown.
    explicit PendingFile(const std::string& path);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // From now on a signal renames the file back to target instead.
    void restoreTo(const std::string& target);
    // A signal removes it again.
    void removeOnSignal();
    // A signal leaves it alone: it is gone, or no longer ours.
    void release();

private:
    int slot_;
};

// Installs the handlers that undo pending files and then end the program
// as the signal would have.
void undoPendingFilesOnSignals();

}  // namespace quillmere
