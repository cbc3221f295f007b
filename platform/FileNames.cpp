#include "platform/FileNames.h"

#include "platform/Cp1252.h"

#include <QDir>

namespace FileNames {

namespace {

QList<Entry> Taken(ResultOf<QList<Entry>> entries, bool* readable)
{
    if (readable)
        *readable = entries.ok;
    return std::move(entries.value);
}

} // namespace

FolderListing::FolderListing(const QString& folder)
    : mFolder(folder), mEntries(Taken(FileSystem::List(folder), &mReadable))
{
}

FolderListing::FolderListing(const FileSystem::Folder& opened)
    : mFolder(opened.path()), mEntries(Taken(opened.List(), &mReadable))
{
}

const Entry* FolderListing::entry(const QString& name) const
{
    // Several entries can be one name to the game: the closest spelling is taken, and among
    // equals the first in byte order, so that the pick does not depend on the listing's order.
    const Entry* match = nullptr;
    bool matchCaseOnly = false;
    for (const Entry& entry : mEntries) {
        if (entry.name == name)
            return &entry;
        const bool caseOnly = QString::compare(entry.name, name, Qt::CaseInsensitive) == 0;
        if (!caseOnly && !SameName(entry.name, name))
            continue;
        if (!match || (caseOnly && !matchCaseOnly) ||
            (caseOnly == matchCaseOnly &&
             FileSystem::Encode(entry.name) < FileSystem::Encode(match->name))) {
            match = &entry;
            matchCaseOnly = caseOnly;
        }
    }
    return match;
}

QString FolderListing::find(const QString& name) const
{
    const Entry* found = entry(name);
    return found ? found->name : QString();
}

QString FolderListing::path(const QString& name) const
{
    const Entry* found = entry(name);
    return Join(mFolder, found ? found->name : name);
}

bool FolderListing::hasPlainFile(const QString& name) const
{
    const Entry* found = entry(name);
    return found && found->isFile;
}

QString Folded(const QString& name)
{
    bool upper = false;
    for (const QChar c : name) {
        if (c.unicode() >= 0x80)
            return name.toCaseFolded();
        upper = upper || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
    }
    if (!upper)
        return name;
    QString folded = name;
    for (QChar& c : folded) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return folded;
}

QString NameKey(const QString& name)
{
    return Folded(FileSystem::Shown(name));
}

bool SameName(const QString& a, const QString& b)
{
    if (Cp1252::IsAscii(a) && Cp1252::IsAscii(b))
        return QString::compare(a, b, Qt::CaseInsensitive) == 0;
    return NameKey(a) == NameKey(b);
}

QString Join(const QString& folder, const QString& name)
{
    QString path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder).append(QDir::separator()).append(name);
    return path;
}

QString FolderOf(const QString& path)
{
    const qsizetype separator = path.lastIndexOf(QDir::separator());
    return separator <= 0 ? QString(QDir::separator()) : path.left(separator);
}

QString Resolve(const QString& folder, const QString& name)
{
    // Even when the exact name opens a file: on a file system that ignores letter case (FAT,
    // exFAT) it is another name for CARINFO.INI, and through FUSE each name keeps its own
    // cached size, so a file written under one and read under the other comes back cut short.
    return FolderListing(folder).path(name);
}

bool IsPlainFile(const QString& path)
{
    return FileSystem::StatusOf(path).plainFile;
}

bool EntryExists(const QString& path)
{
    return FileSystem::StatusOf(path).exists;
}

} // namespace FileNames
