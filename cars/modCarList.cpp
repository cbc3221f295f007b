#include "cars/modCarList.h"

#include "app/modMain.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"
#include "cars/modDirSearch.h"
#include "platform/ScanScope.h"

namespace modCarList {

ScannedCars ScanCars(const QString& carDir)
{
    const ScanScope scope;
    modMain::gCarDirs = std::make_unique<cDirList>(modDirSearch::ListCarFolders(carDir));
    modMain::ReleaseCars();

    ScannedCars scanned;
    for (const cDir& folder : *modMain::gCarDirs) {
        auto car = std::make_shared<cCar>();
        car->setDirectoryName(folder.FolderName);
        car->LoadSettings();

        QList<std::shared_ptr<cCar>>* branch = nullptr;
        if (car->Classification() == QLatin1String("Original"))
            branch = &scanned.standard;
        else if (car->Classification() == QLatin1String("Custom"))
            branch = &scanned.custom;
        if (branch && modMain::gCars().Add(car, car->DirectoryName()))
            branch->append(std::move(car));
    }
    modMain::gCarDirs.reset();
    return scanned;
}

QString NodeText(const cCar& car)
{
    if (car.CarName().isEmpty())
        return car.DirectoryName();
    return car.DirectoryName() + QStringLiteral(" (") + car.CarName() + QLatin1Char(')');
}

} // namespace modCarList
