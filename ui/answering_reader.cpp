#include "ui/answering_reader.h"

#include "core/header_file.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <exception>
#include <memory>

namespace quillmere {
namespace {

// A local file answers in microseconds, a slow network share in well under a
// second: one silent for this long is not going to answer.
constexpr int kAnswerLimitMs = 5000;

}  // namespace

AnsweringReader::AnsweringReader(QWidget& stillAnswering) : stillAnswering_(stillAnswering) {}

std::string AnsweringReader::read(const std::string& path, const std::string& fileName) {
    struct Outcome {
        std::string head;
        std::exception_ptr failure;
    };
    const auto outcome = std::make_shared<Outcome>();
    QThread* worker = QThread::create([outcome, path, fileName] {
        try {
            outcome->head = readFileHead(path, fileName);
        } catch (...) {
            outcome->failure = std::current_exception();
        }
    });
    // A worker that never answers is left behind, to end whenever it does.
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    // The first end counts: the wait may be nested in another one.
    enum class End { ProgramEnded, Answered, Silent } end = End::ProgramEnded;
    QEventLoop waiting;
    const auto endWith = [&](End first) {
        if (waiting.isRunning() && end == End::ProgramEnded) {
            end = first;
        }
        waiting.quit();
    };
    connect(worker, &QThread::finished, &waiting, [&] { endWith(End::Answered); });
    QTimer::singleShot(kAnswerLimitMs, &waiting, [&] { endWith(End::Silent); });
    QCoreApplication::instance()->installEventFilter(this);
    worker->start();
    waiting.exec();
    QCoreApplication::instance()->removeEventFilter(this);
    switch (end) {
    case End::Answered:
        if (outcome->failure) {
            std::rethrow_exception(outcome->failure);
        }
        return std::move(outcome->head);
    case End::Silent:
        throw CatalogueError("Cannot read the header line of \"" + fileName + "\": it does not answer.");
    case End::ProgramEnded:
        break;
    }
    throw ReadAbandoned("The program ended.");
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
