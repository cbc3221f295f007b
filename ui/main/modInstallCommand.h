#pragma once

#include "cars/cCarsFolder.h"

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// Installing cars from the window: the archive picked in the file-open box or the archives and
// car folders dropped on the window, a progress box while a large one unpacks, and one message
// on what came.
namespace modInstallCommand {

inline const QString kFilter =
    QStringLiteral("Car archives (*.zip *.7z *.rar *.tar *.tar.gz *.tgz *.tar.xz *.tar.bz2)");

// The folder the archive box opens in: the one the player last installed an archive from, else
// the desktop's Downloads, else the home folder; the first of them that is there.
QString StartFolder();
// The archive the player picks, or nothing when they cancel.
QStringList PickArchive();

// Installs paths into cars, with a progress box over window while a large one unpacks, a folder
// is read for long, or another install is waited for.
modInstallCar::Report Install(QWidget* window, const cCarsFolder& cars, const QStringList& paths);
// Tells the player what came and what did not.
void Tell(const modInstallCar::Report& report);
// Installs paths and tells the player, after the install under way if there is one: an
// install asked for while one runs (a drop while its box handles events) would otherwise wait
// for it forever. installed is told each report before the player is.
void InstallInTurn(QWidget* window, const cCarsFolder& cars, const QStringList& paths,
                   const std::function<void(const modInstallCar::Report&)>& installed);

// Gives paths to install once no modal box of the program is open, rather than under it: the
// install waits for the box, and paths that come meanwhile join them.
void InstallWhenFree(QWidget* window, const QStringList& paths,
                     std::function<void(const QStringList&)> install);

// Files and folders dropped on window go to install.
void AcceptDrops(QWidget* window, std::function<void(const QStringList&)> install);

} // namespace modInstallCommand
