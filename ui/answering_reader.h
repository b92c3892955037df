#pragma once

#include "core/catalogue_error.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QEventLoop;
class QWidget;

namespace quillmere {

// The program ended while a read was waited for: the action stops, and
// nothing more is told.
class ReadAbandoned : public CatalogueError {
public:
    using CatalogueError::CatalogueError;
};

// Reads files and folders, one call at a time, on a worker thread. A call
// that takes more than a moment is waited for with the window painting and
// its one control that still answers, "Exit", working: a file or folder on
// a mount that does not answer cannot freeze the window. Other input is
// refused meanwhile, since the action is still under way.
class AnsweringReader : public QObject {
public:
    // beforeWaiting shows what the window has held back, as a wait begins.
    AnsweringReader(QWidget& stillAnswering, std::function<void()> beforeWaiting);
    ~AnsweringReader() override;

    // call's result, or what it throws. Throws CatalogueError(silence) when
    // it does not answer within a few seconds, and ReadAbandoned when the
    // program ends first. call may outlive the wait: it holds its own data.
    template <typename Call>
    auto answer(Call call, const Sentence& silence) -> decltype(call()) {
        auto result = std::make_shared<std::optional<decltype(call())>>();
        run([call = std::move(call), result] { result->emplace(call()); }, silence);
        return std::move(**result);
    }
    // As readFileHead, and as answer when the file does not answer.
    std::string read(const std::string& path, const std::string& fileName);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Worker;
    enum class WaitEnd { Answered, Silent, ProgramEnded };
    void startWorker();
    void run(std::function<void()> task, const Sentence& silence);
    // Runs the window until the worker answers, the time is up or the
    // program ends.
    WaitEnd waitForAnswer();

    QWidget& stillAnswering_;
    std::function<void()> beforeWaiting_;
    std::shared_ptr<Worker> worker_;
    QEventLoop* waiting_ = nullptr;
};

}  // namespace quillmere
