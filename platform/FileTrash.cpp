#include "platform/FileSystemInternal.h"

#include <QDateTime>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

// The desktop's trash as file managers keep it: a folder holding files/, the entries, and
// info/, a NAME.trashinfo for each that says where it came from and when, so that the file
// manager can put it back.

namespace FileSystem {

namespace {

// A disk as a rename sees it: the same file system through the same mount. A folder mounted
// again elsewhere (a bind mount) has the same device, and a rename between the two fails all
// the same.
struct Mount
{
    dev_t device = 0;
    quint64 id = 0; // 0 where the system cannot tell
    bool root = false;

    bool sameAs(const Mount& other) const
    {
        return device == other.device && (id == 0 || other.id == 0 || id == other.id);
    }
};

std::optional<Mount> MountOf(const QByteArray& path, bool followLink)
{
    const int flags = followLink ? 0 : AT_SYMLINK_NOFOLLOW;
    struct statx stx;
    if (::statx(AT_FDCWD, path.constData(), flags, STATX_TYPE | STATX_MNT_ID, &stx) == 0) {
        Mount mount{makedev(stx.stx_dev_major, stx.stx_dev_minor), 0, false};
        if (stx.stx_mask & STATX_MNT_ID)
            mount.id = stx.stx_mnt_id;
        if (stx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT)
            mount.root = stx.stx_attributes & STATX_ATTR_MOUNT_ROOT;
        return mount;
    }
    struct stat st;
    if ((followLink ? ::stat(path.constData(), &st) : ::lstat(path.constData(), &st)) != 0)
        return std::nullopt;
    return Mount{st.st_dev, 0, false};
}

QByteArray Parent(const QByteArray& path)
{
    return SplitPath(path).folder;
}

// The home trash: $XDG_DATA_HOME/Trash, or ~/.local/share/Trash; empty without either.
QByteArray HomeTrash()
{
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    if (data.startsWith('/'))
        return data + "/Trash";
    const QByteArray home = qgetenv("HOME");
    return home.startsWith('/') ? home + "/.local/share/Trash" : QByteArray();
}

// The top folder of the mount that holds the folder; empty when it cannot be told.
QByteArray TopOf(const QByteArray& folder)
{
    QByteArray top = Encode(RealPath(Decode(folder)));
    const std::optional<Mount> mount = MountOf(top, false);
    if (top.isEmpty() || !mount)
        return {};
    for (std::optional<Mount> here = mount; top != "/" && here && !here->root;
         here = MountOf(top, false)) {
        const QByteArray parent = Parent(top);
        const std::optional<Mount> above = MountOf(parent, false);
        if (!above || !above->sameAs(*mount))
            break;
        top = parent;
    }
    return top;
}

// A folder of the trash, made with 0700 when missing: a real folder on that mount, writable.
// A link is taken only where the trash is the player's own (the home trash itself).
bool Usable(const QByteArray& folder, const Mount& mount, bool followLink)
{
    if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st;
    if ((followLink ? ::stat(folder.constData(), &st) : ::lstat(folder.constData(), &st)) != 0 ||
        !S_ISDIR(st.st_mode))
        return false;
    const std::optional<Mount> there = MountOf(folder, true);
    // A read-only disk answers EROFS, even to root.
    return there && there->sameAs(mount) && ::access(folder.constData(), W_OK) == 0;
}

bool UsableTrash(const QByteArray& trash, const Mount& mount, bool followLink)
{
    return Usable(trash, mount, followLink) && Usable(trash + "/files", mount, false) &&
           Usable(trash + "/info", mount, false);
}

// The folders of path that are missing, made with 0700, as a file manager makes the home trash.
void MakeParents(const QByteArray& path)
{
    const QByteArray parent = Parent(path);
    struct stat st;
    if (parent == path || ::stat(parent.constData(), &st) == 0)
        return;
    MakeParents(parent);
    ::mkdir(parent.constData(), 0700);
}

// The nearest of path and the folders above it that is there.
std::optional<Mount> NearestMount(QByteArray path)
{
    for (;;) {
        if (const std::optional<Mount> mount = MountOf(path, true))
            return mount;
        if (path == "/" || path.isEmpty())
            return std::nullopt;
        path = Parent(path);
    }
}

} // namespace

QString TrashFor(const QString& path)
{
    const QByteArray entry = Encode(path);
    const std::optional<Mount> mount = MountOf(entry, false);
    if (!mount)
        return {};
    // Of the player's own disk only the home trash: a disk that has it never gets another.
    if (const QByteArray home = HomeTrash(); !home.isEmpty()) {
        if (const std::optional<Mount> homeMount = NearestMount(home);
            homeMount && homeMount->sameAs(*mount)) {
            MakeParents(home);
            return UsableTrash(home, *mount, true) ? Decode(home) : QString();
        }
    }
    const QByteArray top = TopOf(Parent(entry));
    if (top.isEmpty())
        return {};
    const QByteArray base = top == "/" ? QByteArray() : top;
    const QByteArray uid = QByteArray::number(::getuid());
    // One for every user, made by the administrator: only a real folder with the sticky bit,
    // in which no one but its owner can take another user's trash away.
    const QByteArray shared = base + "/.Trash";
    struct stat st;
    if (::lstat(shared.constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        const QByteArray own = shared + '/' + uid;
        struct stat ownStatus;
        if (UsableTrash(own, *mount, false) && ::lstat(own.constData(), &ownStatus) == 0 &&
            ownStatus.st_uid == ::getuid())
            return Decode(own);
    }
    const QByteArray own = base + "/.Trash-" + uid;
    return UsableTrash(own, *mount, false) ? Decode(own) : QString();
}

Result MoveToTrash(const QString& path, const QString& originalPath, const QString& trash)
{
    const Split original = SplitPath(Encode(originalPath));
    const QByteArray folder = Encode(RealPath(Decode(original.folder)));
    if (folder.isEmpty())
        return Failed(ENOENT);
    QByteArray place = (folder == "/" ? QByteArray() : folder) + '/' + original.name;
    // The home trash names the absolute path, one at the top of a disk the path from there,
    // so that the disk can be mounted elsewhere.
    const QByteArray trashFolder = Encode(RealPath(trash));
    const QByteArray home = HomeTrash();
    if (home.isEmpty() || trashFolder != Encode(RealPath(Decode(home)))) {
        const QByteArray top = TopOf(trashFolder);
        if (top == "/")
            place = place.mid(1);
        else if (!top.isEmpty() && place.startsWith(top + '/'))
            place = place.mid(top.size() + 1);
    }
    const QByteArray record =
        "[Trash Info]\nPath=" + place.toPercentEncoding("/") + "\nDeletionDate=" +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1() +
        '\n';

    const QByteArray infoFolder = Encode(trash) + "/info";
    const QByteArray filesFolder = Encode(trash) + "/files";
    Fd info(::open(infoFolder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (info.get() < 0)
        return Failed(errno);
    // As file managers name a second entry of a name: NAME.2, NAME.3 and so on.
    for (int n = 1; n < 10000; ++n) {
        const QByteArray name =
            n == 1 ? original.name : original.name + '.' + QByteArray::number(n);
        const QByteArray infoName = name + ".trashinfo";
        Fd made(::openat(info.get(), infoName.constData(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (made.get() < 0 && errno == EEXIST)
            continue;
        if (made.get() < 0)
            return Failed(errno);
        const auto abandon = [&](const Result& failed) {
            ::close(made.release());
            (void)Disk::unlinkat(info.get(), infoName.constData(), 0);
            return failed;
        };
        // An entry left in files/ without its record keeps its name too.
        const QString target = Decode(filesFolder + '/' + name);
        if (StatusOf(target).exists) {
            abandon(Result::Success());
            continue;
        }
        Result step = WriteAll(made.get(), record);
        if (step.ok && Disk::fsync(made.get()) != 0)
            step = Failed(errno);
        if (step.ok && ::close(made.release()) != 0)
            step = Failed(errno);
        // The record is on disk before the entry is in the trash: never an entry without one.
        if (step.ok)
            step = FlushFolder(Decode(infoFolder));
        if (step.ok)
            step = RenameNew(path, target);
        if (!step.ok)
            return abandon(step);
        // The entry is in the trash now, whether the flush works or not.
        return FlushFolder(Decode(filesFolder));
    }
    return Failed(EEXIST);
}

} // namespace FileSystem
