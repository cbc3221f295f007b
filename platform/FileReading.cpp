#include "platform/FileSystemInternal.h"

#include "platform/FileNames.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace FileSystem {

Status StatusOf(const QString& path)
{
    Status status;
    if (path.isEmpty())
        return status;
    const QByteArray p = Encode(path);
    struct stat st;
    if (::lstat(p.constData(), &st) != 0)
        return status;
    status.exists = true;
    status.id = st.st_ino;
    status.link = S_ISLNK(st.st_mode);
    if (status.link && ::stat(p.constData(), &st) != 0)
        return status;
    status.folder = S_ISDIR(st.st_mode);
    status.plainFile = S_ISREG(st.st_mode);
    status.size = st.st_size;
    return status;
}

ResultOf<QByteArray> ReadAll(int fd, qint64 sizeHint)
{
    // Room for one byte more than the size the file had: a read that gives exactly that size
    // and stops short has met the end, so a small file takes one read, not two.
    const qsizetype size = qsizetype(qMax<qint64>(sizeHint, 0));
    QByteArray bytes(size + 1, Qt::Uninitialized);
    qsizetype have = 0;
    for (;;) {
        if (have == bytes.size())
            bytes.resize(have + qMax<qsizetype>(have, 65536));
        const qsizetype room = bytes.size() - have;
        const ssize_t got = ::read(fd, bytes.data() + have, size_t(room));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return ResultOf<QByteArray>::Failure(Reason(errno));
        }
        have += got;
        if (got == 0 || (size > 0 && have == size && got < room)) {
            bytes.truncate(have);
            return ResultOf<QByteArray>::Success(std::move(bytes));
        }
    }
}

ResultOf<QList<Entry>> ListOpen(int dirFd)
{
    QList<Entry> entries;
    alignas(dirent64) char buffer[32768];
    for (;;) {
        const ssize_t got = ::getdents64(dirFd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return ResultOf<QList<Entry>>::Failure(Reason(errno));
        if (got == 0)
            return ResultOf<QList<Entry>>::Success(std::move(entries));
        if (entries.isEmpty()) {
            qsizetype count = 0;
            for (ssize_t at = 0; at < got; ++count)
                at += reinterpret_cast<const dirent64*>(buffer + at)->d_reclen;
            entries.reserve(count);
        }
        for (ssize_t at = 0; at < got;) {
            const auto* d = reinterpret_cast<const dirent64*>(buffer + at);
            at += d->d_reclen;
            const char* n = d->d_name;
            if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
                continue;
            Entry entry{Decode(n)};
            // The entry types come with the names: only links need a second look.
            if (d->d_type == DT_DIR) {
                entry.isDir = true;
            } else if (d->d_type == DT_REG) {
                entry.isFile = true;
            } else if (d->d_type == DT_LNK || d->d_type == DT_UNKNOWN) {
                struct stat st;
                if (::fstatat(dirFd, n, &st, 0) == 0) {
                    entry.isDir = S_ISDIR(st.st_mode);
                    entry.isFile = S_ISREG(st.st_mode);
                }
            }
            entries.append(std::move(entry));
        }
    }
}

namespace {

ResultOf<QByteArray> ReadPlainFileAt(int dirFd, const QByteArray& name)
{
    using Read = ResultOf<QByteArray>;
    if (name.isEmpty())
        return Read::Failure(Reason(ENOENT));
    // Non-blocking, so that opening a FIFO does not wait for a writer; it is refused below.
    Fd fd(::openat(dirFd, name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st;
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0)
        return Read::Failure(Reason(errno));
    if (!S_ISREG(st.st_mode))
        return Read::Failure(NotPlainReason(st.st_mode));
    return ReadAll(fd.get(), st.st_size);
}

int OpenFolder(int dirFd, const QString& name, int* error)
{
    // The system's own call rather than opendir, which costs a status call and a large
    // allocation per folder: a scan lists thousands of small folders.
    const int fd = ::openat(dirFd, Encode(name).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    *error = fd < 0 ? errno : 0;
    return fd;
}

} // namespace

Folder::Folder(const QString& path) : mPath(path)
{
    // Opened here, not in the initializers: mError, declared after mFd, would take its own
    // initial 0 after mFd's had set it, and every reason would be "Success".
    mFd = OpenFolder(AT_FDCWD, path, &mError);
}

Folder::Folder(const Folder& parent, const QString& name)
{
    mPath = FileNames::Join(parent.mPath, name);
    if (parent.mFd < 0)
        mError = parent.mError;
    else
        mFd = OpenFolder(parent.mFd, name, &mError);
}

Folder::~Folder()
{
    if (mFd >= 0)
        ::close(mFd);
}

QList<qint64> Folder::ModifiedTimes(const QStringList& names) const
{
    QList<qint64> times(names.size(), 0);
    if (mFd < 0)
        return times;
    qint64* const out = times.data(); // made unshared here, written by one thread per place
    const auto look = [&](qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to; ++i) {
            struct stat status;
            if (::fstatat(mFd, Encode(names.at(i)).constData(), &status, 0) == 0)
                out[i] = qint64(status.st_mtime);
        }
    };
    // Each look is a path lookup in the system: tens of thousands take a core a good part of
    // a tenth of a second.
    constexpr qsizetype kPerThread = 2048;
    const qsizetype threads = std::min<qsizetype>(4, (names.size() + kPerThread - 1) / kPerThread);
    std::vector<std::thread> helpers;
    const qsizetype share = threads > 1 ? (names.size() + threads - 1) / threads : names.size();
    try {
        for (qsizetype t = 1; t < threads; ++t)
            helpers.emplace_back(look, t * share, std::min(names.size(), (t + 1) * share));
    } catch (const std::system_error&) {
        // This thread looks at what no helper started for.
        look(share * qsizetype(helpers.size() + 1), names.size());
    }
    look(0, std::min(names.size(), share));
    for (std::thread& helper : helpers)
        helper.join();
    return times;
}

ResultOf<QList<Entry>> Folder::List() const
{
    if (mFd < 0)
        return ResultOf<QList<Entry>>::Failure(Reason(mError));
    return ListOpen(mFd);
}

ResultOf<QByteArray> Folder::ReadPlainFile(const QString& name) const
{
    if (mFd < 0)
        return ResultOf<QByteArray>::Failure(Reason(mError));
    return ReadPlainFileAt(mFd, Encode(name));
}

ResultOf<QList<Entry>> List(const QString& folder)
{
    return Folder(folder).List();
}

ResultOf<QByteArray> ReadPlainFile(const QString& path)
{
    return ReadPlainFileAt(AT_FDCWD, Encode(path));
}

} // namespace FileSystem
