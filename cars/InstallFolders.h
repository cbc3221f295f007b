#pragma once

#include "platform/Result.h"

#include <QString>

// The hidden folders an install unpacks into, inside the cars folder so that a car moves into
// place with one rename. A crash leaves one behind; it is no car, and the next install removes
// it.
namespace InstallFolders {

inline const QString kPrefix = QStringLiteral(".torvane-install-");

inline bool IsUnpacking(const QString& folderName)
{
    return folderName.startsWith(kPrefix);
}

// Makes a new one in carsFolder and gives its name; the result says why when it cannot.
QString Create(const QString& carsFolder, Result* made);

// Whether a folder renamed on the disk of the hidden folder staging keeps its files. A car
// moves into place as one folder rename, and there are FUSE drivers for FAT that rename a
// folder without what is in it: on such a disk nothing is installed, rather than an empty car.
Result MovesFolders(const QString& staging);

} // namespace InstallFolders
