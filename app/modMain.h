#pragma once

#include "cars/cDir.h"

#include <QString>

#include <functional>
#include <memory>

class cSettings;
class cCarCollection;

namespace modMain {

// The program's folder: where the executable, torvane.ini and notfound.jpg lie.
QString AppPath();
// Test seam: an empty text returns to the executable's own folder.
void SetAppPath(const QString& folder);

// The program's one settings object, created on first use.
cSettings& gSettings();
// The cars listed in the main window's tree, created empty on first use.
cCarCollection& gCars();
// Drops the collection; the next use of gCars() finds a new, empty one. Records still held
// elsewhere (the selected car) stay alive.
void ReleaseCars();
// The folder list of the scan under way; empty outside a scan.
extern std::unique_ptr<cDirList> gCarDirs;

// Replaces every occurrence of find in text, left to right, never searching a replacement
// again; text is updated too. An empty find leaves the text as it is.
QString ReplaceAll(QString& text, const QString& find, const QString& replacement);

// What the entry routine needs from the windows, so that it runs without them in tests.
struct StartupWindows
{
    std::function<void()> showOptions; // the options dialog, modeless
    std::function<void()> showMain;    // a new main window, modeless
};

enum class Run { Aborted, FirstRun, Normal };

// The entry routine: loads the settings and opens the window this run calls for. Raises the
// settings' AppError if loading fails.
Run Main(const StartupWindows& windows);

} // namespace modMain
