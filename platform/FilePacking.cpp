#include "platform/FileSystemInternal.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileSystem {

FileReader::~FileReader()
{
    if (mFd >= 0)
        ::close(mFd);
}

Result FileReader::open(const QString& path)
{
    if (mFd >= 0)
        ::close(mFd);
    // Non-blocking, so that opening a FIFO does not wait for a writer; it is refused below.
    Fd fd(::open(Encode(path).constData(),
                 O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st;
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0)
        return Failed(errno == ELOOP ? QStringLiteral("it is a link") : Reason(errno));
    if (!S_ISREG(st.st_mode))
        return Failed(NotPlainReason(st.st_mode));
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    mSize = qint64(st.st_size);
    mModified = qint64(st.st_mtime);
    mFd = fd.release();
    return Result::Success();
}

ResultOf<qint64> FileReader::read(char* buffer, qint64 size)
{
    for (;;) {
        const ssize_t got = ::read(mFd, buffer, size_t(size));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return ResultOf<qint64>::Failure(Reason(errno));
        return ResultOf<qint64>::Success(qint64(got));
    }
}

PendingFile::~PendingFile()
{
    (void)discard();
    if (mFolder >= 0)
        ::close(mFolder);
}

Result PendingFile::create(const QString& path)
{
    const Split split = SplitPath(Encode(path));
    if (split.name.isEmpty() || split.name == "." || split.name == "..")
        return Failed(QStringLiteral("it is a folder"));
    mFolder = ::open(split.folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (mFolder < 0)
        return Failed(errno);
    mFolderPath = split.folder;
    mName = split.name;
    // A short name of fixed length, hidden from the file manager, that a player who finds one
    // left by a crash knows for Torvane's.
    for (int attempt = 0; mFd < 0; ++attempt) {
        mHidden = ".torvane-" +
                  QByteArray::number(QRandomGenerator::global()->generate() | 0x80000000u, 16) +
                  ".part";
        mFd = ::openat(mFolder, mHidden.constData(),
                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666);
        if (mFd < 0 && (errno != EEXIST || attempt == 100)) {
            mHidden.clear();
            return Failed(errno);
        }
    }
    return Result::Success();
}

Result PendingFile::write(QByteArrayView bytes)
{
    return WriteAll(mFd, bytes);
}

Result PendingFile::put(bool replace)
{
    if (Disk::fsync(mFd) != 0)
        return Failed(errno);
    const int closed = ::close(mFd);
    mFd = -1;
    if (closed != 0)
        return Failed(errno);
    const char* hidden = mHidden.constData();
    const char* name = mName.constData();
    if (replace) {
        if (Disk::renameat(mFolder, hidden, mFolder, name) != 0)
            return Failed(errno);
    } else if (Disk::renameat2(mFolder, hidden, mFolder, name, RENAME_NOREPLACE) != 0) {
        if (!FlagsUnknown(errno))
            return Failed(errno);
        // Only a rename of this program's own could take the name between the look and the
        // rename.
        struct stat st;
        if (::fstatat(mFolder, name, &st, AT_SYMLINK_NOFOLLOW) == 0)
            return Failed(EEXIST);
        if (Disk::renameat(mFolder, hidden, mFolder, name) != 0)
            return Failed(errno);
    }
    mHidden.clear();
    mPlaced = true;
    if (Disk::fsync(mFolder) != 0 && !CannotFlushFolder(errno))
        return Failed(errno);
    return Result::Success();
}

Result PendingFile::discard()
{
    if (mFd >= 0)
        ::close(mFd);
    mFd = -1;
    if (mHidden.isEmpty())
        return Result::Success();
    // Tried once: a disk that refuses leaves the file, and the caller says where it is.
    const bool removed = Disk::unlinkat(mFolder, mHidden.constData(), 0) == 0 || errno == ENOENT;
    const int error = errno;
    mHidden.clear();
    return removed ? Result::Success() : Failed(error);
}

QString PendingFile::hiddenPath() const
{
    return Decode(mFolderPath + '/' + mHidden);
}

} // namespace FileSystem
