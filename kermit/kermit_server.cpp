#include "kermit/kermit_server.h"

#include "core/catalogue_error.h"
#include "core/folder.h"
#include "core/folder_boundary.h"
#include "kermit/log_relay.h"
#include "kermit/received_file.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace quillmere::kermit {
namespace {

// How long Kermit gets to end on SIGTERM before it is killed.
constexpr int kTermGraceMs = 1500;
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Written by the signal handler, watched next to the logs.
int stopPipeWrite = -1;
struct sigaction earlierActions[3];

void onStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(stopPipeWrite, &byte, 1);
}

std::string lastCause() {
    return causeOf(std::error_code(errno, std::generic_category()));
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
    throw CatalogueError(Sentence("Cannot find the program ")
                             .name("kermit")
                             .words(": install the Debian package ")
                             .name("ckermit")
                             .words("."));
}

CatalogueError busy(const std::string& device, const std::string& holder) {
    return CatalogueError(Sentence("Cannot open the serial device ")
                              .name(device)
                              .words(": another program" + holder + " is using it."));
}

// Kermit gets the line already open, so the name it was opened by is the
// one checked, locked and reported.
int openLine(const std::string& device) {
    const int line = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (line < 0) {
        const int error = errno;
        Sentence message =
            Sentence("Cannot open the serial device ").name(device).words(": " + lastCause() + ".");
        if (error == EACCES || error == EPERM) {
            message.words(
                " Add yourself to the \"dialout\" group (sudo adduser $USER dialout) and log in again.");
        } else if (error == EBUSY) {
            message.words(" Another program is using it.");
        }
        throw CatalogueError(message);
    }
    if (::flock(line, LOCK_EX | LOCK_NB) != 0) {
        ::close(line);
        throw busy(device, "");
    }
    if (::isatty(line) == 0) {
        ::close(line);
        throw CatalogueError(Sentence("Cannot serve on ").name(device).words(": it is not a serial device."));
    }
    // Later opens by others fail while we hold it.
    ::ioctl(line, TIOCEXCL);
    // Without O_NONBLOCK, which only kept the open from waiting for a carrier.
    ::fcntl(line, F_SETFL, ::fcntl(line, F_GETFL) & ~O_NONBLOCK);
    return line;
}

// Where Debian's serial programs (C-Kermit, minicom) look for UUCP-style lock
// files. QUILLMERE_LOCK_FOLDER names another, so that a session tried on
// pseudo-terminals keeps its locks apart from other sessions on the machine.
std::string lockFolder() {
    const char* folder = std::getenv("QUILLMERE_LOCK_FOLDER");
    return folder != nullptr ? folder : "/var/lock";
}

// The lock file other serial programs honour, holding our process id; none
// when the lock folder is not ours to write, as the descriptor lock holds.
std::string lockLine(const std::string& device) {
    std::error_code error;
    const std::string name = std::filesystem::canonical(device, error).filename().string();
    const std::string path = lockFolder() + "/LCK.." + name;
    for (int attempt = 0; !error && attempt < 2; ++attempt) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            char text[16];
            const int size = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
            const bool written = ::write(fd, text, static_cast<std::size_t>(size)) == size;
            ::close(fd);
            return written ? path : (::unlink(path.c_str()), std::string());
        }
        if (errno != EEXIST) {
            return {};
        }
        long long holder = 0;
        std::ifstream(path) >> holder;
        if (holder > 0 && (::kill(static_cast<pid_t>(holder), 0) == 0 || errno == EPERM)) {
            throw busy(device, " (process " + std::to_string(holder) + ")");
        }
        // Left by a program that has ended.
        std::filesystem::remove(path, error);
    }
    return {};
}

// A file of the folder that leads out of it would put that file's title in
// the directory any client can fetch, though kermit never sends the file.
void refuseLinksOut(const std::string& folder) {
    for (const std::string& name : listCalculatorFiles(folder)) {
        if (!staysInsideFolder(folder, joinPath(folder, name))) {
            throw CatalogueError(
                Sentence("Cannot serve ")
                    .name(folder)
                    .words(": ")
                    .name(name)
                    .words(" is a link to a file outside it; the calculator could not fetch it. "
                           "Copy the file into the folder or remove the link."));
        }
    }
}

