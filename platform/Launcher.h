#pragma once

#include "platform/Result.h"

#include <QString>
#include <QStringList>

// The one way the program starts outside programs and opens folders and web pages. Nothing
// goes through a shell: a program gets its arguments as a list, so a folder name holding
// quotes or semicolons can never run anything. The windows install a backend that can open
// folders and web pages in the desktop's own programs; tests install a recorder.
namespace Launcher {

// Why a start failed names what could not be started.
using Result = ::Result;

class Backend
{
public:
    virtual ~Backend() = default;
    virtual Result startProgram(const QString& program, const QStringList& arguments,
                                const QString& workingFolder, const QStringList& environment) = 0;
    virtual Result openFolder(const QString& folder) = 0;
    virtual Result openUrl(const QString& address) = 0;
};

// Starts the program detached, without waiting for it. environment holds NAME=value entries
// added to (or replacing those of) the program's own environment.
Result StartProgram(const QString& program, const QStringList& arguments = {},
                    const QString& workingFolder = {}, const QStringList& environment = {});
Result OpenFolder(const QString& folder);
Result OpenUrl(const QString& address);

// Not owned; nullptr restores the plain backend, which starts programs itself but has no
// desktop to open folders or web pages with.
Backend* SetBackend(Backend* backend);

// The plain backend's program start, for backends that only add to it.
Result StartDetached(const QString& program, const QStringList& arguments,
                     const QString& workingFolder, const QStringList& environment);

} // namespace Launcher
