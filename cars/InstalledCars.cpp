#include "cars/InstalledCars.h"

#include "cars/CarContext.h"
#include "cars/cCar.h"
#include "platform/FileNames.h"

InstalledCars::InstalledCars(const CarContext& context) : mContext(context)
{
    reload();
}

void InstalledCars::reload()
{
    mByFolded.clear();
    for (const FileSystem::Entry& entry : FileNames::ListEntries(mContext.carsFolder))
        mByFolded.insert(FileNames::Folded(entry.name), entry);
}

const FileSystem::Entry* InstalledCars::find(const QString& name) const
{
    const auto found = mByFolded.constFind(FileNames::Folded(name));
    return found == mByFolded.constEnd() ? nullptr : &*found;
}

bool InstalledCars::isStandard(const QString& folderName) const
{
    cCar car;
    car.setDirectoryName(folderName);
    car.LoadSettings(mContext);
    return car.Classified() == cCar::Classification::Original;
}
