#pragma once

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

} // namespace InstallFolders
