#pragma once

#include <QByteArray>
#include <QString>

namespace quillmere::testing {

// Writes bytes as the whole content of folder/name.
void writeFile(const QString& folder, const QString& name, const QByteArray& bytes);
QByteArray readFile(const QString& folder, const QString& name);

// A calculator file whose first line is headerLine, followed by a body line
// that the catalogue must never read.
void writeCalculatorFile(const QString& folder, const QString& name, const QByteArray& headerLine);

}  // namespace quillmere::testing
