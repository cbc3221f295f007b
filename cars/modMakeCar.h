#pragma once

#include "platform/Result.h"

#include <QString>

// A new car made from an existing one, with no window: the wizard asks for the names and tells
// the player how it went.
namespace modMakeCar {

struct Made
{
    // The failure's message says what went wrong; a rewrite of parameters.txt has already
    // shown its own reason.
    Result result;
    // Once the folder exists, a failure leaves the unfinished car in the cars folder.
    bool folderMade = false;
};

// Makes the car folder targetDir in carsFolder from the car folder templateDir there (the
// folder's real name): its files copied, carinfo.ini naming the car, its author and its
// template, and parameters.txt rewritten for the new folder and name. Stops at the first
// failure and undoes nothing. The names are expected to have passed the wizard's checks.
Made MakeCarPath(const QString& carsFolder, const QString& templateDir, const QString& targetDir,
                 const QString& carName, const QString& author);

} // namespace modMakeCar
