#include "app/modGame.h"

#include "platform/FileNames.h"
#include "platform/FileSystem.h"

namespace modGame {

namespace {

QString WinePrefix(const QString& gameDir)
{
    // The real path: a game reached through the prefix's dosdevices/c: or through a link in
    // the home folder still lies in the prefix.
    QString below = FileSystem::RealPath(gameDir);
    while (below.size() > 1) {
        const qsizetype slash = below.lastIndexOf(QLatin1Char('/'));
        const QString above = slash > 0 ? below.left(slash) : QStringLiteral("/");
        const QString name = below.mid(slash + 1);
        // Most folders on the way are plainly not a drive_c; only those are listed.
        if (FileNames::NameKey(name) == QLatin1String("drive_c")) {
            const FileNames::FolderListing listing(above);
            if (listing.find(QStringLiteral("drive_c")) == name &&
                listing.hasPlainFile(QStringLiteral("system.reg")))
                return above;
        }
        below = above;
    }
    return {};
}

} // namespace

Launcher::Result RunGame(const QString& gameDir)
{
    if (!FileSystem::SetCurrentFolder(gameDir).success())
        return {false, QStringLiteral("Could not open the Drovak folder %1.")
                           .arg(FileSystem::ForMessage(gameDir))};
    const QString game = FileNames::Resolve(gameDir, QStringLiteral("drovak.exe"));
    if (!FileNames::IsPlainFile(game))
        return {false, QStringLiteral("Could not start %1:\n%2.")
                           .arg(FileSystem::ForMessage(game),
                                FileSystem::StatusOf(game).folder
                                    ? QStringLiteral("it is a folder")
                                    : QStringLiteral("the file does not exist"))};

    const QString prefix = WinePrefix(gameDir);
    // Without wine the prefix still goes with the game: a system that runs Windows programs
    // directly hands them to Wine, which reads it.
    const QStringList environment =
        prefix.isEmpty() ? QStringList{} : QStringList{QStringLiteral("WINEPREFIX=") + prefix};
    const QString wine = FileSystem::FindProgram(QStringLiteral("wine"));
    if (wine.isEmpty())
        return Launcher::StartProgram(game, {}, gameDir, environment);
    return Launcher::StartProgram(wine, {game}, gameDir, environment);
}

} // namespace modGame
