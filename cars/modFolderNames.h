#pragma once

#include <QString>
#include <QStringView>

// The rules a new car folder's name has to pass, for the wizard and for an install. Each gives
// the reason a name breaks it, for the player, or an empty text when it passes. field starts
// the reason ("The directory name").
namespace modFolderNames {

// Anything but one entry directly inside the cars folder could reach outside it.
QString EntryNameFault(const QString& field, const QString& name);
// A character that the game could not open, or that its files (Windows-1252 text) could not
// point at. A template is only read and copied: any listed car will do.
QString CharacterFault(const QString& field, const QString& name);
// The first character of text that Windows-1252, the code page of the game's files, has not.
QString CodePageFault(const QString& field, const QString& text);
// A name Windows, where the game runs, cannot hold: a closing blank or dot, a device's name.
// A device name stays a device with any extension: "nul.txt" is NUL.
QString WindowsNameFault(const QString& name);
// All three, in that order, for the name of a new car folder; and none of the names an
// install keeps for itself.
QString FolderNameFault(const QString& name);

// True when Windows can hold the name of any entry: none of its reserved or control
// characters, no closing blank or dot, no device's name. Cheap, for every name a scan lists.
bool WindowsCanHold(QStringView name);

} // namespace modFolderNames
