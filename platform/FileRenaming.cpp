#include "platform/FileSystemInternal.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace FileSystem {

namespace {

bool Exists(const QByteArray& path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

} // namespace

Result RenameNew(const QString& from, const QString& to)
{
    const QByteArray source = Encode(from);
    const QByteArray target = Encode(to);
    const int renamed = Disk::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(),
                                        RENAME_NOREPLACE);
    if (renamed == 0)
        return Result::Success();
    if (!FlagsUnknown(errno))
        return Failed(errno);
    // Only a rename of this program's own could take the name between the look and the rename.
    if (Exists(target))
        return Failed(EEXIST);
    if (Disk::rename(source.constData(), target.constData()) != 0)
        return Failed(errno);
    return Result::Success();
}

ResultOf<Exchange> ExchangeNames(const QString& first, const QString& second)
{
    if (Disk::renameat2(AT_FDCWD, Encode(first).constData(), AT_FDCWD, Encode(second).constData(),
                        RENAME_EXCHANGE) == 0)
        return ResultOf<Exchange>::Success(Exchange::Swapped);
    if (FlagsUnknown(errno))
        return ResultOf<Exchange>::Success(Exchange::Unsupported);
    return ResultOf<Exchange>::Failure(Failed(errno));
}

ResultOf<DiskSpace> SpaceOf(const QString& folder)
{
    struct statvfs st;
    if (::statvfs(Encode(folder).constData(), &st) != 0)
        return ResultOf<DiskSpace>::Failure(Reason(errno));
    return ResultOf<DiskSpace>::Success(
        {qint64(st.f_bavail) * qint64(st.f_frsize), qint64(st.f_blocks) * qint64(st.f_frsize)});
}

} // namespace FileSystem
