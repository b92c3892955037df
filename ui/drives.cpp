#include "ui/drives.h"

#include <QDir>
#include <QFile>

#ifdef _WIN32
#include <QStorageInfo>
#endif

namespace quillmere {
namespace {

#ifndef _WIN32
// Kernel file systems, never a place for calculator files.
bool isPseudoFileSystem(const QByteArray& type) {
    static const QByteArrayList kPseudo{
        "autofs", "binfmt_misc", "bpf",        "cgroup",     "cgroup2",   "configfs", "debugfs",
        "devpts", "devtmpfs",    "efivarfs",   "fusectl",    "hugetlbfs", "mqueue",   "nsfs",
        "proc",   "pstore",      "rpc_pipefs", "securityfs", "selinuxfs", "sysfs",    "tracefs"};
    return kPseudo.contains(type);
}

// The mount table's fields escape a blank, tab, newline or backslash as
// three octal digits ("\040").
QString unescapedMountField(const QByteArray& field) {
    QByteArray bytes;
    for (qsizetype at = 0; at < field.size(); ++at) {
        if (field[at] == '\\' && at + 3 < field.size()) {
            bytes.append(static_cast<char>(field.mid(at + 1, 3).toInt(nullptr, 8)));
            at += 3;
        } else {
            bytes.append(field[at]);
        }
    }
    return QFile::decodeName(bytes);
}
#endif

// Only the system's table is read: asking a volume for anything, as
// QStorageInfo does of each, waits for ever on a mount that does not answer.
QStringList mountPoints() {
#ifdef _WIN32
    QStringList roots;
    for (const QFileInfo& drive : QDir::drives()) {
        roots.append(QDir::toNativeSeparators(drive.filePath()));
    }
    return roots;
#else
    QFile table(QStringLiteral("/proc/self/mounts"));
    QStringList points{QStringLiteral("/")};
    if (table.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : table.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() > 2 && !isPseudoFileSystem(fields[2])) {
                points.append(unescapedMountField(fields[1]));
            }
        }
    }
    return points;
#endif
}

}  // namespace

QStringList availableDrives() {
    QStringList drives = mountPoints();
    drives.removeDuplicates();
    drives.sort(Qt::CaseInsensitive);
    return drives;
}

// The longest mount point that holds folder, found without touching either.
QString driveOf(const QString& folder) {
#ifdef _WIN32
    return QDir::toNativeSeparators(QStorageInfo(folder).rootPath());
#else
    const QString path = QDir::cleanPath(folder);
    QString drive = QStringLiteral("/");
    for (const QString& point : mountPoints()) {
        const bool holds = path == point || path.startsWith(point.endsWith(u'/') ? point : point + u'/');
        if (holds && point.size() > drive.size()) {
            drive = point;
        }
    }
    return drive;
#endif
}

QString currentFolderOn(const QString& drive) {
    const QString workingFolder = QDir::currentPath();
    return driveOf(workingFolder) == drive ? QDir::toNativeSeparators(workingFolder) : drive;
}

}  // namespace quillmere
