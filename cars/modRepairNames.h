#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class cCar;

// Names that the game under Wine cannot open made into ones it can, with no window. Wine shows
// a name that is not UTF-8 with "?" for each odd byte, and the game finds no such file; such
// bytes come from copies and archives made on Windows, in Windows-1252.
namespace modRepairNames {

struct Left
{
    QString name; // as the player should see it, from the cars folder
    QString reason;
};

struct Repaired
{
    QStringList renamed; // each new name, from the cars folder, the car's folder last
    QList<Left> left;
    QString folderName; // the car's folder name now
};

// True for a custom car with a name that is not UTF-8: a standard car's folder is the game's
// own. A car whose names are all UTF-8, but one Windows cannot hold, has nothing to repair.
bool CanRepair(const cCar& car);

// Renames each name in the car's folder folderName, and the folder itself last, that is not
// UTF-8 to the UTF-8 spelling of its Windows-1252 reading, a folder's entries before the
// folder. Links inside are renamed and never followed; a car folder that is a link is read
// through, as the game reads it. A name whose new spelling the game would take for another
// entry there (in any letter case) is left as it was; nothing is ever replaced. The files'
// contents are not changed: the game reads the Windows-1252 names in them as the new ones.
Repaired RepairNames(const QString& carsFolder, const QString& folderName);

// What was renamed and what was left, and why, in words for the player.
QString Report(const Repaired& repaired);

} // namespace modRepairNames
