#include "cars/modDisabledCars.h"

#include "cars/install/InstallFolders.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"

#include <memory>

namespace modDisabledCars {

namespace {

QString GameFolder(const QString& carsFolder)
{
    QString cars = carsFolder;
    while (cars.size() > 1 && cars.endsWith(FileSystem::Separator()))
        cars.chop(1);
    const qsizetype slash = cars.lastIndexOf(FileSystem::Separator());
    if (slash < 0)
        return QStringLiteral(".");
    return cars.left(qMax<qsizetype>(slash, 1));
}

QString Quoted(const QString& name)
{
    return QLatin1Char('\'') + FileSystem::Shown(name) + QLatin1Char('\'');
}

QString QuotedPath(const QString& path)
{
    return QLatin1Char('\'') + FileSystem::ForMessage(path) + QLatin1Char('\'');
}

// The system's reasons and the install's checks are written to follow a colon.
QString Sentence(QString reason)
{
    if (!reason.isEmpty())
        reason[0] = reason[0].toUpper();
    return reason + QLatin1Char('.');
}

// A name directly inside its folder that a car may have: an install's hidden folder is not a
// car, and is the install's alone to move.
Result CheckName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(FileSystem::Separator()))
        return Result::Failure(QStringLiteral("%1 is not a car folder's name.").arg(Quoted(name)));
    if (InstallFolders::IsUnpacking(name))
        return Result::Failure(
            QStringLiteral("%1 is a hidden folder of an install, not a car.").arg(Quoted(name)));
    return Result::Success();
}

// The car's own folder: a link of that name would move without what it points at.
Result CheckCar(const QString& folder, const QString& name, const QString& where)
{
    const FileSystem::Status status = FileSystem::StatusOf(FileNames::Join(folder, name));
    if (!status.exists)
        return Result::Failure(
            QStringLiteral("There is no car named %1 in %2.").arg(Quoted(name), where));
    if (status.link)
        return Result::Failure(
            QStringLiteral("%1 is a link, not a car's folder.").arg(Quoted(name)));
    if (!status.folder)
        return Result::Failure(
            QStringLiteral("%1 is a file, not a car's folder.").arg(Quoted(name)));
    return Result::Success();
}

// Whether a folder renamed on the disk of the cars folder keeps its files, tried on one of an
// install's hidden folders, which the list never shows and the next start removes if this one
// cannot: some FUSE drivers for FAT rename a folder without what is in it.
Result CheckMovesFolders(const QString& carsFolder)
{
    Result made;
    const std::unique_ptr<InstallFolders::Unpacking> probe =
        InstallFolders::Unpacking::Create(carsFolder, &made);
    if (!probe)
        return Result::Failure(
            QStringLiteral("Nothing can be written in the cars folder: %1.").arg(made.message));
    if (const Result moves = InstallFolders::MovesFolders(probe->path()); !moves.ok)
        return Result::Failure(Sentence(moves.message));
    // A disk that fails here would fail the move too: it is refused before.
    if (const Result removed = probe->remove(); !removed.ok)
        return Result::Failure(QStringLiteral("The hidden folder %1 could not be removed: %2. "
                                              "Torvane removes it when it next starts.")
                                   .arg(QuotedPath(probe->path()), removed.message));
    return Result::Success();
}

// One rename that never replaces, then the names it gave flushed, so that the move lasts.
Result Move(const QString& fromFolder, const QString& toFolder, const QString& name,
            const QString& taken)
{
    const QString to = FileNames::Join(toFolder, name);
    if (const Result moved = FileSystem::RenameNew(FileNames::Join(fromFolder, name), to);
        !moved.ok)
        return Result::Failure(
            FileSystem::StatusOf(to).exists
                ? taken
                : QStringLiteral("It could not be moved: %1.").arg(moved.message));
    Result flushed = FileSystem::FlushFolder(toFolder);
    if (flushed.ok)
        flushed = FileSystem::FlushFolder(fromFolder);
    if (!flushed.ok)
        return Result::Failure(
            QStringLiteral("It was moved, but the disk may not keep the move: %1.")
                .arg(flushed.message));
    return Result::Success();
}

