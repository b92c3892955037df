#include "app/stop_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#ifdef __linux__
#include <csignal>

#include <sys/signalfd.h>
#include <unistd.h>
#endif

namespace quillmere {

namespace {

bool stopped = false;

}  // namespace

bool stopRequested() {
    return stopped;
}

#ifdef __linux__
namespace {

sigset_t stopSignals() {
    sigset_t stops;
    sigemptyset(&stops);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&stops, signal);
    }
    return stops;
}

}  // namespace

void holdStopSignals() {
    const sigset_t stops = stopSignals();
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
}

void quitOnStopSignals(QCoreApplication& application) {
    const sigset_t stops = stopSignals();
    const int fd = ::signalfd(-1, &stops, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd < 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, &application);
    QObject::connect(notifier, &QSocketNotifier::activated, &application, [fd] {
        signalfd_siginfo info{};
        while (::read(fd, &info, sizeof info) == sizeof info) {
        }
        stopped = true;
        QCoreApplication::exit(0);
    });
}
#else
void holdStopSignals() {}
void quitOnStopSignals(QCoreApplication&) {}
#endif

}  // namespace quillmere
