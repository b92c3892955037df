#include "calculator_files.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace quillmere::testing {

void writeFile(const QString& folder, const QString& name, const QByteArray& bytes) {
    QFile file(QDir(folder).filePath(name));
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString& folder, const QString& name) {
    QFile file(QDir(folder).filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeCalculatorFile(const QString& folder, const QString& name, const QByteArray& headerLine) {
    writeFile(folder, name, headerLine + "\r\nBODY 1 2 3\r\n");
}

}  // namespace quillmere::testing
