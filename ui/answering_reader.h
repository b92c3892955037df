#pragma once

#include "core/catalogue_error.h"

#include <QObject>

#include <string>

class QWidget;

namespace quillmere {

// The program ended while a read was waited for: the action stops, and
// nothing more is told.
class ReadAbandoned : public CatalogueError {
public:
    using CatalogueError::CatalogueError;
};

// Reads a file's head on a worker thread while the window goes on painting
// and its one control that still answers, "Exit", goes on working: a file on
// a mount that does not answer cannot freeze the window. Other input is
// refused while the read is waited for, since the action is still under way.
class AnsweringReader : public QObject {
public:
    explicit AnsweringReader(QWidget& stillAnswering);

    // As readFileHead. Throws CatalogueError naming fileName when the file
    // does not answer within a few seconds, and ReadAbandoned when the
    // program ends first.
    std::string read(const std::string& path, const std::string& fileName);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& stillAnswering_;
};

}  // namespace quillmere
