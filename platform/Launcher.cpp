#include "platform/Launcher.h"

#include "platform/FileSystem.h"

#include <QDir>

namespace Launcher {

namespace {

class PlainBackend : public Backend
{
public:
    Result startProgram(const QString& program, const QStringList& arguments,
                        const QString& workingFolder, const QStringList& environment) override
    {
        return StartDetached(program, arguments, workingFolder, environment);
    }
    Result openFolder(const QString& folder) override
    {
        return {false, QStringLiteral("There is no file manager to open %1 with.")
                           .arg(QDir::toNativeSeparators(folder))};
    }
    Result openUrl(const QString& address) override
    {
        return {false, QStringLiteral("There is no web browser to open %1 with.").arg(address)};
    }
};

PlainBackend gPlain;
Backend* gBackend = &gPlain;

} // namespace

Result StartDetached(const QString& program, const QStringList& arguments,
                     const QString& workingFolder, const QStringList& environment)
{
    if (program.isEmpty())
        return {false, QStringLiteral("No program was given to start.")};
    // The system's own start: the names reach the program as the bytes they are, and a
    // failure says why, which Qt's detached start does not.
    const Result started =
        FileSystem::StartDetached(program, arguments, workingFolder, environment);
    if (started.success())
        return started;
    return {false, QStringLiteral("Could not start %1:\n%2.")
                       .arg(FileSystem::ForMessage(program), started.message)};
}

Result StartProgram(const QString& program, const QStringList& arguments,
                    const QString& workingFolder, const QStringList& environment)
{
    return gBackend->startProgram(program, arguments, workingFolder, environment);
}

Result OpenFolder(const QString& folder)
{
    return gBackend->openFolder(folder);
}

Result OpenUrl(const QString& address)
{
    return gBackend->openUrl(address);
}

Backend* SetBackend(Backend* backend)
{
    Backend* previous = gBackend == &gPlain ? nullptr : gBackend;
    gBackend = backend ? backend : &gPlain;
    return previous;
}

} // namespace Launcher
