#include "platform/FileSystemInternal.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileSystem {

namespace {

// The folder's entries in the order of their names, so that a walk comes out the same on every
// disk.
ResultOf<QList<Entry>> Sorted(int folder)
{
    ResultOf<QList<Entry>> entries = ListOpen(folder);
    if (entries)
        std::sort(entries->begin(), entries->end(),
                  [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return entries;
}

Result ListBelow(int folder, const QString& prefix, QStringList& tree)
{
    const ResultOf<QList<Entry>> entries = Sorted(folder);
    if (!entries)
        return entries;
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

TreeEntry Walked(const QString& path, const struct stat& st)
{
    using Kind = TreeEntry::Kind;
    const Kind kind = S_ISDIR(st.st_mode)   ? Kind::Folder
                      : S_ISREG(st.st_mode) ? Kind::File
                      : S_ISLNK(st.st_mode) ? Kind::Link
                                            : Kind::Other;
    return {path, kind, kind == Kind::File ? qint64(st.st_size) : 0, qint64(st.st_mtime)};
}

Result WalkBelow(int folder, const QString& prefix, QList<TreeEntry>& tree)
{
    const ResultOf<QList<Entry>> entries = Sorted(folder);
    if (!entries)
        return entries;
    for (const Entry& entry : *entries) {
        const QByteArray name = Encode(entry.name);
        struct stat st;
        if (::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return Failed(errno);
        tree.append(Walked(prefix + entry.name, st));
        if (!S_ISDIR(st.st_mode))
            continue;
        const Fd inner(
            ::openat(folder, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (inner.get() < 0)
            return Failed(errno);
        if (const Result below = WalkBelow(inner.get(), tree.last().path + QLatin1Char('/'), tree);
            !below.ok)
            return below;
    }
    return Result::Success();
}

} // namespace

ResultOf<QList<TreeEntry>> Folder::Walk() const
{
    using Tree = ResultOf<QList<TreeEntry>>;
    struct stat st;
    if (mFd < 0)
        return Tree::Failure(Reason(mError));
    if (::lseek(mFd, 0, SEEK_SET) != 0 || ::fstat(mFd, &st) != 0)
        return Tree::Failure(Reason(errno));
    QList<TreeEntry> tree{Walked(QString(), st)};
    if (const Result walked = WalkBelow(mFd, QString(), tree); !walked.ok)
        return Tree::Failure(walked);
    return Tree::Success(std::move(tree));
}

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
