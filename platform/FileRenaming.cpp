#include "platform/FileSystemInternal.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace FileSystem {

namespace {

// A FUSE disk (FAT, exFAT, NTFS) may know only the plain rename: it answers a rename with flags
// with one of these.
bool FlagsUnknown(int error)
{
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

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
    const int renamed =
        ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE);
    if (renamed == 0)
        return Result::Success();
    if (!FlagsUnknown(errno))
        return Failed(errno);
    // Only a rename of this program's own could take the name between the look and the rename.
    if (Exists(target))
        return Failed(EEXIST);
    if (::rename(source.constData(), target.constData()) != 0)
        return Failed(errno);
    return Result::Success();
}

Result ExchangeNames(const QString& first, const QString& second)
{
    const QByteArray a = Encode(first);
    const QByteArray b = Encode(second);
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_EXCHANGE) == 0)
        return Result::Success();
    if (!FlagsUnknown(errno))
        return Failed(errno);
    // Three renames through a hidden name beside the first; each step that fails undoes the
    // ones before it, so both entries keep one of the two names.
    const QByteArray aside = SplitPath(a).folder + "/.tv" +
                             QByteArray::number(QRandomGenerator::global()->generate(), 16) +
                             ".swap";
    if (::rename(a.constData(), aside.constData()) != 0)
        return Failed(errno);
    if (::rename(b.constData(), a.constData()) != 0) {
        const int error = errno;
        ::rename(aside.constData(), a.constData());
        return Failed(error);
    }
    if (::rename(aside.constData(), b.constData()) != 0) {
        const int error = errno;
        ::rename(a.constData(), b.constData());
        ::rename(aside.constData(), a.constData());
        return Failed(error);
    }
    return Result::Success();
}

std::optional<qint64> FreeBytes(const QString& folder, QString* reason)
{
    struct statvfs st;
    if (::statvfs(Encode(folder).constData(), &st) != 0) {
        Fail(reason, errno);
        return std::nullopt;
    }
    return qint64(st.f_bavail) * qint64(st.f_frsize);
}

} // namespace FileSystem
