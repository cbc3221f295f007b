#include "platform/FileSystemInternal.h"

#include <QDir>
#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <unistd.h>

namespace FileSystem {

namespace {

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

Result SetCurrentFolder(const QString& path)
{
    if (path.isEmpty())
        return Failed(ENOENT);
    if (::chdir(Encode(path).constData()) != 0)
        return Failed(errno);
    return Result::Success();
}

QString RealPath(const QString& path)
{
    return DecodedAndFreed(::realpath(Encode(path).constData(), nullptr));
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

QString CurrentFolder()
{
    return DecodedAndFreed(::getcwd(nullptr, 0));
}

QString HomeFolder()
{
    const char* home = ::getenv("HOME");
    return home && *home ? Decode(home) : QDir::homePath();
}

QString DownloadsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
}

QString TypedPath(const QString& typed)
{
    const QChar separator = Separator();
    QString path = typed;
    if (typed == QLatin1String("~") || typed.startsWith(QLatin1String("~/")))
        path = HomeFolder() + typed.mid(1);
    else if (!typed.startsWith(separator))
        path = CurrentFolder() + separator + typed;
    while (path.size() > 1 && path.endsWith(separator))
        path.chop(1);
    return path;
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
    // Without the table, no mounted file system is offered beside the root.
    const ResultOf<QByteArray> table = ReadPlainFile(QStringLiteral("/proc/self/mounts"));
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

} // namespace FileSystem
