#include "platform/FileNames.h"

#include "platform/Cp1252.h"

#include <QDir>

namespace FileNames {

namespace {

QList<Entry> Taken(std::optional<QList<Entry>> entries, bool* readable)
{
    if (readable)
        *readable = entries.has_value();
    return entries ? std::move(*entries) : QList<Entry>();
}

} // namespace

QList<Entry> ListEntries(const QString& folder, bool* readable)
{
    return Taken(FileSystem::List(folder), readable);
}

FolderListing::FolderListing(const QString& folder)
    : mFolder(folder), mEntries(ListEntries(folder, &mReadable))
{
}

FolderListing::FolderListing(const FileSystem::Folder& opened)
    : mFolder(opened.path()), mEntries(Taken(opened.List(), &mReadable))
{
}

const Entry* FolderListing::findEntry(const QString& name) const
{
    const Entry* match = nullptr;
    const auto better = [&match](const Entry& entry) {
        return !match || FileSystem::Encode(entry.name) < FileSystem::Encode(match->name);
    };
    for (const Entry& entry : mEntries) {
        if (entry.name == name)
            return &entry;
        if (QString::compare(entry.name, name, Qt::CaseInsensitive) == 0 && better(entry))
            match = &entry;
    }
    // A byte copied from Windows and the same character in UTF-8 are one name to the game.
    // Only a name beyond ASCII can be shown like another.
    if (match || Cp1252::IsAscii(name))
        return match;
    const QString shown = FileSystem::Shown(name);
    for (const Entry& entry : mEntries) {
        if (QString::compare(FileSystem::Shown(entry.name), shown, Qt::CaseInsensitive) == 0 &&
            better(entry))
            match = &entry;
    }
    return match;
}

QString FolderListing::find(const QString& name) const
{
    const Entry* entry = findEntry(name);
    return entry ? entry->name : QString();
}

QString FolderListing::path(const QString& name) const
{
    const Entry* entry = findEntry(name);
    return Join(mFolder, entry ? entry->name : name);
}

bool FolderListing::hasPlainFile(const QString& name) const
{
    const Entry* entry = findEntry(name);
    return entry && entry->isFile;
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

QString Join(const QString& folder, const QString& name)
{
    QString path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder).append(QDir::separator()).append(name);
    return path;
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
