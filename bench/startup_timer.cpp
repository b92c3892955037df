#include "bench/startup_timer.h"

#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(10);

// Output of the launched programs would drown the figures.
void silence() {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    ::close(null);
}

// Waits at most a tenth of a second for fd to become readable.
bool readableSoon(int fd) {
    pollfd wait{fd, POLLIN, 0};
    return ::poll(&wait, 1, 100) > 0;
}

}  // namespace

StartupTimer::StartupTimer() {
    int pipe[2];
    if (::pipe(pipe) != 0) {
        throw std::runtime_error("cannot make a pipe for Xvfb");
    }
    serverPid_ = ::fork();
    if (serverPid_ == 0) {
        ::close(pipe[0]);
        silence();
        const std::string fd = std::to_string(pipe[1]);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "1280x1024x24",
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipe[1]);
    // Xvfb writes the display number it took once it accepts clients.
    std::string number;
    const Clock::time_point deadline = Clock::now() + kPatience;
    char c = 0;
    while (Clock::now() < deadline) {
        if (!readableSoon(pipe[0])) {
            continue;
        }
        if (::read(pipe[0], &c, 1) != 1 || c == '\n') {
            break;
        }
        number += c;
    }
    ::close(pipe[0]);
    if (number.empty()) {
        stop();
        throw std::runtime_error("Xvfb did not start (apt-get install xvfb)");
    }
    display_ = ":" + number;
    connection_ = xcb_connect(display_.c_str(), nullptr);
    if (xcb_connection_has_error(connection_)) {
        stop();
        throw std::runtime_error("cannot connect to Xvfb on " + display_);
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    // Without a window manager a top-level window is a child of the root, so
    // its MapNotify reaches whoever watches the root's substructure.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
}

StartupTimer::~StartupTimer() {
    stop();
}

void StartupTimer::stop() {
    if (connection_) {
        xcb_disconnect(connection_);
        connection_ = nullptr;
    }
    if (serverPid_ > 0) {
        ::kill(serverPid_, SIGTERM);
        ::waitpid(serverPid_, nullptr, 0);
        serverPid_ = -1;
    }
}

StartupTimer::Launch StartupTimer::launch(const std::string& program) {
    while (xcb_generic_event_t* stale = xcb_poll_for_event(connection_)) {
        std::free(stale);
    }
    const Clock::time_point start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        silence();
        ::setenv("DISPLAY", display_.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const Clock::time_point deadline = start + kPatience;
    Clock::time_point mappedAt;
    for (bool mapped = false; !mapped;) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            throw std::runtime_error(program + " ended before it showed a window");
        }
        if (Clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            throw std::runtime_error(program + " showed no window within ten seconds");
        }
        readableSoon(xcb_get_file_descriptor(connection_));
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            if (!mapped && (event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                mapped = true;
                mappedAt = Clock::now();
            }
            std::free(event);
        }
    }
    ::kill(pid, SIGKILL);
    rusage usage{};
    ::wait4(pid, nullptr, 0, &usage);
    return {std::chrono::duration<double>(mappedAt - start).count(), usage.ru_maxrss / 1024};
}
