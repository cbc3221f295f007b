#pragma once

#include "app/modQuarnIniAPI.h"

#include <QString>

// What every car record consults as it loads: the cars folder, whether the game folder is
// there, and the tables of torvane.ini. A scan looks them up once (cCarsFolder::Context) and
// hands them to each of its thousands of records; a single record looks them up for itself.
struct CarContext
{
    QString carsFolder; // as the system names it, in whatever letter case the disk holds
    bool gameFolderFound = false;
    modQuarnIniAPI::Profile tables; // torvane.ini beside the program
    // The folder of disabled cars, whose cars are all the player's: none is classified there.
    bool disabled = false;
};
