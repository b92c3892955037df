#include "ui/answering_reader.h"

#include "core/header_file.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace quillmere {
namespace {

// A local file answers in microseconds: only a read slower than this costs
// the window a turn of its event loop.
constexpr std::chrono::milliseconds kMoment{50};
// A slow network share answers in well under a second: a file silent for
// this long is not going to answer.
constexpr std::chrono::milliseconds kAnswerLimit{5000};

}  // namespace

// Shared with its thread, which outlives the reader when a read never returns.
struct AnsweringReader::Worker {
    std::mutex mutex;
    std::condition_variable changed;
    std::function<void()> task;
    bool answered = false;
    // Whether the window runs while it waits, and so must be woken.
    bool waitedFor = false;
    std::exception_ptr failure;
    // Set when nobody waits for this worker any more: it ends after its read.
    bool abandoned = false;
};

AnsweringReader::AnsweringReader(QWidget& stillAnswering, std::function<void()> beforeWaiting)
    : stillAnswering_(stillAnswering), beforeWaiting_(std::move(beforeWaiting)) {
    startWorker();
}

AnsweringReader::~AnsweringReader() {
    const std::lock_guard lock(worker_->mutex);
    worker_->abandoned = true;
    worker_->changed.notify_all();
}

void AnsweringReader::startWorker() {
    worker_ = std::make_shared<Worker>();
    std::thread([worker = worker_, this] {
        std::unique_lock lock(worker->mutex);
        for (;;) {
            worker->changed.wait(lock, [&] { return worker->task || worker->abandoned; });
            if (worker->abandoned) {
                return;
            }
            const std::function<void()> task = std::exchange(worker->task, nullptr);
            lock.unlock();
            std::exception_ptr failure;
            try {
                task();
            } catch (...) {
                failure = std::current_exception();
            }
            lock.lock();
            if (worker->abandoned) {
                return;
            }
            worker->failure = failure;
            worker->answered = true;
            worker->changed.notify_all();
            // The reader lives while its worker is not abandoned.
            if (worker->waitedFor) {
                QMetaObject::invokeMethod(
                    this, [this] { waiting_ ? waiting_->exit(1) : void(); }, Qt::QueuedConnection);
            }
        }
    }).detach();
}

std::string AnsweringReader::read(const std::string& path, const std::string& fileName) {
    return answer([path, fileName] { return readFileHead(path, fileName); },
                  Sentence("Cannot read the header line of ").name(fileName).words(": it does not answer."));
}

void AnsweringReader::run(std::function<void()> task, const Sentence& silence) {
    const std::shared_ptr<Worker> worker = worker_;
    std::unique_lock lock(worker->mutex);
    worker->task = std::move(task);
    worker->answered = false;
    worker->waitedFor = false;
    worker->changed.notify_all();
    if (!worker->changed.wait_for(lock, kMoment, [&] { return worker->answered; })) {
        worker->waitedFor = true;
        lock.unlock();
        const WaitEnd end = waitForAnswer();
        lock.lock();
        if (end != WaitEnd::Answered) {
            worker->abandoned = true;
            lock.unlock();
            startWorker();
            if (end == WaitEnd::ProgramEnded) {
                throw ReadAbandoned("The program ended.");
            }
            throw CatalogueError(silence);
        }
    }
    if (worker->failure) {
        std::rethrow_exception(worker->failure);
    }
}

AnsweringReader::WaitEnd AnsweringReader::waitForAnswer() {
    beforeWaiting_();
    const QDeadlineTimer deadline(kAnswerLimit - kMoment);
    QEventLoop waiting;
    QEventLoop* const outer = std::exchange(waiting_, &waiting);
    QTimer timeUp;
    timeUp.setTimerType(Qt::PreciseTimer);
    connect(&timeUp, &QTimer::timeout, &waiting, [&] { waiting.exit(1); });
    QCoreApplication::instance()->installEventFilter(this);
    WaitEnd end = WaitEnd::Silent;
    for (;;) {
        if (const std::lock_guard lock(worker_->mutex); worker_->answered) {
            end = WaitEnd::Answered;
            break;
        }
        if (deadline.hasExpired()) {
            break;
        }
        // Our own wake-ups end it with 1; the program's end with 0, or -1
        // when it had already ended.
        timeUp.start(static_cast<int>(deadline.remainingTime()));
        if (waiting.exec() != 1) {
            end = WaitEnd::ProgramEnded;
            break;
        }
    }
    QCoreApplication::instance()->removeEventFilter(this);
    waiting_ = outer;
    return end;
}

bool AnsweringReader::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Shortcut:
    case QEvent::Wheel:
        return watched != &stillAnswering_;
    default:
        return false;
    }
}

}  // namespace quillmere
