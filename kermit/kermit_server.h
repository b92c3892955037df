#pragma once

#include "core/catalogue_error.h"
#include "kermit/serve_observer.h"
#include "kermit/server_script.h"

#include <string>

namespace quillmere::kermit {

// C-Kermit as a server of one folder on one serial line. From construction
// to destruction SIGINT, SIGTERM and SIGHUP end the session cleanly rather
// than the program, and the line stays locked to this process.
class Server {
public:
    // Finds kermit, then opens settings.device for this process alone.
    // Throws CatalogueError when kermit is missing, the device cannot be
    // opened or is in use, or a file of the folder links out of it.
    explicit Server(ServeSettings settings);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Serves settings.folder until the client sends FINISH, a stop signal
    // comes or stop() is called (at once if one came already), telling
    // observer of each file sent or received and each request refused, then
    // of the end: FINISH, the stop, the line lost, kermit failing or gone.
    // Leaves no part of a file received in the folder.
    void serve(ServeObserver& observer);

    // Ends serve() from any thread, as a stop signal does.
    void stop();

private:
    // Throws CatalogueError for every end but FINISH and a stop.
    void serveUntilEnd(ServeObserver& observer);

    ServeSettings settings_;
    std::string program_;
    int line_ = -1;
    std::string lockFile_;
    int stop_[2] = {-1, -1};
};

}  // namespace quillmere::kermit
