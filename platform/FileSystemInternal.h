#pragma once

// For the platform files that implement FileSystem only; callers include FileSystem.h. What
// several of those files share: the descriptor closer, the failure texts, the path split and
// the two reads that the writing side needs too.

#include "platform/FileSystem.h"

#include <cerrno>
#include <sys/types.h>
#include <unistd.h>

namespace FileSystem {

Result Failed(int error);
Result Failed(const QString& text);

QString NotPlainReason(mode_t mode);

// Closes a descriptor when it goes out of scope.
class Fd
{
public:
    explicit Fd(int fd = -1) : mFd(fd) {}
    ~Fd()
    {
        if (mFd >= 0)
            ::close(mFd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return mFd; }
    int release()
    {
        const int fd = mFd;
        mFd = -1;
        return fd;
    }

private:
    int mFd;
};

// A path split into the folder that holds the entry and the entry's own name.
struct Split
{
    QByteArray folder;
    QByteArray name;
};

inline Split SplitPath(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return {QByteArray("."), path};
    return {slash == 0 ? QByteArray("/") : path.left(slash), path.mid(slash + 1)};
}

// A file system that cannot flush a folder (FAT through FUSE answers EINVAL) still has the
// entries in place: that error is no failure.
inline bool CannotFlushFolder(int error)
{
    return error == EINVAL || error == EROFS || error == ENOSYS;
}

// A FUSE disk (FAT, exFAT, NTFS) may know only the plain rename: it answers a rename with flags
// with one of these.
inline bool FlagsUnknown(int error)
{
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

// Writes all of bytes; false with the system's error when it cannot (ENOSPC when the system
// takes no more without saying why).
Result WriteAll(int fd, QByteArrayView bytes);

ResultOf<QByteArray> ReadAll(int fd, qint64 sizeHint);

ResultOf<QList<Entry>> ListOpen(int dirFd);

// The system's calls that change a disk, each as the system has it, through the seam where
// tests make one fail (FileFaults.h).
namespace Disk {
int fsync(int fd);
int rename(const char* from, const char* to);
int renameat(int fromFolder, const char* from, int toFolder, const char* to);
int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned flags);
ssize_t write(int fd, const void* bytes, size_t size);
int unlinkat(int folder, const char* name, int flags);
} // namespace Disk

} // namespace FileSystem
