#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// A car packed into a zip for the player to hand to a friend, with no window: the zip holds the
// car's folder, named as the game under Wine reads names, and installs as any car does.
namespace modPackCar {

// Told the bytes of the car's files written so far and their total, first with none written,
// once the car has been looked at; false cancels.
using Progress = std::function<bool(qint64 done, qint64 total)>;

struct Report
{
    bool packed = false;   // the zip is in place, whole
    bool canceled = false; // the player canceled; nothing was left behind
    QStringList leftOut;   // links and other entries left out, as paths inside the car ("sub/x")
    QString text;          // one message for the player: what was packed, what left out, or why not
};

// The zip name proposed for a car folder: FOLDER.zip, FOLDER spelt in UTF-8 even when the
// folder's name is not (its Windows-1252 reading, as Repair Names spells it).
QString ProposedName(const QString& folderName);

// Packs the car folder (a path; its own name becomes the zip's one top folder, every file and
// folder in it below) into zipPath, whole or not at all. Names that are not UTF-8 are written
// as Repair Names would rename them; two that would then be one refuse the pack. Links and
// other entries that are neither files nor folders are left out, never followed. An entry at
// zipPath is replaced only after a Yes to "'NAME' exists. Replace it?"; a No packs nothing and
// says nothing more (canceled). A zipPath inside the car folder is refused.
Report Pack(const QString& carFolder, const QString& zipPath, const Progress& progress = {});

} // namespace modPackCar
