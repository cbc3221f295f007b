#pragma once

#include "platform/FileSystem.h"

#include <QList>
#include <QString>

// The game's platform ignores letter case in file names and Linux does not; car folders
// copied from Windows often hold Parameters.txt or CAR.BMP. Names inside the game folder
// are found here as the game would find them.
namespace FileNames {

using Entry = FileSystem::Entry;

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

    // The entry that the game would take for `name`: the exact name if it exists, else one of
    // the same name (see NameKey) that differs only in letter case, else any of the same name,
    // each the first in byte order; nullptr if none.
    const Entry* entry(const QString& name) const;
    // That entry's real name; empty if none.
    QString find(const QString& name) const;

    // The full path for `name`: the real entry's path, or folder + separator + name when
    // nothing matches (a file the program creates keeps the name it was given).
    QString path(const QString& name) const;

    // True when `name` resolves to a plain file.
    bool hasPlainFile(const QString& name) const;

private:
    QString mFolder;
    bool mReadable = false;
    QList<Entry> mEntries;
};

QString Join(const QString& folder, const QString& name);
// The folder part of a path: all before its last separator ("/" for a name in the root).
QString FolderOf(const QString& path);

// The key that two entry names of a folder share exactly when the game under Wine takes them
// for one name: letter case ignored (Unicode case folding), and a byte copied from Windows
// (carried, see FileSystem.h) read as its Windows-1252 character, so that "caf\xE9" and "café"
// in UTF-8 are one name. Quick for the plain ASCII names that nearly every name is.
QString NameKey(const QString& name);
bool SameName(const QString& a, const QString& b);
// Letter case alone ignored: a name carrying bytes stays apart from its UTF-8 spelling. The car
// list keeps both, as the game under Wine cannot open the one with bytes and Repair Names must
// reach it beside the other.
QString Folded(const QString& name);

// FolderListing(folder).path(name): the entry's own spelling, whatever the file system.
QString Resolve(const QString& folder, const QString& name);

// "A plain file": a regular file, or a link to one; a folder never is.
bool IsPlainFile(const QString& path);

// Anything at that path: a file, a folder, or a link (even a dangling one).
bool EntryExists(const QString& path);

} // namespace FileNames
