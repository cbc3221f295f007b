#pragma once

#include "platform/Result.h"

#include <QString>
#include <QStringList>

// A car copied under a new folder name whose parameters.txt still names the old folder
// ("cars\old\body.prm"), mended as the wizard makes a new car: those references are made to
// name the car's own folder, when its own folder holds each of those files.
namespace modFolderRefs {

// The other car folders that parameters.txt of the car directoryName names (cars\OTHER\...),
// each once, as first written; empty when there is none, when any file so named is not in the
// car's own folder (letter case ignored), or when the folder's own name cannot be written in
// the file's Windows-1252 text.
QStringList Fixable(const QString& carsFolder, const QString& directoryName);

struct Fixed
{
    Result result;  // why nothing was changed
    QString report; // what was changed, for the player
};

// Makes the references that Fixable finds name the car's own folder; every other byte of
// parameters.txt stays. The old file is first copied whole to parameters.bak, then
// parameters.txt is replaced whole: a failure leaves it as it was.
Fixed Fix(const QString& carsFolder, const QString& directoryName);

} // namespace modFolderRefs
