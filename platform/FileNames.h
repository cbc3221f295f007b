#pragma once

#include "platform/FileSystem.h"

#include <QList>
#include <QString>

// The game's platform ignores letter case in file names and Linux does not; car folders
// copied from Windows often hold Parameters.txt or CAR.BMP. Names inside the game folder
// are found here as the game would find them.
namespace FileNames {

using Entry = FileSystem::Entry;

// The entries of one folder, "." and ".." left out, in the order the file system yields them.
// Empty, and readable set to false, when the folder cannot be listed.
QList<Entry> ListEntries(const QString& folder, bool* readable = nullptr);

// One folder's entries, listed once, so that several names can be looked up in it.
class FolderListing
{
public:
    FolderListing() = default;
    explicit FolderListing(const QString& folder);
    explicit FolderListing(const FileSystem::Folder& opened);

    const QString& folder() const { return mFolder; }
    bool isReadable() const { return mReadable; }
    const QList<Entry>& entries() const { return mEntries; }

    // The real name of the entry that the game would take for `name`: the exact name if it
    // exists, else one that equals it ignoring case (the first in byte order), else one that
    // the game's code page shows as that name ignoring case; empty if none.
    QString find(const QString& name) const;

    // The full path for `name`: the real entry's path, or folder + separator + name when
    // nothing matches (a file the program creates keeps the name it was given).
    QString path(const QString& name) const;

    // True when `name` resolves to a plain file.
    bool hasPlainFile(const QString& name) const;

private:
    const Entry* findEntry(const QString& name) const;

    QString mFolder;
    bool mReadable = false;
    QList<Entry> mEntries;
};

QString Join(const QString& folder, const QString& name);

// The form of a name under which names compare ignoring letter case (Unicode case folding),
// quick for the plain ASCII names that nearly every name is.
QString Folded(const QString& name);

// FolderListing(folder).path(name): the entry's own spelling, whatever the file system.
QString Resolve(const QString& folder, const QString& name);

// "A plain file": a regular file, or a link to one; a folder never is.
bool IsPlainFile(const QString& path);

// Anything at that path: a file, a folder, or a link (even a dangling one).
bool EntryExists(const QString& path);

} // namespace FileNames
