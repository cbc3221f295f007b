#include "platform/FolderSource.h"

#include "platform/FileSystemInternal.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FolderSource::FolderSource(const QString& path) : mPath(FileSystem::Encode(path))
{
    while (mPath.size() > 1 && mPath.endsWith('/'))
        mPath.chop(1);
}

FolderSource::~FolderSource()
{
    close();
}

void FolderSource::close()
{
    for (const Level& level : mLevels)
        ::closedir(level.dir);
    mLevels.clear();
    if (mFile >= 0)
        ::close(mFile);
    mFile = -1;
}

Result FolderSource::open()
{
    close();
    mRootGiven = false;
    mPosition = 0;
    mCounted = 0;
    const int fd = ::open(mPath.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return FileSystem::Failed(errno);
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        const int error = errno;
        ::close(fd);
        return FileSystem::Failed(error);
    }
    mLevels.push_back({dir, FileSystem::SplitPath(mPath).name + '/'});
    return Result::Success();
}

ResultOf<bool> FolderSource::next(Entry* entry)
{
    if (mFile >= 0)
        ::close(mFile);
    mFile = -1;
    *entry = Entry();
    if (!mRootGiven && !mLevels.empty()) {
        mRootGiven = true;
        entry->name = mLevels.front().prefix;
        entry->kind = Kind::Folder;
        return ResultOf<bool>::Success(true);
    }
    const auto failed = [] { return ResultOf<bool>::Failure(FileSystem::Reason(errno)); };
    while (!mLevels.empty()) {
        Level& level = mLevels.back();
        errno = 0;
        const dirent* d = ::readdir(level.dir);
        if (!d) {
            if (errno != 0)
                return failed();
            ::closedir(level.dir);
            mLevels.pop_back();
            continue;
        }
        const char* n = d->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        const int folder = ::dirfd(level.dir);
        entry->name = level.prefix + n;
        struct stat st;
        if (::fstatat(folder, n, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return failed();
        if (S_ISLNK(st.st_mode)) {
            entry->kind = Kind::Link;
            char target[4096];
            const ssize_t length = ::readlinkat(folder, n, target, sizeof target);
            entry->target = QByteArray(target, length > 0 ? qsizetype(length) : 0);
        } else if (S_ISREG(st.st_mode)) {
            entry->kind = Kind::File;
            entry->size = st.st_size;
            entry->modified = qint64(st.st_mtime);
            mCounted += st.st_size;
            mFile = ::openat(folder, n, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            if (mFile < 0)
                return failed();
        } else if (S_ISDIR(st.st_mode)) {
            entry->kind = Kind::Folder;
            const int inner = ::openat(folder, n, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            DIR* dir = inner < 0 ? nullptr : ::fdopendir(inner);
            if (!dir) {
                const ResultOf<bool> failure = failed();
                if (inner >= 0)
                    ::close(inner);
                return failure;
            }
            mLevels.push_back({dir, entry->name + '/'});
        } else {
            entry->kind = Kind::Other;
        }
        return ResultOf<bool>::Success(true);
    }
    mSize = mCounted;
    return ResultOf<bool>::Success(false);
}

ResultOf<qint64> FolderSource::read(char* buffer, qint64 size)
{
    for (;;) {
        const ssize_t got = ::read(mFile, buffer, size_t(size));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return ResultOf<qint64>::Failure(FileSystem::Reason(errno));
        mPosition += got;
        return ResultOf<qint64>::Success(got);
    }
}
