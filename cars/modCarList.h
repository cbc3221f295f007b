#pragma once

#include <QList>
#include <QString>

#include <memory>

class cCar;
struct CarContext;

// The part of the car-list scan that needs no window: walks the cars folder, loads one record
// per folder and files the listed ones in gCars().
namespace modCarList {

struct ScannedCars
{
    QList<std::shared_ptr<cCar>> standard; // classified Original, in folder order
    QList<std::shared_ptr<cCar>> custom;   // classified Custom, in folder order
    QString carsFolder;                    // the one listed
    // The cars of the folder of disabled cars beside it, in folder order, each loaded from there
    // and shown as a custom car is, whatever torvane.ini says of its name; not in gCars().
    QList<std::shared_ptr<cCar>> disabled;
    QString disabledFolder; // the one listed; empty when there is none
};

// Replaces gCars() with the cars of the context's cars folder, each loaded with that context:
// every record of a scan consults the same settings file and folders, looked at once. Omitted
// folders are left out, and so is a folder whose name equals an earlier one ignoring letter
// case: the game sees only one of them. Then the disabled cars are loaded, when that folder is
// there: where it is not, that costs one listing of the game folder.
ScannedCars ScanCars(const CarContext& context);

// "buggy2 (Blue Buggy)", or the folder name alone for a car without a name.
QString NodeText(const cCar& car);

// The warning about the car that the tree shows beside its text; empty for nearly every car.
QString Warning(const cCar& car);

} // namespace modCarList
