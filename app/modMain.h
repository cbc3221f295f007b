#pragma once

#include "platform/Result.h"

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

// Replaces every occurrence of find in text, left to right, never searching a replacement
// again; text is updated too. An empty find leaves the text as it is.
QString ReplaceAll(QString& text, const QString& find, const QString& replacement);

// The file operations below that fail give a message that names the file and the system's
// reason, in words for the user.

// A file's text, or why it could not be read.
struct TextRead
{
    Result result;
    QString text; // empty on failure
};

// The file's bytes as Windows-1252 text, without the last character when that ends a line
// (the LF of a final CR LF, or a final LF or CR); a file that ends otherwise is returned whole.
// A missing, unreadable or empty file is a failure.
TextRead ReadWholeFile(const QString& path);

// The rewrites below show their own failure (the message alone, titled "Torvane") and
// return false. Each replaces its file whole or not at all: a failure leaves it as it was.

// Replaces the file, even a read-only one, by the text followed by CR LF. A missing file is a
// failure: nothing is created.
[[nodiscard]] bool WriteWholeFile(const QString& path, const QString& text);

// Keep the car folder's parameters.txt in parameters.bak (checked to be whole before anything
// else happens), then rewrite parameters.txt line by line with every line written ending in CR LF:
// each line that starts, after leading spaces, with "Name" (or "Obtain") becomes the car's name
// line (or "Obtain", tab, "0"). carFolder may end with a separator.
[[nodiscard]] bool SetParamsName(const QString& carFolder, const QString& carName);
[[nodiscard]] bool SetParamsObtain(const QString& carFolder);

// Creates one folder level. A failure when anything of that name exists or the parent folder is
// missing.
Result CreateFolder(const QString& path);
// Copies every plain file directly inside sourceFolder (not its sub-folders, nor a link's
// target, only its contents) into targetFolder, replacing files of the same name. A failure
// when there is no file to copy or a copy fails; the files copied before stay.
Result CopyFiles(const QString& sourceFolder, const QString& targetFolder);

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
