#pragma once

#include "platform/Launcher.h"

#include <QString>

// Starting the game: drovak.exe in the game folder, through Wine when Wine is at hand, and in
// the game's own Wine prefix when the game folder lies in one, so that the registry, saves and
// settings kept in that prefix are the game's.
namespace modGame {

// Makes the game folder the program's working folder (for the rest of the run) and starts
// drovak.exe, found in any letter case, there: through `wine` when a program of that name is
// on the search path, else directly. When the game folder lies in a Wine prefix (the nearest
// folder above it that holds system.reg and whose drive_c, in any letter case, holds the game
// folder, links followed) WINEPREFIX names that prefix. Nothing is remembered between starts.
// Nothing is started when the folder cannot be entered or holds no drovak.exe; the result
// names the folder or the missing file.
Launcher::Result RunGame(const QString& gameDir);

} // namespace modGame
