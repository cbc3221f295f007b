#pragma once

#include "platform/Result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The one place that knows the system's own file calls. Names are bytes to the system and
// need not be UTF-8: folders copied from Windows archives carry Windows-1252 bytes. Each byte
// that is not part of valid UTF-8 travels in a QString as U+DC80 + byte and goes back to the
// system as that byte, so every name the system holds can be reached and no two merge.
// Every function here is safe to call from several threads at once.
// A failed Result's message is the system's reason alone: the caller knows what it was doing
// and names the file in its own words.
namespace FileSystem {

QByteArray Encode(QStringView path);
QString Decode(QByteArrayView bytes);
// True when every byte is part of valid UTF-8, so that Decode carries none.
bool IsUtf8(QByteArrayView bytes);
// True when the name carries a byte: the system's name for it is not UTF-8.
bool CarriesBytes(QStringView name);
// A name as the player should see it: each carried byte shown as its Windows-1252 character.
QString Shown(const QString& name);
// A path for a message: the native separators and the carried bytes shown.
QString ForMessage(const QString& path);

// The system's words for an errno value ("No space left on device").
QString Reason(int error);

struct Status
{
    bool exists = false; // anything, a dangling link included
    bool link = false;
    bool folder = false;    // a folder, or a link to one
    bool plainFile = false; // a regular file, or a link to one
    qint64 size = -1;
    quint64 id = 0; // the entry's own number on its disk (a link's, not its target's)
};
Status StatusOf(const QString& path);

struct Entry
{
    QString name;
    bool isDir = false;  // a folder, or a link to one
    bool isFile = false; // a regular file, or a link to one
};
// The folder's entries without "." and "..", in the order the system yields them; a failure
// with the reason when the folder cannot be listed.
ResultOf<QList<Entry>> List(const QString& folder);

// The bytes of a plain file. A folder, FIFO or device of that name is refused without being
// opened for reading, so that nothing can block.
ResultOf<QByteArray> ReadPlainFile(const QString& path);

// An entry below a folder as a walk meets it, seen without following a link.
struct TreeEntry
{
    enum class Kind { Folder, File, Link, Other }; // Other: a FIFO, device or socket
    QString path; // from the folder, names joined by '/'; empty for the folder itself
    Kind kind = Kind::Other;
    qint64 size = 0;     // a file's bytes
    qint64 modified = 0; // seconds since 1970
};

// A folder held open, so that the names inside it are reached without the system walking the
// folder's whole path again for each: a scan reaches thousands of car folders.
class Folder
{
public:
    explicit Folder(const QString& path);
    // The folder `name` inside parent; a link to a folder is followed.
    Folder(const Folder& parent, const QString& name);
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    const QString& path() const { return mPath; }
    // As List and ReadPlainFile above, for the folder itself and for a name inside it.
    ResultOf<QList<Entry>> List() const;
    ResultOf<QByteArray> ReadPlainFile(const QString& name) const;
    // The entries below the folder at every depth, each as its path from the folder ("a/b"),
    // the entries of a folder, in name order, before the folder itself, so that renaming them
    // in this order never moves a path still to come. Links inside are listed and never
    // followed. A failure when a folder on the way cannot be listed.
    ResultOf<QStringList> ListTree() const;
    // The folder itself, then every entry below it, each folder before its own entries and
    // those in name order, all looked at in one walk. Links are named and never followed. A
    // failure when a folder on the way cannot be listed.
    ResultOf<QList<TreeEntry>> Walk() const;
    // When each entry named last changed, in seconds since 1970, a link's target for a link;
    // 0 for one that cannot be looked at. Shared out among threads when there are many.
    QList<qint64> ModifiedTimes(const QStringList& names) const;

private:
    QString mPath;
    int mFd = -1;
    int mError = 0; // why the folder could not be opened
};

enum class Replace {
    Guarded, // a file without write permission is refused, its permissions are kept
    Forced,  // as a forced delete and create: any file goes, the new one has the default ones
};
// Replaces the file whole or not at all: the bytes go to a new file beside it, every write,
// the flush to disk and the rename over the old name are checked, then the folder is flushed.
// On failure the old file is left as it was, the new one removed, and the message is the
// system's reason. A link of that name is replaced by a plain file: what it points at is never
// written.
Result ReplaceFile(const QString& path, QByteArrayView bytes, Replace replace = Replace::Guarded,
                   int permissions = -1);
// A plain file's bytes and permissions into target, replaced whole as above.
Result CopyFile(const QString& source, const QString& target);

// An advisory lock on the folder that holds path, kept while the object lives, so that two
// instances of the program that read, change and replace a file there take turns. Where the
// folder cannot be opened or its file system cannot lock, nothing is held: the save that
// follows goes on, and fails, or not, on its own. Only another holder that keeps the lock for
// seconds makes it give up.
class FolderLock
{
public:
    explicit FolderLock(const QString& path);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // A failure when another holder kept the lock for seconds.
    Result held() const;

private:
    int mFd = -1;
    bool mGaveUp = false;
};

// An exclusive lock on a folder, asked for without waiting and held while the object lives.
// The system lets it go when the process ends, however it ends: a folder whose lock is free is
// used by no running program.
class FolderHold
{
public:
    enum class State { Held, Busy, Failed };
    explicit FolderHold(const QString& folder);
    ~FolderHold();
    FolderHold(const FolderHold&) = delete;
    FolderHold& operator=(const FolderHold&) = delete;

