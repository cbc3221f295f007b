#pragma once

#include "platform/FileNames.h"

#include <QHash>
#include <QString>

struct CarContext;

// The cars folder's entries as an install finds a car's name among them: as the game would,
// in any letter case or spelt with Windows-1252 bytes.
class InstalledCars
{
public:
    explicit InstalledCars(const CarContext& context);

    // Lists the folder again, after cars came.
    void reload();
    // The entry the game would take for name, or nullptr.
    const FileSystem::Entry* find(const QString& name) const;
    // Whether the car of that folder is one of the game's own, which is never replaced.
    bool isStandard(const QString& folderName) const;

private:
    const CarContext& mContext;
    FileNames::FolderListing mListing;
    QHash<QString, const FileSystem::Entry*> mByKey; // into mListing, by FileNames::NameKey
};
