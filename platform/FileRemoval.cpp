#include "platform/FileSystemInternal.h"

#include <QDir>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace FileSystem {

namespace {

bool IsMountRoot(int folder, const char* name, dev_t parentDevice)
{
    struct statx stx;
    if (::statx(folder, name, AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_MNT_ID, &stx) == 0) {
        if (stx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT)
            return stx.stx_attributes & STATX_ATTR_MOUNT_ROOT;
    }
    struct stat st;
    return ::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || st.st_dev != parentDevice;
}

// Removes everything inside the open folder, going on past an entry that cannot go: the
// result is the first failure, or success when all of it went.
Result RemoveContents(int folder)
{
    struct stat self;
    if (::fstat(folder, &self) != 0)
        return Failed(errno);
    // A forced delete takes read-only folders too: their entries can only go once they are
    // writable.
    if ((self.st_mode & (S_IWUSR | S_IXUSR)) != (S_IWUSR | S_IXUSR))
        ::fchmod(folder, self.st_mode | S_IWUSR | S_IXUSR);

    const int listFd = ::dup(folder);
    if (listFd < 0)
        return Failed(errno);
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return Failed(errno);
    }
    std::vector<QByteArray> names;
    while (const dirent* d = ::readdir(dir)) {
        const char* n = d->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        names.emplace_back(n);
    }
    ::closedir(dir);

    Result all = Result::Success();
    const auto failed = [&all](const Result& failure) {
        if (all.ok && !failure.ok)
            all = failure;
    };
    for (const QByteArray& name : names) {
        struct stat st;
        if (::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            failed(Failed(errno));
            continue;
        }
        if (!S_ISDIR(st.st_mode)) {
            if (Disk::unlinkat(folder, name.constData(), 0) != 0)
                failed(Failed(errno));
            continue;
        }
        if (IsMountRoot(folder, name.constData(), self.st_dev)) {
            failed(Failed(QStringLiteral("%1 is a mount point of another file system, which is "
                                         "left alone")
                              .arg(Shown(Decode(name)))));
            continue;
        }
        Fd inner(
            ::openat(folder, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (inner.get() < 0) {
            failed(Failed(errno));
            continue;
        }
        if (const Result inside = RemoveContents(inner.get()); !inside.ok) {
            failed(inside);
            continue;
        }
        if (Disk::unlinkat(folder, name.constData(), AT_REMOVEDIR) != 0)
            failed(Failed(errno));
    }
    return all;
}

} // namespace

Result RemoveTree(const QString& folder, const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')) || name.contains(QDir::separator()))
        return Failed(
            QStringLiteral("\"%1\" does not name one entry of a folder").arg(Shown(name)));
    Fd parent(::open(Encode(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parent.get() < 0)
        return Failed(errno);
    const QByteArray entry = Encode(name);
    struct stat st;
    if (::fstatat(parent.get(), entry.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return Failed(errno);
    if (S_ISLNK(st.st_mode)) {
        if (Disk::unlinkat(parent.get(), entry.constData(), 0) != 0)
            return Failed(errno);
        return Result::Success();
    }
    if (!S_ISDIR(st.st_mode))
        return Failed(ENOTDIR);
    struct stat parentStatus;
    if (::fstat(parent.get(), &parentStatus) != 0)
        return Failed(errno);
    if (IsMountRoot(parent.get(), entry.constData(), parentStatus.st_dev))
        return Failed(QStringLiteral("it is a mount point of another file system"));
    Fd inner(
        ::openat(parent.get(), entry.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (inner.get() < 0)
        return Failed(errno);
    if (const Result inside = RemoveContents(inner.get()); !inside.ok)
        return inside;
    if (Disk::unlinkat(parent.get(), entry.constData(), AT_REMOVEDIR) != 0)
        return Failed(errno);
    return Result::Success();
}

} // namespace FileSystem
