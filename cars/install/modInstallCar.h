#pragma once

#include <QString>
#include <QStringList>

#include <functional>

struct CarContext;

// Cars installed from the archives players download, or from car folders, into the cars
// folder: whole or not at all, never outside it, with names the game under Wine can open.
namespace modInstallCar {

enum class Stage {
    Waiting,  // for another install, of this or another program, to finish
    Checking, // the first reading, before anything is written
    Unpacking,
};
// Told the stage, the bytes read of the source so far and its size (0 while unknown); false
// cancels the install.
using Progress = std::function<bool(Stage stage, qint64 done, qint64 total)>;

struct Report
{
    QStringList installed; // the folder names that came, in the order of the sources
    QString text;          // one line for each car and each source that did not come, or why
    bool canceled = false;
};

// Installs each archive file or car folder of paths into the context's cars folder. A car of
// a name already there is replaced only when the player says so (asked through MsgBox), and a
// standard car never.
// Installs take turns, across programs too.
Report Install(const QStringList& paths, const CarContext& context, const Progress& progress = {});

// What installs that were cut short (the program killed, the power cut) left in the cars
// folder: each car finished or undone, so that the folder holds the old car or the new one,
// whole, and the hidden folders removed. One line for each car put in place.
QString Recover(const QString& carsFolder);

} // namespace modInstallCar
