#pragma once

#include <string>

// Launches programs under a private X server (Xvfb) and times each from the
// launch to the first map of a top-level window: what a user waits for.
class StartupTimer {
public:
    struct Launch {
        double seconds;
        long peakRssMib;
    };

    // Starts the server. Throws std::runtime_error when it cannot.
    StartupTimer();
    ~StartupTimer();
    StartupTimer(const StartupTimer&) = delete;
    StartupTimer& operator=(const StartupTimer&) = delete;

    // Runs program until its first window is mapped, then ends it. Throws
    // std::runtime_error when it exits or shows nothing within ten seconds.
    Launch launch(const std::string& program);

private:
    // Disconnects and ends the server.
    void stop();

    int serverPid_ = -1;
    std::string display_;
    struct xcb_connection_t* connection_ = nullptr;
    unsigned root_ = 0;
};