Result LinkRefused(const QString& disabled)
{
    return Result::Failure(QStringLiteral("%1 is a link: Torvane follows no link out of the "
                                          "game folder, so no car is moved through it.")
                               .arg(QuotedPath(disabled)));
}

} // namespace

QString Folder(const QString& carsFolder)
{
    return FileNames::Resolve(GameFolder(carsFolder), kFolderName);
}

QString ExistingFolder(const QString& carsFolder)
{
    const FileNames::FolderListing game(GameFolder(carsFolder));
    if (game.isReadable() && !game.entry(kFolderName))
        return {};
    const QString path = game.path(kFolderName);
    const FileSystem::Status status = FileSystem::StatusOf(path);
    return status.folder && !status.link ? path : QString();
}

Result Disable(const QString& carsFolder, const QString& directoryName)
{
    if (const Result checked = CheckName(directoryName); !checked.ok)
        return checked;
    if (const Result checked =
            CheckCar(carsFolder, directoryName, QStringLiteral("the cars folder"));
        !checked.ok)
        return checked;
    const QString disabled = Folder(carsFolder);
    const FileSystem::Status status = FileSystem::StatusOf(disabled);
    if (status.link)
        return LinkRefused(disabled);
    if (status.exists && !status.folder)
        return Result::Failure(
            QStringLiteral("%1 is a file, not a folder: no car can be disabled into it.")
                .arg(QuotedPath(disabled)));
    // Two disabled cars the game would take for one could never both be enabled again.
    if (const QString taken = FileNames::FolderListing(disabled).find(directoryName);
        !taken.isEmpty())
        return Result::Failure(
            QStringLiteral("A disabled car named %1 is already there.").arg(Quoted(taken)));
    if (const Result moves = CheckMovesFolders(carsFolder); !moves.ok)
        return moves;
    if (!status.exists) {
        if (const Result made = FileSystem::CreateFolder(disabled); !made.ok)
            return Result::Failure(QStringLiteral("The folder %1 could not be made: %2.")
                                       .arg(QuotedPath(disabled), made.message));
    }
    const Result moved = Move(
        carsFolder, disabled, directoryName,
        QStringLiteral("A disabled car named %1 is already there.").arg(Quoted(directoryName)));
    if (moved.ok && !status.exists) {
        if (const Result flushed = FileSystem::FlushFolder(GameFolder(carsFolder)); !flushed.ok)
            return Result::Failure(
                QStringLiteral("It was moved, but the disk may not keep the move: %1.")
                    .arg(flushed.message));
    }
    return moved;
}

Result Enable(const QString& carsFolder, const QString& directoryName)
{
    if (const Result checked = CheckName(directoryName); !checked.ok)
        return checked;
    const QString disabled = Folder(carsFolder);
    if (FileSystem::StatusOf(disabled).link)
        return LinkRefused(disabled);
    if (const Result checked =
            CheckCar(disabled, directoryName, QStringLiteral("the folder of disabled cars"));
        !checked.ok)
        return checked;
    // The game would see only one of two such names, whatever the disk says of letter case.
    const FileNames::FolderListing cars(carsFolder);
    if (!cars.isReadable())
        return Result::Failure(QStringLiteral(
            "The cars folder cannot be listed, to see whether the name is taken there."));
    if (const QString taken = cars.find(directoryName); !taken.isEmpty())
        return Result::Failure(
            QStringLiteral("A car named %1 is already in the cars folder.").arg(Quoted(taken)));
    if (const Result moves = CheckMovesFolders(carsFolder); !moves.ok)
        return moves;
    return Move(
        disabled, carsFolder, directoryName,
        QStringLiteral("A car named %1 is already in the cars folder.").arg(Quoted(directoryName)));
}

} // namespace modDisabledCars
