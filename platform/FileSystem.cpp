#include "platform/FileSystem.h"

#include "platform/Cp1252.h"

#include <QDir>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace FileSystem {

namespace {

constexpr char16_t kCarriedFirst = 0xDC80;
constexpr char16_t kCarriedLast = 0xDCFF;

bool IsCarried(char16_t c)
{
    return c >= kCarriedFirst && c <= kCarriedLast;
}

// The length of the valid UTF-8 sequence at s, or 0 when the byte there starts none.
// Overlong forms, surrogates and code points above U+10FFFF are not valid.
int SequenceLength(const uchar* s, qsizetype left, char32_t* code)
{
    const uchar c = s[0];
    int length = 0;
    char32_t value = 0;
    uchar low = 0x80, high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        value = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        value = c & 0x0F;
        if (c == 0xE0)
            low = 0xA0;
        if (c == 0xED)
            high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        value = c & 0x07;
        if (c == 0xF0)
            low = 0x90;
        if (c == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (left < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        const uchar b = s[i];
        if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF))
            return 0;
        value = (value << 6) | (b & 0x3F);
    }
    *code = value;
    return length;
}

void AppendUtf8(QByteArray& out, char32_t c)
{
    if (c < 0x800) {
        out.append(char(0xC0 | (c >> 6)));
    } else if (c < 0x10000) {
        out.append(char(0xE0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
    } else {
        out.append(char(0xF0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3F)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
    }
    out.append(char(0x80 | (c & 0x3F)));
}

bool Fail(QString* reason, int error)
{
    if (reason)
        *reason = Reason(error);
    return false;
}

bool Fail(QString* reason, const QString& text)
{
    if (reason)
        *reason = text;
    return false;
}

QString NotPlainReason(mode_t mode)
{
    return S_ISDIR(mode) ? QStringLiteral("it is a folder")
                         : QStringLiteral("it is not a plain file");
}

// Closes a descriptor when it goes out of scope.
class Fd
{
public:
    explicit Fd(int fd = -1) : mFd(fd) {}
    ~Fd()
    {
        if (mFd >= 0)
            ::close(mFd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return mFd; }
    int release()
    {
        const int fd = mFd;
        mFd = -1;
        return fd;
    }

private:
    int mFd;
};

// A path split into the folder that holds the entry and the entry's own name.
struct Split
{
    QByteArray folder;
    QByteArray name;
};

Split SplitPath(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return {QByteArray("."), path};
    return {slash == 0 ? QByteArray("/") : path.left(slash), path.mid(slash + 1)};
}

bool WriteAll(int fd, QByteArrayView bytes, int* error)
{
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            *error = errno;
            return false;
        }
        if (written == 0) {
            *error = ENOSPC;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

std::optional<QByteArray> ReadAll(int fd, qint64 sizeHint, QString* reason)
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
            Fail(reason, errno);
            return std::nullopt;
        }
        have += got;
        if (got == 0 || (size > 0 && have == size && got < room)) {
            bytes.truncate(have);
            return bytes;
        }
    }
}

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

// Removes everything inside the open folder; true when all of it went.
bool RemoveContents(int folder, QString* reason)
{
    struct stat self;
    if (::fstat(folder, &self) != 0)
        return Fail(reason, errno);
    // A forced delete takes read-only folders too: their entries can only go once they are
    // writable.
    if ((self.st_mode & (S_IWUSR | S_IXUSR)) != (S_IWUSR | S_IXUSR))
        ::fchmod(folder, self.st_mode | S_IWUSR | S_IXUSR);

    const int listFd = ::dup(folder);
    if (listFd < 0)
        return Fail(reason, errno);
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return Fail(reason, errno);
    }
    std::vector<QByteArray> names;
    while (const dirent* d = ::readdir(dir)) {
        const char* n = d->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        names.emplace_back(n);
    }
    ::closedir(dir);

    bool ok = true;
    for (const QByteArray& name : names) {
        struct stat st;
        if (::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            ok = Fail(reason, errno) && ok;
            continue;
        }
        if (!S_ISDIR(st.st_mode)) {
            if (::unlinkat(folder, name.constData(), 0) != 0)
                ok = Fail(reason, errno) && ok;
            continue;
        }
        if (IsMountRoot(folder, name.constData(), self.st_dev)) {
            ok = Fail(reason, QStringLiteral("%1 is a mount point of another file system, "
                                             "which is left alone")
                                  .arg(Shown(Decode(name))));
            continue;
        }
        Fd inner(
            ::openat(folder, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (inner.get() < 0) {
            ok = Fail(reason, errno) && ok;
            continue;
        }
        if (!RemoveContents(inner.get(), reason)) {
            ok = false;
            continue;
        }
        if (::unlinkat(folder, name.constData(), AT_REMOVEDIR) != 0)
            ok = Fail(reason, errno) && ok;
    }
    return ok;
}

// The program a name without a separator stands for on the search path, as a shell finds
// it; empty when there is none.
QByteArray SearchPath(const QByteArray& program)
{
    const char* path = ::getenv("PATH");
    for (const QByteArray& folder : QByteArray(path ? path : "/usr/bin:/bin").split(':')) {
        const QByteArray candidate = (folder.isEmpty() ? QByteArray(".") : folder) + '/' + program;
        struct stat st;
        if (::stat(candidate.constData(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(candidate.constData(), X_OK) == 0)
            return candidate;
    }
    return {};
}

// The program to start, looked up before anything is forked.
QByteArray ProgramPath(const QByteArray& program)
{
    if (program.contains('/'))
        return program;
    const QByteArray found = SearchPath(program);
    return found.isEmpty() ? program : found;
}

// A field of /proc/self/mounts, whose blanks, tabs, line breaks and backslashes stand as
// three octal digits after a backslash.
QByteArray Unescaped(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int value = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(char(value));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return out;
}

bool IsSystemMount(const QByteArray& root, const QByteArray& type)
{
    for (const char* folder : {"/proc", "/sys", "/dev", "/run", "/var/run", "/var/lock"}) {
        const QByteArray f(folder);
        if (root == f || root.startsWith(f + '/'))
            return true;
    }
    for (const char* kind : {"proc", "sysfs", "devpts", "devtmpfs", "cgroup", "cgroup2", "autofs",
                             "mqueue", "debugfs", "tracefs", "securityfs", "pstore", "bpf",
                             "fusectl", "configfs", "hugetlbfs", "binfmt_misc", "rootfs", "nsfs"}) {
        if (type == kind)
            return true;
    }
    return false;
}

} // namespace

QByteArray Encode(QStringView path)
{
    qsizetype ascii = 0;
    while (ascii < path.size() && path[ascii].unicode() < 0x80)
        ++ascii;
    if (ascii == path.size())
        return path.toLatin1();
    QByteArray out;
    out.reserve(path.size() + 8);
    out.append(path.first(ascii).toLatin1());
    for (qsizetype i = ascii; i < path.size(); ++i) {
        const char16_t c = path[i].unicode();
        if (c < 0x80) {
            out.append(char(c));
        } else if (IsCarried(c)) {
            out.append(char(c - 0xDC00));
        } else if (QChar::isHighSurrogate(c) && i + 1 < path.size() &&
                   path[i + 1].isLowSurrogate()) {
            AppendUtf8(out, QChar::surrogateToUcs4(c, path[i + 1].unicode()));
            ++i;
        } else if (QChar::isSurrogate(c)) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

QString Decode(QByteArrayView bytes)
{
    const auto* s = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n && s[i] < 0x80)
        ++i;
    if (i == n)
        return QString::fromLatin1(bytes.data(), n);

    QString out = QString::fromLatin1(bytes.data(), i);
    out.reserve(n);
    while (i < n) {
        if (s[i] < 0x80) {
            out.append(QChar(s[i++]));
            continue;
        }
        char32_t code = 0;
        const int length = SequenceLength(s + i, n - i, &code);
        if (length == 0) {
            out.append(QChar(char16_t(0xDC00 + s[i++])));
            continue;
        }
        if (code >= 0x10000) {
            out.append(QChar(QChar::highSurrogate(code)));
            out.append(QChar(QChar::lowSurrogate(code)));
        } else {
            out.append(QChar(char16_t(code)));
        }
        i += length;
    }
    return out;
}

bool IsUtf8(QByteArrayView bytes)
{
    const auto* s = reinterpret_cast<const uchar*>(bytes.data());
    char32_t code = 0;
    for (qsizetype i = 0; i < bytes.size();) {
        if (s[i] < 0x80) {
            ++i;
            continue;
        }
        const int length = SequenceLength(s + i, bytes.size() - i, &code);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

QString Shown(const QString& name)
{
    qsizetype i = 0;
    while (i < name.size() && !IsCarried(name[i].unicode()))
        ++i;
    if (i == name.size())
        return name;
    QString shown = name;
    for (; i < shown.size(); ++i) {
        const char16_t c = shown[i].unicode();
        if (IsCarried(c)) {
            const char byte = char(c - 0xDC00);
            shown[i] = Cp1252::ToUnicode(QByteArrayView(&byte, 1)).at(0);
        }
    }
    return shown;
}

QString ForMessage(const QString& path)
{
    return QDir::toNativeSeparators(Shown(path));
}

QString Reason(int error)
{
    char buffer[256];
    // The GNU form returns the text, which may or may not be the buffer.
    return QString::fromLocal8Bit(::strerror_r(error, buffer, sizeof buffer));
}

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
    status.link = S_ISLNK(st.st_mode);
    if (status.link && ::stat(p.constData(), &st) != 0)
        return status;
    status.folder = S_ISDIR(st.st_mode);
    status.plainFile = S_ISREG(st.st_mode);
    status.size = st.st_size;
    status.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return status;
}

namespace {

std::optional<QList<Entry>> ListOpen(int dirFd, QString* reason)
{
    QList<Entry> entries;
    alignas(dirent64) char buffer[32768];
    for (;;) {
        const ssize_t got = ::getdents64(dirFd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            Fail(reason, errno);
            return std::nullopt;
        }
        if (got == 0)
            return entries;
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

std::optional<QByteArray> ReadPlainFileAt(int dirFd, const QByteArray& name, QString* reason)
{
    if (name.isEmpty()) {
        Fail(reason, ENOENT);
        return std::nullopt;
    }
    // Non-blocking, so that opening a FIFO does not wait for a writer; it is refused below.
    Fd fd(::openat(dirFd, name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        Fail(reason, errno);
        return std::nullopt;
    }
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) {
        Fail(reason, errno);
        return std::nullopt;
    }
    if (!S_ISREG(st.st_mode)) {
        Fail(reason, NotPlainReason(st.st_mode));
        return std::nullopt;
    }
    return ReadAll(fd.get(), st.st_size, reason);
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

Folder::Folder(const QString& path) : mPath(path), mFd(OpenFolder(AT_FDCWD, path, &mError)) {}

Folder::Folder(const Folder& parent, const QString& name)
{
    mPath.reserve(parent.mPath.size() + 1 + name.size());
    mPath.append(parent.mPath).append(QLatin1Char('/')).append(name);
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

std::optional<QList<Entry>> Folder::List(QString* reason) const
{
    if (mFd < 0) {
        Fail(reason, mError);
        return std::nullopt;
    }
    return ListOpen(mFd, reason);
}

std::optional<QByteArray> Folder::ReadPlainFile(const QString& name, QString* reason) const
{
    if (mFd < 0) {
        Fail(reason, mError);
        return std::nullopt;
    }
    return ReadPlainFileAt(mFd, Encode(name), reason);
}

std::optional<QList<Entry>> List(const QString& folder, QString* reason)
{
    return Folder(folder).List(reason);
}

std::optional<QByteArray> ReadPlainFile(const QString& path, QString* reason)
{
    return ReadPlainFileAt(AT_FDCWD, Encode(path), reason);
}

namespace {

// The spelling that `name` has in the open folder. A file system that ignores letter case (FAT,
// exFAT) finds CARINFO.INI under carinfo.ini, and a rename to the asked spelling would rename
// the player's file; the entry that is there keeps its own name.
QByteArray SpellingIn(int folder, const QByteArray& name)
{
    Fd listing(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const std::optional<QList<Entry>> entries =
        listing.get() < 0 ? std::nullopt : ListOpen(listing.get(), nullptr);
    if (!entries)
        return name;
    const QString wanted = Decode(name);
    const Entry* other = nullptr;
    for (const Entry& entry : *entries) {
        if (entry.name == wanted)
            return name;
        if (!other && QString::compare(entry.name, wanted, Qt::CaseInsensitive) == 0)
            other = &entry;
    }
    return other ? Encode(other->name) : name;
}

// A file system that keeps no Unix permissions (FAT, exFAT, NTFS without its mapping) refuses
// to set them even on a file we just made, ours to change anywhere else.
bool KeepsNoPermissions(int error)
{
    return error == EPERM || error == ENOSYS || error == EOPNOTSUPP;
}

} // namespace

bool ReplaceFile(const QString& path, QByteArrayView bytes, QString* reason, Replace replace,
                 int permissions)
{
    const Split split = SplitPath(Encode(path));
    if (split.name.isEmpty() || split.name == "." || split.name == "..")
        return Fail(reason, QStringLiteral("it is a folder"));
    Fd folder(::open(split.folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0)
        return Fail(reason, errno);

    struct stat old;
    bool hadOld = ::fstatat(folder.get(), split.name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    const QByteArray spelled = hadOld ? SpellingIn(folder.get(), split.name) : split.name;
    const char* name = spelled.constData();
    if (spelled != split.name)
        hadOld = ::fstatat(folder.get(), name, &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (hadOld && !S_ISREG(old.st_mode) && !S_ISLNK(old.st_mode))
        return Fail(reason, NotPlainReason(old.st_mode));
    const bool keepOld = hadOld && S_ISREG(old.st_mode) && replace == Replace::Guarded;
    if (keepOld && ::faccessat(folder.get(), name, W_OK, AT_EACCESS) != 0)
        return Fail(reason, errno);
    if (permissions < 0 && keepOld)
        permissions = int(old.st_mode & 07777);

    // A short name of fixed length, so that a file whose own name is as long as the system
    // allows can be replaced too.
    QByteArray temporary;
    int created = -1;
    for (int attempt = 0; created < 0; ++attempt) {
        temporary = ".tv" +
                    QByteArray::number(QRandomGenerator::global()->generate() | 0x80000000u, 16) +
                    ".new";
        created = ::openat(folder.get(), temporary.constData(),
                           O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (created < 0 && (errno != EEXIST || attempt == 100))
            return Fail(reason, errno);
    }
    Fd out(created);

    int error = 0;
    const auto abandon = [&](int e) {
        ::close(out.release());
        ::unlinkat(folder.get(), temporary.constData(), 0);
        return Fail(reason, e);
    };
    if (!WriteAll(out.get(), bytes, &error))
        return abandon(error);
    // Permissions are kept where the file system keeps them; where it cannot, the data is what
    // matters.
    if (permissions >= 0 && ::fchmod(out.get(), mode_t(permissions)) != 0 &&
        !KeepsNoPermissions(errno))
        return abandon(errno);
    // Run by root, the replaced file still belongs to whoever it belonged to.
    if (keepOld && ::geteuid() == 0 && (old.st_uid != 0 || old.st_gid != 0))
        (void)!::fchown(out.get(), old.st_uid, old.st_gid);
    if (::fsync(out.get()) != 0)
        return abandon(errno);
    if (::close(out.release()) != 0) {
        error = errno;
        ::unlinkat(folder.get(), temporary.constData(), 0);
        return Fail(reason, error);
    }
    if (::renameat(folder.get(), temporary.constData(), folder.get(), name) != 0) {
        error = errno;
        ::unlinkat(folder.get(), temporary.constData(), 0);
        return Fail(reason, error);
    }
    // The new name is only lasting once the folder is on disk too. Some file systems cannot
    // flush a folder (FAT through FUSE answers EINVAL); the file is in place all the same.
    if (::fsync(folder.get()) != 0 && errno != EINVAL && errno != EROFS && errno != ENOSYS)
        return Fail(reason, errno);
    return true;
}

bool CopyFile(const QString& source, const QString& target, QString* reason)
{
    Fd in(::open(Encode(source).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (in.get() < 0)
        return Fail(reason, errno);
    struct stat st;
    if (::fstat(in.get(), &st) != 0)
        return Fail(reason, errno);
    if (!S_ISREG(st.st_mode))
        return Fail(reason, NotPlainReason(st.st_mode));
    const std::optional<QByteArray> bytes = ReadAll(in.get(), st.st_size, reason);
    return bytes && ReplaceFile(target, *bytes, reason, Replace::Guarded, int(st.st_mode & 07777));
}

FolderLock::FolderLock(const QString& path)
{
    mFd = ::open(SplitPath(Encode(path)).folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // Another instance holds it only while it saves; a wait of seconds means it is stuck.
    for (int attempt = 0; mFd >= 0 && attempt < 2000; ++attempt) {
        if (::flock(mFd, LOCK_EX | LOCK_NB) == 0 || (errno != EWOULDBLOCK && errno != EINTR))
            return;
        ::usleep(5000);
    }
    mGaveUp = mFd >= 0;
}

FolderLock::~FolderLock()
{
    if (mFd >= 0)
        ::close(mFd);
}

bool CreateFolder(const QString& path, QString* reason)
{
    if (::mkdir(Encode(path).constData(), 0777) != 0)
        return Fail(reason, errno);
    return true;
}

bool RemoveTree(const QString& folder, const QString& name, QString* reason)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')) || name.contains(QDir::separator()))
        return Fail(reason,
                    QStringLiteral("\"%1\" does not name one entry of a folder").arg(Shown(name)));
    Fd parent(::open(Encode(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parent.get() < 0)
        return Fail(reason, errno);
    const QByteArray entry = Encode(name);
    struct stat st;
    if (::fstatat(parent.get(), entry.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return Fail(reason, errno);
    if (S_ISLNK(st.st_mode)) {
        if (::unlinkat(parent.get(), entry.constData(), 0) != 0)
            return Fail(reason, errno);
        return true;
    }
    if (!S_ISDIR(st.st_mode))
        return Fail(reason, ENOTDIR);
    struct stat parentStatus;
    if (::fstat(parent.get(), &parentStatus) != 0)
        return Fail(reason, errno);
    if (IsMountRoot(parent.get(), entry.constData(), parentStatus.st_dev))
        return Fail(reason, QStringLiteral("it is a mount point of another file system"));
    Fd inner(
        ::openat(parent.get(), entry.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (inner.get() < 0)
        return Fail(reason, errno);
    if (!RemoveContents(inner.get(), reason))
        return false;
    if (::unlinkat(parent.get(), entry.constData(), AT_REMOVEDIR) != 0)
        return Fail(reason, errno);
    return true;
}

bool SetCurrentFolder(const QString& path, QString* reason)
{
    if (path.isEmpty())
        return Fail(reason, ENOENT);
    if (::chdir(Encode(path).constData()) != 0)
        return Fail(reason, errno);
    return true;
}

namespace {

// A path the system allocated for us, decoded and freed; empty when there is none.
QString DecodedAndFreed(char* path)
{
    if (!path)
        return {};
    const QString decoded = Decode(path);
    std::free(path);
    return decoded;
}

} // namespace

QString RealPath(const QString& path)
{
    return DecodedAndFreed(::realpath(Encode(path).constData(), nullptr));
}

QString CurrentFolder()
{
    return DecodedAndFreed(::getcwd(nullptr, 0));
}

QChar Separator()
{
    return QDir::separator();
}

QString NativeSeparators(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QStringList MountRoots()
{
    const std::optional<QByteArray> table = ReadPlainFile(QStringLiteral("/proc/self/mounts"));
    QStringList roots;
    for (const QByteArray& line : table.value_or(QByteArray()).split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 3)
            continue;
        const QByteArray root = Unescaped(fields[1]);
        if (IsSystemMount(root, fields[2]))
            continue;
        const QString decoded = Decode(root);
        if (StatusOf(decoded).folder && !roots.contains(decoded))
            roots.append(decoded);
    }
    return roots;
}

QString FindProgram(const QString& name)
{
    return Decode(SearchPath(Encode(name)));
}

QString ProgramFolder()
{
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || n == ssize_t(sizeof buffer))
        return {};
    const Split split = SplitPath(QByteArray(buffer, n));
    return Decode(split.folder);
}

bool StartDetached(const QString& program, const QStringList& arguments,
                   const QString& workingFolder, const QStringList& environmentAdditions,
                   QString* reason)
{
    if (program.isEmpty())
        return Fail(reason, ENOENT);

    // Everything the child needs is made here: after fork only plain system calls are safe.
    const QByteArray path = ProgramPath(Encode(program));
    std::vector<QByteArray> argumentBytes{Encode(program)};
    for (const QString& argument : arguments)
        argumentBytes.push_back(Encode(argument));
    std::vector<char*> argv;
    for (QByteArray& a : argumentBytes)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<QByteArray> environmentBytes;
    for (const QString& addition : environmentAdditions)
        environmentBytes.push_back(Encode(addition));
    std::vector<char*> envp;
    for (char** e = environ; e && *e; ++e) {
        const char* eq = std::strchr(*e, '=');
        const size_t nameLength = eq ? size_t(eq - *e) : std::strlen(*e);
        bool replaced = false;
        for (const QByteArray& addition : environmentBytes)
            replaced = replaced || (size_t(addition.indexOf('=')) == nameLength &&
                                    std::strncmp(addition.constData(), *e, nameLength) == 0);
        if (!replaced)
            envp.push_back(*e);
    }
    for (QByteArray& addition : environmentBytes)
        envp.push_back(addition.data());
    envp.push_back(nullptr);
    const QByteArray folder = Encode(workingFolder);

    // The started program must outlive us and never become our zombie: a child starts it
    // and ends at once. A failed exec reports its errno through a pipe that a successful one
    // closes.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return Fail(reason, errno);
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(report[0]);
        ::close(report[1]);
        return Fail(reason, error);
    }
    if (child == 0) {
        ::close(report[0]);
        const pid_t grandchild = ::fork();
        if (grandchild != 0) {
            if (grandchild < 0) {
                const int error = errno;
                (void)!::write(report[1], &error, sizeof error);
            }
            ::_exit(0);
        }
        ::setsid();
        if (!folder.isEmpty() && ::chdir(folder.constData()) != 0) {
            const int error = errno;
            (void)!::write(report[1], &error, sizeof error);
            ::_exit(127);
        }
        ::execve(path.constData(), argv.data(), envp.data());
        const int error = errno;
        (void)!::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    while ((got = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    if (got == ssize_t(sizeof error))
        return Fail(reason, error);
    return true;
}

} // namespace FileSystem