struct Pipe {
    int ends[2] = {-1, -1};
    Pipe() {
        if (::pipe2(ends, O_CLOEXEC) != 0) {
            throw CatalogueError("Cannot start kermit: " + lastCause() + ".");
        }
    }
    ~Pipe() {
        close(0);
        close(1);
    }
    void close(int end) {
        if (ends[end] >= 0) {
            ::close(ends[end]);
            ends[end] = -1;
        }
    }
};

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

pid_t startKermit(const std::string& program, const int (&inherited)[4], int folder) {
    // Made before the fork: a window forks from one of several threads, and
    // the child may then allocate nothing.
    const std::string scriptPath = "/dev/fd/" + std::to_string(kScriptFd);
    const pid_t child = ::fork();
    if (child != 0) {
        return child;
    }
    // A group of its own: the terminal's Ctrl-C or hangup reaches us, and we end it.
    ::setpgid(0, 0);
    // A window holds the stop signals blocked in every thread, and the mask
    // outlives exec: Kermit must still end on our SIGTERM.
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    // Before the descriptors move: the folder's may sit on one of their numbers.
    if (::fchdir(folder) != 0) {
        ::_exit(kSetupFailed);
    }
#ifdef __linux__
    // Should this process be killed outright, Kermit must not hold the line on.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
#endif
    // Standard input from /dev/null: on a terminal Kermit would wait at its
    // prompt after SIGTERM instead of ending. Its chatter is not ours to show:
    // every outcome comes back as its exit status or in its logs.
    const int nothing = ::open("/dev/null", O_RDWR);
    for (int standard = 0; standard < 3; ++standard) {
        ::dup2(nothing, standard);
    }
    // Moved out of the way first, as one may sit on another's number; dup2
    // leaves the copies open across exec.
    int moved[4];
    for (int i = 0; i < 4; ++i) {
        moved[i] = ::fcntl(inherited[i], F_DUPFD_CLOEXEC, kLineFd + 1);
    }
    for (int i = 0; i < 4; ++i) {
        ::dup2(moved[i], kScriptFd + i);
    }
    // -Y: no initialisation file may change the settings.
    ::execl(program.c_str(), "kermit", scriptPath.c_str(), "-Y", static_cast<char*>(nullptr));
    ::_exit(127);
}

// Appends what fd holds by now to text; false once its writer has closed it.
bool readAvailable(int fd, std::string& text) {
    char buffer[4096];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) != 0;) {
        if (got < 0) {
            return errno == EAGAIN || errno == EINTR;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return false;
}

// Asks Kermit to end, and makes it if it has not within the grace time.
void stopKermit(pid_t kermit) {
    ::kill(kermit, SIGTERM);
    for (int waited = 0; waited < kTermGraceMs; waited += 10) {
        if (::waitpid(kermit, nullptr, WNOHANG) == kermit) {
            return;
        }
        ::poll(nullptr, 0, 10);
    }
    ::kill(kermit, SIGKILL);
    ::waitpid(kermit, nullptr, 0);
}

// Hands each complete line of both logs on until Kermit has closed them,
// having ended by itself or been stopped on a stop signal; true for the
// signal. What Kermit logged before it ended, such as a file that had just
// gone out, is told either way.
bool relayLogs(const std::string& folder, int transactions, int packets, int stop, pid_t kermit,
               ServeObserver& observer) {
    LogRelay relay(folder, observer);
    bool stopped = false;
    pollfd watched[3] = {{transactions, POLLIN, 0}, {packets, POLLIN, 0}, {stop, POLLIN, 0}};
    for (const int log : {transactions, packets}) {
        ::fcntl(log, F_SETFL, ::fcntl(log, F_GETFL) | O_NONBLOCK);
    }
    while (watched[0].fd >= 0 || watched[1].fd >= 0) {
        if (::poll(watched, 3, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return stopped;
        }
        if (watched[2].revents != 0) {
            stopKermit(kermit);
            stopped = true;
            watched[2].fd = -1;
        }
        // The transaction log first, as the relay needs.
        std::string read[2];
        for (int log = 0; log < 2; ++log) {
            if (watched[log].fd >= 0 && !readAvailable(watched[log].fd, read[log])) {
                watched[log].fd = -1;
            }
        }
        relay.relay(read[0], read[1]);
    }
    return stopped;
}

}  // namespace

Server::Server(ServeSettings settings) : settings_(std::move(settings)), program_(findKermit()) {
    line_ = openLine(settings_.device);
    try {
        refuseLinksOut(settings_.folder);
        lockFile_ = lockLine(settings_.device);
        if (::pipe2(stop_, O_CLOEXEC) != 0) {
            throw CatalogueError("Cannot start kermit: " + lastCause() + ".");
        }
    } catch (...) {
        ::close(line_);
        throw;
    }
    stopPipeWrite = stop_[1];
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < 3; ++i) {
        ::sigaction(kStopSignals[i], &action, &earlierActions[i]);
    }
}

