#pragma once

#include "cars/CarContext.h"
#include "cars/install/modInstallCar.h"
#include "cars/modCarList.h"
#include "cars/modMakeCar.h"
#include "cars/modRepairNames.h"
#include "platform/FileNames.h"

#include <QString>
#include <QStringList>

class cCar;
class cSettings;

// The game's cars folder and everything done to it: the cars listed, installed, repaired, made
// and deleted. The windows are handed one, as a document window is handed its document, and
// ask it rather than the settings. It stands for the folder the settings name at each call:
// a game folder chosen in Options counts from the next command on.
class cCarsFolder
{
public:
    explicit cCarsFolder(const cSettings& settings) : mSettings(&settings) {}

    // The cars folder as the system names it: CarDir, or the entry that its last name stands
    // for in other letter case, as a game copied from Windows may hold "Cars" or "CARS".
    QString Path() const;
    QString CarFolder(const QString& directoryName) const;
    // The car folders and files directly inside, listed now.
    FileNames::FolderListing Listing() const;
    // What the car records consult as they load, looked up now.
    CarContext Context() const;

    // Replaces gCars() with the cars listed now.
    modCarList::ScannedCars Scan() const;
    modInstallCar::Report Install(const QStringList& paths,
                                  const modInstallCar::Progress& progress = {}) const;
    // Finishes or undoes what installs cut short left; one line for each car put in place.
    QString Recover() const;
    modRepairNames::Repaired Repair(const QString& folderName) const;
    modMakeCar::Made Make(const QString& templateDir, const QString& targetDir,
                          const QString& carName, const QString& author) const;
    // The car's folder as it was listed, with everything in it; the player is told how it went.
    void Delete(cCar& car) const;

private:
    const cSettings* mSettings;
};