    State state() const { return mState; }
    // Asks again while another holds it.
    State tryAgain();
    // Why it failed: the system's reason.
    const QString& reason() const { return mReason; }

private:
    int mFd = -1;
    State mState = State::Failed;
    QString mReason;
};

Result CreateFolder(const QString& path);

// Removes the folder `name` of folder with everything in it: a link (there or inside) is
// removed, never what it points at; a file of that name is refused; and a mount point inside is
// left alone and makes the removal fail. A name that is empty, "." or "..", or holds a separator is
// refused, so only one entry of folder can go.
Result RemoveTree(const QString& folder, const QString& name);

// Renames from to the new name `to` on the same file system in one step; an entry that is
// already there, in any letter case the file system ignores, is never replaced.
Result RenameNew(const QString& from, const QString& to);
// Swaps the names of two entries on the same file system in one step. A file system that
// cannot (the FUSE drivers of disks shared with Windows) changes nothing and says so.
enum class Exchange { Swapped, Unsupported };
ResultOf<Exchange> ExchangeNames(const QString& first, const QString& second);

// The desktop's trash that takes the entries of path's disk, as file managers keep it (the
// folder holding files/ and info/): the home trash ($XDG_DATA_HOME/Trash) for an entry on its
// disk, else the one at the top of the entry's disk (.Trash/UID where the administrator made
// .Trash, else .Trash-UID). Its folders are made when missing. Empty where that disk has none
// to be had (read-only, a link in the way, nothing can be made there): an entry is never
// copied to a trash on another disk.
QString TrashFor(const QString& path);
// Moves the entry at path into trash (TrashFor's, on the entry's disk) in one rename, under
// its own name or, where that is taken, NAME.2, NAME.3 and so on; what was there is never
// replaced. Its record, written before it, names originalPath as the place the file manager
// puts it back. A failure with nothing left at path is one of the last flush: the entry is in
// the trash, which may not be on disk yet.
Result MoveToTrash(const QString& path, const QString& originalPath, const QString& trash);

struct DiskSpace
{
    qint64 free = 0; // what an ordinary user may still write
    qint64 total = 0;
};
// The space of the folder's file system.
ResultOf<DiskSpace> SpaceOf(const QString& folder);

// A file made where nothing was, written piece by piece: what an install unpacks. The file
// stays where it is when the object goes; it is the caller's to remove.
class NewFile
{
public:
    NewFile() = default;
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // Fails when anything, a link included, has that name.
    Result create(const QString& path);
    Result write(QByteArrayView bytes);
    // When the file last changed, in seconds since 1970, as its source says.
    Result setModified(qint64 seconds);
    Result close();

private:
    int mFd = -1;
};

// A plain file read piece by piece, so that a file of hundreds of MB never sits in memory
// whole: what a pack reads.
class FileReader
{
public:
    FileReader() = default;
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // A link, folder, FIFO or device of that name is refused without being read, so that
    // nothing can block.
    Result open(const QString& path);
    // As the file was when it was opened.
    qint64 size() const { return mSize; }
    qint64 modified() const { return mModified; }
    // The next bytes into buffer, and how many: 0 at the end.
    ResultOf<qint64> read(char* buffer, qint64 size);

private:
    int mFd = -1;
    qint64 mSize = 0;
    qint64 mModified = 0;
};

// A new file that takes the place of path whole or not at all, written piece by piece: the
// bytes go to a hidden file beside it, made where nothing was, and put() flushes that, renames
// it to path and flushes the folder. Until put() has renamed it, discard() or the object going
// removes the hidden file, and whatever path holds stays as it was.
class PendingFile
{
public:
    PendingFile() = default;
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    Result create(const QString& path);
    Result write(QByteArrayView bytes);
    // An entry at path is replaced only when replace is set: else the rename never replaces.
    // A failure after the rename is the folder's flush: placed() tells.
    Result put(bool replace);
    bool placed() const { return mPlaced; }
    // Removes the hidden file; a failure when it is still there.
    Result discard();
    // The hidden file's path, for a message.
    QString hiddenPath() const;

private:
    int mFolder = -1;
    int mFd = -1;
    QByteArray mFolderPath;
    QByteArray mName;
    QByteArray mHidden; // empty once removed or renamed
    bool mPlaced = false;
};

// Puts a folder and everything in it on disk, and says so only when each file and folder got
// there. Links are not followed.
Result FlushTree(const QString& folder);
// Puts the folder's own entries on disk: the names a rename gave.
Result FlushFolder(const QString& folder);

Result SetCurrentFolder(const QString& path);

// The path with every link followed and no "." or ".." left, as the system names it; empty
// when nothing is there.
QString RealPath(const QString& path);

// The folder the running program was started from, as the system names it.
QString ProgramFolder();

// The process's current folder, as the system names it.
QString CurrentFolder();
// The user's home folder, and the folder the desktop saves downloads in (XDG_DOWNLOAD_DIR, else
// Downloads in the home folder), named whether or not it exists.
QString HomeFolder();
QString DownloadsFolder();
// A path the user typed, read as a shell reads it: "~" for the home folder, a relative path from
// the current folder; the separators at its end dropped.
QString TypedPath(const QString& typed);

// The separator the platform writes between folder names, and a path written with it, for a
// path shown to the user or stored; the names in it stay as they are.
QChar Separator();
QString NativeSeparators(const QString& path);

// The root folders of the mounted file systems that hold the user's files, each once; the
// system's own (/proc, /sys, /dev, /run) and a file mounted over another are left out.
QStringList MountRoots();

// The program that a name without a separator starts, from the search path; empty if none.
QString FindProgram(const QString& name);
// A plain file this user may run.
bool IsProgram(const QString& path);

// Starts program with its arguments as a list, never through a shell, in workingFolder (when
// given) with the current environment plus additions ("NAME=value"), and does not wait for it.
// A program without a separator is looked up on the search path.
Result StartDetached(const QString& program, const QStringList& arguments,
                     const QString& workingFolder, const QStringList& environmentAdditions);

} // namespace FileSystem
