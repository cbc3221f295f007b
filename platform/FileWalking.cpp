#include "platform/FileSystemInternal.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace FileSystem {

namespace {

bool ListBelow(int folder, const QString& prefix, QStringList& tree, QString* reason)
{
    std::optional<QList<Entry>> entries = ListOpen(folder, reason);
    if (!entries)
        return false;
    std::sort(entries->begin(), entries->end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    for (const Entry& entry : *entries) {
        const QString path = prefix + entry.name;
        // A link to a folder counts as a folder in the listing; opened without following, it
        // is refused and listed as a name alone.
        if (entry.isDir) {
            const Fd inner(::openat(folder, Encode(entry.name).constData(),
                                    O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (inner.get() < 0 && errno != ELOOP && errno != ENOTDIR)
                return Fail(reason, errno);
            if (inner.get() >= 0 && !ListBelow(inner.get(), path + QLatin1Char('/'), tree, reason))
                return false;
        }
        tree.append(path);
    }
    return true;
}

} // namespace

std::optional<QStringList> Folder::ListTree(QString* reason) const
{
    if (mFd < 0) {
        Fail(reason, mError);
        return std::nullopt;
    }
    // From the start: a listing of the folder before this one has read it to its end.
    if (::lseek(mFd, 0, SEEK_SET) != 0) {
        Fail(reason, errno);
        return std::nullopt;
    }
    QStringList tree;
    if (!ListBelow(mFd, QString(), tree, reason))
        return std::nullopt;
    return tree;
}

} // namespace FileSystem
