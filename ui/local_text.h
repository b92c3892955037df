#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <string>

// The catalogue works in 8-bit text of the system code page, as the files
// it reads and writes do; the widgets work in Unicode.
namespace quillmere {

inline QString fromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

inline QString fromFileName(const std::string& name) {
    return QFile::decodeName(QByteArray::fromStdString(name));
}

inline std::string toFileName(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

inline std::string toLocal(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

}  // namespace quillmere
