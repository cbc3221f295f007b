#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class InstallPlan;
class InstalledCars;

// The cars of an install that come into the cars folder: those of names the game under Wine
// can open, and of a name already installed, those the player lets take the installed car's
// place.
namespace Arrivals {

// A car of the plan on its way into the cars folder.
struct Arrival
{
    int car = -1;       // in the plan
    QString folderName; // the name it gets
    QString replacing;  // the installed folder it takes the place of, by its own spelling
    QString trash;      // where the installed car goes; empty when it is deleted
};

// The cars of the plan that come, from the cars folder's listing: the player is asked (through
// MsgBox) about each installed car of a name, and a standard car is never replaced. One line
// for each car that does not come, saying why.
QList<Arrival> Wanted(const InstallPlan& plan, const QString& sourceName, const InstalledCars& cars,
                      const QString& carsFolder, QStringList* lines);

} // namespace Arrivals
