#pragma once

#include <QString>
#include <QStringList>

// Drives as the folder window offers them: drive letters on Windows, mount
// points elsewhere, written as native paths ("C:\", "/", "/home").
namespace quillmere {

QStringList availableDrives();

// The drive that holds folder.
QString driveOf(const QString& folder);

// The folder a drive opens on: the working folder on its own drive, the
// drive's root on any other.
QString currentFolderOn(const QString& drive);

}  // namespace quillmere
