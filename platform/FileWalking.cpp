#include "platform/FileSystemInternal.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace FileSystem {

namespace {

Result ListBelow(int folder, const QString& prefix, QStringList& tree)
{
    ResultOf<QList<Entry>> entries = ListOpen(folder);
    if (!entries)
        return entries;
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
                return Failed(errno);
            if (inner.get() >= 0) {
                if (const Result below = ListBelow(inner.get(), path + QLatin1Char('/'), tree);
                    !below.ok)
                    return below;
            }
        }
        tree.append(path);
    }
    return Result::Success();
}

} // namespace

ResultOf<QStringList> Folder::ListTree() const
{
    using Tree = ResultOf<QStringList>;
    if (mFd < 0)
        return Tree::Failure(Reason(mError));
    // From the start: a listing of the folder before this one has read it to its end.
    if (::lseek(mFd, 0, SEEK_SET) != 0)
        return Tree::Failure(Reason(errno));
    QStringList tree;
    if (const Result listed = ListBelow(mFd, QString(), tree); !listed.ok)
        return Tree::Failure(listed);
    return Tree::Success(std::move(tree));
}

} // namespace FileSystem
