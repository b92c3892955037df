#include "kermit/kermit_server.h"

#include "core/catalogue_error.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace quillmere::kermit {
namespace {

// Debian's C-Kermit keeps its UUCP-style lock files here.
constexpr const char* kLockFolder = "/var/lock";
// How long Kermit gets to end on SIGTERM before it is killed.
constexpr int kTermGraceMs = 1500;

// Written by the signal handler, watched next to the log pipe.
int signalPipeWrite = -1;

void onStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(signalPipeWrite, &byte, 1);
}

std::string findKermit() {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= folders.size();) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos) {
            end = folders.size();
        }
        const std::string candidate = (end > start ? folders.substr(start, end - start) : ".") + "/kermit";
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    throw CatalogueError("Cannot find the program \"kermit\": install the Debian package \"ckermit\".");
}

// Opening the device ourselves gives the user the real cause; Kermit only
// says that it failed.
void checkDevice(const std::string& device) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return;
    }
    const int error = errno;
    std::string message = "Cannot open the serial device \"" + device +
                          "\": " + causeOf(std::error_code(error, std::generic_category())) + ".";
    if (error == EACCES || error == EPERM) {
        message += " Add yourself to the \"dialout\" group (sudo adduser $USER dialout) and log in again.";
    } else if (error == EBUSY) {
        message += " Another program is using it.";
    }
    throw CatalogueError(message);
}

struct Pipe {
    int read = -1;
    int write = -1;
    Pipe() {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) {
            throw CatalogueError(
                "Cannot start kermit: " + causeOf(std::error_code(errno, std::generic_category())) + ".");
        }
        read = ends[0];
        write = ends[1];
    }
    ~Pipe() {
        closeRead();
        closeWrite();
    }
    void closeRead() {
        if (read >= 0) {
            ::close(read);
            read = -1;
        }
    }
    void closeWrite() {
        if (write >= 0) {
            ::close(write);
            write = -1;
        }
    }
};

// The command file and the log reach Kermit as these descriptors, so no
// file is left behind in any folder.
constexpr int kScriptFd = 3;
constexpr int kLogFd = 4;

pid_t startKermit(const std::string& program, Pipe& script, Pipe& log) {
    const pid_t child = ::fork();
    if (child != 0) {
        return child;
    }
#ifdef __linux__
    // Should this process be killed outright, Kermit must not hold the line on.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
#endif
    // Standard input from /dev/null: on a terminal Kermit would wait at its
    // prompt after SIGTERM instead of ending. Its chatter is not ours to show.
    const int nothing = ::open("/dev/null", O_RDWR);
    ::dup2(nothing, STDIN_FILENO);
    ::dup2(nothing, STDOUT_FILENO);
    // Moved out of the way first: a pipe end may already sit on the other's
    // number, and dup2 onto itself would keep its close-on-exec flag.
    const int scriptEnd = ::fcntl(script.read, F_DUPFD, kLogFd + 1);
    const int logEnd = ::fcntl(log.write, F_DUPFD, kLogFd + 1);
    ::dup2(scriptEnd, kScriptFd);
    ::dup2(logEnd, kLogFd);
    const std::string scriptPath = "/dev/fd/" + std::to_string(kScriptFd);
    // -Y: no initialisation file may change the settings.
    ::execl(program.c_str(), "kermit", scriptPath.c_str(), "-Y", static_cast<char*>(nullptr));
    ::_exit(127);
}

// Kermit cannot remove its lock file once its root is the folder.
void removeLockFile(pid_t kermit) {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(kLockFolder, ignored)) {
        if (entry.path().filename().string().rfind("LCK..", 0) != 0) {
            continue;
        }
        long long holder = 0;
        std::ifstream(entry.path()) >> holder;
        if (holder == kermit) {
            std::filesystem::remove(entry.path(), ignored);
        }
    }
}

// Installs the stop handlers for the session and puts the old ones back.
class StopSignals {
public:
    explicit StopSignals(int notify) {
        signalPipeWrite = notify;
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &oldInt_);
        ::sigaction(SIGTERM, &action, &oldTerm_);
    }
    ~StopSignals() {
        ::sigaction(SIGINT, &oldInt_, nullptr);
        ::sigaction(SIGTERM, &oldTerm_, nullptr);
        signalPipeWrite = -1;
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

// Hands each complete line of the log to onTransfer until Kermit closes the
// log (it has ended) or a stop signal arrives; true for the signal.
bool relayLog(int log, int stop, const std::function<void(const Transfer&)>& onTransfer) {
    std::string pending;
    char buffer[4096];
    for (;;) {
        pollfd watched[2] = {{log, POLLIN, 0}, {stop, POLLIN, 0}};
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (watched[1].revents != 0) {
            return true;
        }
        const ssize_t got = ::read(log, buffer, sizeof buffer);
        if (got <= 0) {
            return false;
        }
        pending.append(buffer, static_cast<std::size_t>(got));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
            if (const std::optional<Transfer> transfer = parseTransaction(pending.substr(0, end))) {
                onTransfer(*transfer);
            }
        }
    }
}

// Asks Kermit to end, and makes it if it has not within the grace time.
int stopKermit(pid_t kermit) {
    ::kill(kermit, SIGTERM);
    int status = 0;
    for (int waited = 0; waited < kTermGraceMs; waited += 10) {
        if (::waitpid(kermit, &status, WNOHANG) == kermit) {
            return status;
        }
        ::poll(nullptr, 0, 10);
    }
    ::kill(kermit, SIGKILL);
    ::waitpid(kermit, &status, 0);
    return status;
}

}  // namespace

void serveFolder(const ServeSettings& settings, const std::function<void(const Transfer&)>& onTransfer) {
    const std::string program = findKermit();
    checkDevice(settings.device);
    Pipe script;
    Pipe log;
    Pipe stop;
    // Absolute, as "cd" would move a relative folder under itself for "set root".
    ServeSettings absolute = settings;
    std::error_code ignored;
    absolute.folder = std::filesystem::absolute(settings.folder, ignored).string();
    const std::string text = serverScript(absolute, "/dev/fd/" + std::to_string(kLogFd));
    // The command file is far smaller than a pipe's buffer: it fits at once.
    if (::write(script.write, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        throw CatalogueError("Cannot start kermit: the command file does not fit its pipe.");
    }
    script.closeWrite();
    const StopSignals signals(stop.write);
    const pid_t kermit = startKermit(program, script, log);
    if (kermit < 0) {
        throw CatalogueError(
            "Cannot start kermit: " + causeOf(std::error_code(errno, std::generic_category())) + ".");
    }
    script.closeRead();
    log.closeWrite();
    const bool stopped = relayLog(log.read, stop.read, onTransfer);
    int status = 0;
    if (stopped) {
        status = stopKermit(kermit);
    } else {
        ::waitpid(kermit, &status, 0);
    }
    removeLockFile(kermit);
    if (stopped) {
        return;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) {
        throw CatalogueError("Cannot run \"" + program + "\".");
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw CatalogueError("kermit could not serve \"" + settings.folder + "\" on \"" + settings.device +
                             "\": another program may hold the device, or its speed " +
                             std::to_string(settings.speed) + " is not one the device supports.");
    }
}

}  // namespace quillmere::kermit
