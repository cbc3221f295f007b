#include "cars/InstalledCars.h"

#include "cars/CarContext.h"
#include "cars/cCar.h"

InstalledCars::InstalledCars(const CarContext& context) : mContext(context)
{
    reload();
}

void InstalledCars::reload()
{
    mListing = FileNames::FolderListing(mContext.carsFolder);
}

const FileSystem::Entry* InstalledCars::find(const QString& name) const
{
    return mListing.entry(name);
}

bool InstalledCars::isStandard(const QString& folderName) const
{
    cCar car;
    car.setDirectoryName(folderName);
    car.LoadSettings(mContext);
    return car.Classified() == cCar::Classification::Original;
}
