#include "platform/Launcher.h"

#include <QDir>
#include <QProcess>

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
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    if (!environment.isEmpty()) {
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        for (const QString& entry : environment) {
            const qsizetype equals = entry.indexOf(QLatin1Char('='));
            if (equals > 0)
                variables.insert(entry.left(equals), entry.mid(equals + 1));
        }
        process.setProcessEnvironment(variables);
    }
    if (process.startDetached())
        return {true, {}};
    return {false, QStringLiteral("Could not start %1:\n%2")
                       .arg(QDir::toNativeSeparators(program), process.errorString())};
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