Server::~Server() {
    for (int i = 0; i < 3; ++i) {
        ::sigaction(kStopSignals[i], &earlierActions[i], nullptr);
    }
    stopPipeWrite = -1;
    ::close(stop_[0]);
    ::close(stop_[1]);
    if (!lockFile_.empty()) {
        ::unlink(lockFile_.c_str());
    }
    ::ioctl(line_, TIOCNXCL);
    ::close(line_);
}

void Server::stop() {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(stop_[1], &byte, 1);
}

void Server::serve(ServeObserver& observer) {
    try {
        serveUntilEnd(observer);
        observer.ended(std::nullopt);
    } catch (const CatalogueError& error) {
        observer.ended(error.sentence());
    }
}

void Server::serveUntilEnd(ServeObserver& observer) {
    pollfd stopped{stop_[0], POLLIN, 0};
    if (::poll(&stopped, 1, 0) == 1) {
        return;
    }
    const Descriptor folder{::open(settings_.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (folder.fd < 0) {
        throw CatalogueError(
            Sentence("Cannot open the folder ").name(settings_.folder).words(": " + lastCause() + "."));
    }
    // Also on every way out: no part of a file received stays.
    struct ReceivingFolder {
        const std::string& folder;
        ~ReceivingFolder() {
            try {
                resetReceivingFolder(folder, false);
            } catch (const CatalogueError&) {
                // Hidden, never listed, and cleared at the next start.
            }
        }
    } receivingFolder{settings_.folder};
    resetReceivingFolder(settings_.folder, settings_.receive);
    Pipe script;
    Pipe transactions;
    Pipe packets;
    const std::string text = serverScript(settings_);
    // The command file is far smaller than a pipe's buffer: it fits at once.
    if (::write(script.ends[1], text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        throw CatalogueError("Cannot start kermit: the command file does not fit its pipe.");
    }
    script.close(1);
    const pid_t kermit =
        startKermit(program_, {script.ends[0], transactions.ends[1], packets.ends[1], line_}, folder.fd);
    if (kermit < 0) {
        throw CatalogueError("Cannot start kermit: " + lastCause() + ".");
    }
    transactions.close(1);
    packets.close(1);
    if (relayLogs(settings_.folder, transactions.ends[0], packets.ends[0], stop_[0], kermit, observer)) {
        return;
    }
    int status = 0;
    ::waitpid(kermit, &status, 0);
    const auto onDevice = [this](const std::string& words, const char* after) {
        return CatalogueError(Sentence(words + " on ").name(settings_.device).words(after));
    };
    if (WIFSIGNALED(status)) {
        throw onDevice(
            "kermit ended unexpectedly (signal " + std::to_string(WTERMSIG(status)) + ") while serving", ".");
    }
    // Kermit may end as on FINISH when the line hangs up under it.
    pollfd hangup{line_, 0, 0};
    const bool lost = ::poll(&hangup, 1, 0) == 1 && (hangup.revents & POLLHUP) != 0;
    switch (lost ? kSessionBroken : WEXITSTATUS(status)) {
    case 0:
        return;
    case 127:
        throw CatalogueError(Sentence("Cannot run ").name(program_).words("."));
    case kLineRefused:
        throw CatalogueError(
            Sentence("kermit cannot use ").name(settings_.device).words(" as a serial line."));
    case kSpeedRefused:
        throw CatalogueError(Sentence("The serial device ")
                                 .name(settings_.device)
                                 .words(" does not take the speed " + std::to_string(settings_.speed) +
                                        ": choose another with --speed."));
    case kSetupFailed:
        throw CatalogueError(Sentence("kermit could not set up serving ").name(settings_.folder).words("."));
    case kSessionBroken:
        throw onDevice("The line to the calculator", " was lost before it ended the session.");
    default:
        throw onDevice("kermit ended with status " + std::to_string(WEXITSTATUS(status)) + " while serving",
                       ".");
    }
}

}  // namespace quillmere::kermit
