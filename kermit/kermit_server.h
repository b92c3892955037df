#pragma once

#include "kermit/server_script.h"
#include "kermit/transaction_log.h"

#include <functional>
#include <string>

namespace quillmere::kermit {

// C-Kermit as a server of one folder on one serial line. From construction
// to destruction SIGINT, SIGTERM and SIGHUP end the session cleanly rather
// than the program, and the line stays locked to this process.
class Server {
public:
    // Finds kermit, then opens settings.device for this process alone.
    // Throws CatalogueError when kermit is missing, or the device cannot be
    // opened or is in use.
    explicit Server(ServeSettings settings);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Serves settings.folder until the client sends FINISH or a stop signal
    // comes (at once if one came already), calling onTransfer for each file
    // sent and each request refused. Throws CatalogueError for any other end:
    // the line lost, kermit failing or gone.
    void serve(const std::function<void(const Transfer&)>& onTransfer);

private:
    ServeSettings settings_;
    std::string program_;
    int line_ = -1;
    std::string lockFile_;
    int stop_[2] = {-1, -1};
};

}  // namespace quillmere::kermit
