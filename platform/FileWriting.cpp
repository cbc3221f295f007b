#include "platform/FileSystemInternal.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileSystem {

namespace {

// The spelling that `name` has in the open folder. A file system that ignores letter case (FAT,
// exFAT) finds CARINFO.INI under carinfo.ini, and a rename to the asked spelling would rename
// the player's file; the entry that is there keeps its own name.
QByteArray SpellingIn(int folder, const QByteArray& name)
{
    Fd listing(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // Unlisted, the name asked for is used: the write then fails, or not, on its own.
    if (listing.get() < 0)
        return name;
    const ResultOf<QList<Entry>> entries = ListOpen(listing.get());
    if (!entries)
        return name;
    const QString wanted = Decode(name);
    const Entry* other = nullptr;
    for (const Entry& entry : *entries) {
        if (entry.name == wanted)
            return name;
        if (!other && QString::compare(entry.name, wanted, Qt::CaseInsensitive) == 0)
            other = &entry;
    }
    return other ? Encode(other->name) : name;
}

// A file system that keeps no Unix permissions (FAT, exFAT, NTFS without its mapping) refuses
// to set them even on a file we just made, ours to change anywhere else.
bool KeepsNoPermissions(int error)
{
    return error == EPERM || error == ENOSYS || error == EOPNOTSUPP;
}

} // namespace

Result WriteAll(int fd, QByteArrayView bytes)
{
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = Disk::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return Failed(errno);
        }
        if (written == 0)
            return Failed(ENOSPC);
        data += written;
        left -= written;
    }
    return Result::Success();
}

Result ReplaceFile(const QString& path, QByteArrayView bytes, Replace replace, int permissions)
{
    const Split split = SplitPath(Encode(path));
    if (split.name.isEmpty() || split.name == "." || split.name == "..")
        return Failed(QStringLiteral("it is a folder"));
    Fd folder(::open(split.folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0)
        return Failed(errno);

    struct stat old;
    bool hadOld = ::fstatat(folder.get(), split.name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    const QByteArray spelled = hadOld ? SpellingIn(folder.get(), split.name) : split.name;
    const char* name = spelled.constData();
    if (spelled != split.name)
        hadOld = ::fstatat(folder.get(), name, &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (hadOld && !S_ISREG(old.st_mode) && !S_ISLNK(old.st_mode))
        return Failed(NotPlainReason(old.st_mode));
    const bool keepOld = hadOld && S_ISREG(old.st_mode) && replace == Replace::Guarded;
    if (keepOld && ::faccessat(folder.get(), name, W_OK, AT_EACCESS) != 0)
        return Failed(errno);
    if (permissions < 0 && keepOld)
        permissions = int(old.st_mode & 07777);

    // A short name of fixed length, so that a file whose own name is as long as the system
    // allows can be replaced too.
    QByteArray temporary;
    int created = -1;
    for (int attempt = 0; created < 0; ++attempt) {
        temporary = ".tv" +
                    QByteArray::number(QRandomGenerator::global()->generate() | 0x80000000u, 16) +
                    ".new";
        created = ::openat(folder.get(), temporary.constData(),
                           O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (created < 0 && (errno != EEXIST || attempt == 100))
            return Failed(errno);
    }
    Fd out(created);

    // The half-written new file goes; were that to fail, it is a hidden name beside the file,
    // and the failure that came first is the one to tell.
    const auto abandon = [&](const Result& failed) {
        ::close(out.release());
        (void)Disk::unlinkat(folder.get(), temporary.constData(), 0);
        return failed;
    };
    if (const Result written = WriteAll(out.get(), bytes); !written.ok)
        return abandon(written);
    // Permissions are kept where the file system keeps them; where it cannot, the data is what
    // matters.
    if (permissions >= 0 && ::fchmod(out.get(), mode_t(permissions)) != 0 &&
        !KeepsNoPermissions(errno))
        return abandon(Failed(errno));
    // Run by root, the replaced file still belongs to whoever it belonged to. A file system
    // that keeps no owners refuses, and the file's bytes are what the save is for.
    if (keepOld && ::geteuid() == 0 && (old.st_uid != 0 || old.st_gid != 0))
        (void)!::fchown(out.get(), old.st_uid, old.st_gid);
    if (Disk::fsync(out.get()) != 0)
        return abandon(Failed(errno));
    if (::close(out.release()) != 0 ||
        Disk::renameat(folder.get(), temporary.constData(), folder.get(), name) != 0) {
        const Result failed = Failed(errno);
        (void)Disk::unlinkat(folder.get(), temporary.constData(), 0);
        return failed;
    }
    // The new name is only lasting once the folder is on disk too. Some file systems cannot
    // flush a folder (FAT through FUSE answers EINVAL); the file is in place all the same.
    if (Disk::fsync(folder.get()) != 0 && !CannotFlushFolder(errno))
        return Failed(errno);
    return Result::Success();
}

Result CopyFile(const QString& source, const QString& target)
{
    Fd in(::open(Encode(source).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (in.get() < 0)
        return Failed(errno);
    struct stat st;
    if (::fstat(in.get(), &st) != 0)
        return Failed(errno);
    if (!S_ISREG(st.st_mode))
        return Failed(NotPlainReason(st.st_mode));
    const ResultOf<QByteArray> bytes = ReadAll(in.get(), st.st_size);
    if (!bytes)
        return bytes;
    return ReplaceFile(target, *bytes, Replace::Guarded, int(st.st_mode & 07777));
}

Result CreateFolder(const QString& path)
{
    if (::mkdir(Encode(path).constData(), 0777) != 0)
        return Failed(errno);
    return Result::Success();
}

} // namespace FileSystem
