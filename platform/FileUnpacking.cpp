#include "platform/FileSystemInternal.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace FileSystem {

namespace {

constexpr decltype(statfs::f_type) kFuseMagic = 0x65735546;

// Flushes each file and folder inside, going on past one that fails: the result is the first
// failure, or success when every one got to the disk.
Result FlushInside(int folder)
{
    const int listFd = ::dup(folder);
    DIR* dir = listFd < 0 ? nullptr : ::fdopendir(listFd);
    if (!dir) {
        const Result failed = Failed(errno);
        if (listFd >= 0)
            ::close(listFd);
        return failed;
    }
    Result all = Result::Success();
    const auto failed = [&all](const Result& failure) {
        if (all.ok && !failure.ok)
            all = failure;
    };
    while (const dirent* d = ::readdir(dir)) {
        const char* n = d->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        Fd inner(::openat(folder, n, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st;
        if (inner.get() < 0) {
            // A link is not ours to flush.
            if (errno != ELOOP)
                failed(Failed(errno));
        } else if (::fstat(inner.get(), &st) != 0) {
            failed(Failed(errno));
        } else if (S_ISDIR(st.st_mode)) {
            failed(FlushInside(inner.get()));
        } else if (S_ISREG(st.st_mode) && Disk::fsync(inner.get()) != 0) {
            failed(Failed(errno));
        }
    }
    ::closedir(dir);
    if (Disk::fsync(folder) != 0 && !CannotFlushFolder(errno))
        failed(Failed(errno));
    return all;
}

} // namespace

NewFile::~NewFile()
{
    if (mFd >= 0)
        ::close(mFd);
}

Result NewFile::create(const QString& path)
{
    mFd = ::open(Encode(path).constData(),
                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666);
    return mFd < 0 ? Failed(errno) : Result::Success();
}

Result NewFile::write(QByteArrayView bytes)
{
    return WriteAll(mFd, bytes);
}

Result NewFile::setModified(qint64 seconds)
{
    const timespec times[2] = {{0, UTIME_OMIT}, {time_t(seconds), 0}};
    return ::futimens(mFd, times) == 0 ? Result::Success() : Failed(errno);
}

Result NewFile::close()
{
    const int fd = mFd;
    mFd = -1;
    return ::close(fd) == 0 ? Result::Success() : Failed(errno);
}

Result FlushTree(const QString& folder)
{
    Fd top(::open(Encode(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (top.get() < 0)
        return Failed(errno);
    // One flush of the whole disk writes everything out together, as fast as the disk allows,
    // and reports a file that failed to get there. A flush of each file after it would make the
    // disk empty its cache once per file. A FUSE disk is flushed by its driver only when each
    // file is; a failed flush of the disk may be another file's, and each of ours says whether
    // it was its own.
    struct statfs disk;
    const bool fuse = ::fstatfs(top.get(), &disk) == 0 && disk.f_type == kFuseMagic;
    if (!fuse && ::syncfs(top.get()) == 0) {
        if (Disk::fsync(top.get()) != 0 && !CannotFlushFolder(errno))
            return Failed(errno);
        return Result::Success();
    }
    return FlushInside(top.get());
}

Result FlushFolder(const QString& folder)
{
    Fd opened(::open(Encode(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (opened.get() < 0)
        return Failed(errno);
    if (Disk::fsync(opened.get()) != 0 && !CannotFlushFolder(errno))
        return Failed(errno);
    return Result::Success();
}

} // namespace FileSystem
