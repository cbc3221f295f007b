#include "platform/desktop/DesktopLauncher.h"

#include "platform/FileSystem.h"

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
    if (QDesktopServices::openUrl(FolderUrl(folder)))
        return {true, {}};
    return {false, QStringLiteral("Could not open the folder %1 in the file manager.")
                       .arg(FileSystem::ForMessage(folder))};
}

QUrl DesktopLauncher::FolderUrl(const QString& folder)
{
    // Built from the folder's own bytes: a byte that is not UTF-8 travels as its %XX, which
    // the file manager turns back into that byte. QUrl::fromLocalFile would lose it.
    return QUrl::fromEncoded("file://" + FileSystem::Encode(folder).toPercentEncoding("/"),
                             QUrl::StrictMode);
}

Launcher::Result DesktopLauncher::openUrl(const QString& address)
{
    if (QDesktopServices::openUrl(QUrl(address)))
        return {true, {}};
    return {false, QStringLiteral("Could not open %1 in the web browser.").arg(address)};
}
