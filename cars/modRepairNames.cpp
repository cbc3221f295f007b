#include "cars/modRepairNames.h"

#include "cars/cCar.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"

#include <QHash>

namespace modRepairNames {

namespace {

// The names of each folder as the game would take them, counted, each folder listed once: a
// folder of a thousand such names is not listed a thousand times. A rename changes no count,
// as the new name is the old one as the game takes it.
class Spellings
{
public:
    // True when folder holds an entry besides the one being renamed that the game would take
    // for newName: the same name in other letter case, or spelt with Windows-1252 bytes.
    bool taken(const QString& folder, const QString& newName)
    {
        auto counts = mByFolder.find(folder);
        if (counts == mByFolder.end()) {
            counts = mByFolder.insert(folder, {});
            // Unlisted, no name counts as taken: the rename itself never replaces an entry.
            for (const FileSystem::Entry& entry : FileSystem::List(folder).value_or({}))
                ++(*counts)[FileNames::NameKey(entry.name)];
        }
        return counts->value(FileNames::NameKey(newName)) > 1;
    }

private:
    QHash<QString, QHash<QString, int>> mByFolder;
};

// Renames the entry at path (from folder) when its own name is not UTF-8; shown is the path
// as the player should see it, from the cars folder. True when it was renamed.
bool Repair(const QString& folder, const QString& path, const QString& shown, Spellings& spellings,
            Repaired& repaired)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString parent = slash < 0 ? folder : FileNames::Join(folder, path.left(slash));
    const QString name = path.mid(slash + 1);
    if (!FileSystem::CarriesBytes(name))
        return false;
    const QString newName = FileSystem::Shown(name);
    const Result renamed =
        spellings.taken(parent, newName)
            ? Result::Failure(QStringLiteral("its UTF-8 spelling is already taken"))
            : FileSystem::RenameNew(FileNames::Join(parent, name),
                                    FileNames::Join(parent, newName));
    if (renamed.success())
        repaired.renamed.append(FileSystem::NativeSeparators(shown));
    else
        repaired.left.append({FileSystem::NativeSeparators(shown), renamed.message});
    return renamed.success();
}

} // namespace

bool CanRepair(const cCar& car)
{
    // A name Windows cannot hold has no one spelling to take its place: the player picks it.
    return car.Classified() == cCar::Classification::Custom && car.ForeignBytes();
}

Repaired RepairNames(const QString& carsFolder, const QString& folderName)
{
    Repaired repaired;
    repaired.folderName = folderName;
    const QString car = FileNames::Join(carsFolder, folderName);
    const QString shownFolder = FileSystem::Shown(folderName);
    const ResultOf<QStringList> inside = FileSystem::Folder(car).ListTree();
    if (!inside) {
        repaired.left.append(
            {shownFolder,
             QStringLiteral("the names in it could not be read: %1").arg(inside.message)});
        return repaired;
    }
    Spellings spellings;
    for (const QString& path : *inside)
        Repair(car, path, FileNames::Join(shownFolder, FileSystem::Shown(path)), spellings,
               repaired);
    if (Repair(carsFolder, folderName, shownFolder, spellings, repaired))
        repaired.folderName = shownFolder;
    return repaired;
}

QString Report(const Repaired& repaired)
{
    QStringList lines;
    if (!repaired.renamed.isEmpty())
        lines << QStringLiteral("Renamed to UTF-8, so that the game can open them under Wine:")
              << repaired.renamed;
    if (!repaired.left.isEmpty())
        lines << QStringLiteral("Left as they were:");
    for (const Left& left : repaired.left)
        lines << left.name + QStringLiteral(": ") + left.reason + QLatin1Char('.');
    if (lines.isEmpty())
        lines << QStringLiteral("Every name in the car's folder is UTF-8 already.");
    return lines.join(QLatin1Char('\n'));
}

} // namespace modRepairNames
