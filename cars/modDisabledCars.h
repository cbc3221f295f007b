#pragma once

#include "platform/Result.h"

#include <QString>

// Cars switched off without being deleted: each car's folder moved out of the cars folder into
// one beside it, in the game folder, which the game does not read, and back. Each move is one
// rename that never replaces an entry, so a car is always whole in one place or the other.
namespace modDisabledCars {

inline const QString kFolderName = QStringLiteral("cars-disabled");

// The folder of disabled cars beside carsFolder: an existing entry of that name in any letter
// case (whatever it is: a file, a link), else the name above. One listing of the game folder.
QString Folder(const QString& carsFolder);
// Folder(carsFolder) when it is a folder, not a link; empty when there is none. What a scan
// lists: where nothing is disabled it costs that one listing.
QString ExistingFolder(const QString& carsFolder);

// Moves the car folder directoryName of carsFolder into Folder(carsFolder), which is made when
// first needed. A failure moved nothing, and its message is a whole sentence for the player
// saying why ("A disabled car named 'x' is already there."); but for a disk that failed to
// flush the moved names, which says the car was moved.
Result Disable(const QString& carsFolder, const QString& directoryName);
// Moves the disabled car directoryName back into carsFolder. A name the game would take for one
// already there (in any letter case, on any disk) is refused, and nothing moves.
Result Enable(const QString& carsFolder, const QString& directoryName);

} // namespace modDisabledCars
