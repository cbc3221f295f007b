#include "cars/cCarsFolder.h"

#include "app/cSettings.h"
#include "app/modMain.h"
#include "cars/cCar.h"
#include "platform/FileSystem.h"

QString cCarsFolder::Path() const
{
    const QString& carDir = mSettings->CarDir();
    const qsizetype slash = carDir.lastIndexOf(FileSystem::Separator());
    return slash > 0 && slash + 1 < carDir.size()
               ? FileNames::Resolve(carDir.left(slash), carDir.mid(slash + 1))
               : carDir;
}

QString cCarsFolder::CarFolder(const QString& directoryName) const
{
    return FileNames::Join(Path(), directoryName);
}

FileNames::FolderListing cCarsFolder::Listing() const
{
    return FileNames::FolderListing(Path());
}

CarContext cCarsFolder::Context() const
{
    CarContext context;
    context.carsFolder = Path();
    context.gameFolderFound = FileNames::EntryExists(mSettings->DrovakDir());
    // The car records open the tables by the program's own folder, as the settings do.
    context.tables = modQuarnIniAPI::Profile::Load(
        FileNames::Join(modMain::AppPath(), QStringLiteral("torvane.ini")));
    return context;
}

modCarList::ScannedCars cCarsFolder::Scan() const
{
    return modCarList::ScanCars(Context());
}

modInstallCar::Report cCarsFolder::Install(const QStringList& paths,
                                           const modInstallCar::Progress& progress) const
{
    return modInstallCar::Install(paths, Context(), progress);
}

QString cCarsFolder::Recover() const
{
    return modInstallCar::Recover(Path());
}

modRepairNames::Repaired cCarsFolder::Repair(const QString& folderName) const
{
    return modRepairNames::RepairNames(Path(), folderName);
}

modMakeCar::Made cCarsFolder::Make(const QString& templateDir, const QString& targetDir,
                                   const QString& carName, const QString& author) const
{
    return modMakeCar::MakeCarPath(Path(), templateDir, targetDir, carName, author);
}

void cCarsFolder::Delete(cCar& car) const
{
    car.Delete();
}
