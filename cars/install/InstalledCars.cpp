#include "cars/install/InstalledCars.h"

#include "cars/CarContext.h"
#include "cars/cCar.h"

InstalledCars::InstalledCars(const CarContext& context) : mContext(context)
{
    reload();
}

void InstalledCars::reload()
{
    // By key, once: a pack of hundreds of cars is looked up in a cars folder of thousands.
    mListing = FileNames::FolderListing(mContext.carsFolder);
    mByKey.clear();
    for (const FileSystem::Entry& entry : mListing.entries()) {
        const QString key = FileNames::NameKey(entry.name);
        const auto there = mByKey.constFind(key);
        if (there == mByKey.constEnd() ||
            FileSystem::Encode(entry.name) < FileSystem::Encode((*there)->name))
            mByKey.insert(key, &entry);
    }
}

const FileSystem::Entry* InstalledCars::find(const QString& name) const
{
    return mByKey.value(FileNames::NameKey(name), nullptr);
}

bool InstalledCars::isStandard(const QString& folderName) const
{
    cCar car;
    car.setDirectoryName(folderName);
    car.LoadSettings(mContext);
    return car.Classified() == cCar::Classification::Original;
}
