#include "platform/DesktopLauncher.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

Launcher::Result DesktopLauncher::startProgram(const QString& program, const QStringList& arguments,
                                               const QString& workingFolder,
                                               const QStringList& environment)
{
    return Launcher::StartDetached(program, arguments, workingFolder, environment);
}

Launcher::Result DesktopLauncher::openFolder(const QString& folder)
{
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        return {true, {}};
    return {false, QStringLiteral("Could not open the folder %1 in the file manager.")
                       .arg(QDir::toNativeSeparators(folder))};
}

Launcher::Result DesktopLauncher::openUrl(const QString& address)
{
    if (QDesktopServices::openUrl(QUrl(address)))
        return {true, {}};
    return {false, QStringLiteral("Could not open %1 in the web browser.").arg(address)};
}
