#include "cars/InstallFolders.h"

#include "platform/FileNames.h"
#include "platform/FileSystem.h"

#include <QRandomGenerator>

namespace InstallFolders {

QString Create(const QString& carsFolder, Result* made)
{
    QString name;
    for (int attempt = 0; attempt < 100 && (attempt == 0 || !made->ok); ++attempt) {
        name = kPrefix + QString::number(QRandomGenerator::global()->generate() | 0x80000000u, 16);
        *made = FileSystem::CreateFolder(FileNames::Join(carsFolder, name));
    }
    return name;
}

Result MovesFolders(const QString& staging)
{
    const QString before = FileNames::Join(staging, QStringLiteral("before"));
    const QString after = FileNames::Join(staging, QStringLiteral("after"));
    FileSystem::NewFile probe;
    Result tried = FileSystem::CreateFolder(before);
    if (tried.ok)
        tried = probe.create(FileNames::Join(before, QStringLiteral("file")));
    if (tried.ok)
        tried = probe.close();
    if (tried.ok)
        tried = FileSystem::RenameNew(before, after);
    if (!tried.ok)
        return tried;
    // Listed, not looked up: the system's cache of names would still know the file.
    if (FileSystem::List(after).value_or(QList<FileSystem::Entry>()).isEmpty())
        return Result::Failure(QStringLiteral("the driver of the disk that holds the cars folder "
                                              "loses a folder's files when it renames the folder"));
    return FileSystem::RemoveTree(staging, QStringLiteral("after"));
}

} // namespace InstallFolders
