#include "ui/drives.h"

#include <QDir>
#include <QStorageInfo>

namespace quillmere {

QStringList availableDrives() {
    QStringList drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady()) {
            drives.append(QDir::toNativeSeparators(volume.rootPath()));
        }
    }
    // The working folder's drive is always offered, even where the system
    // does not report it as ready.
    drives.append(driveOf(QDir::currentPath()));
    drives.removeDuplicates();
    drives.sort(Qt::CaseInsensitive);
    return drives;
}

QString driveOf(const QString& folder) {
    return QDir::toNativeSeparators(QStorageInfo(folder).rootPath());
}

QString currentFolderOn(const QString& drive) {
    const QString workingFolder = QDir::currentPath();
    return driveOf(workingFolder) == drive ? QDir::toNativeSeparators(workingFolder) : drive;
}

}  // namespace quillmere
