#pragma once

#include "TestWorld.h"
#include "platform/FileSystem.h"

#include <QProcess>
#include <QStringList>

#include <csignal>
#include <sys/resource.h>

// Faults made on purpose, as players meet them: a disk that fills up part way, a file system
// of another kind mounted in the way.

// A file system mounted by a shell command for one test and unmounted by another at its end;
// ok is false where mounting is not allowed. Empty commands mount nothing.
struct Mounted
{
    Mounted(const QString& mount, const QString& unmountBy)
        : ok(QProcess::execute("/bin/sh", {"-ec", mount}) == 0), unmount(unmountBy)
    {
    }
    ~Mounted() { QProcess::execute("/bin/sh", {"-c", unmount}); }
    const bool ok;
    const QString unmount;
};

// A disk of that kind ("exFAT" or "FAT") at the new folder root, mounted as a dual-boot player
// mounts the Windows data partition: through FUSE, for every user, owned by root, keeping no Unix
// permissions; the player reaches it through the test's folder.
inline Mounted SharedDisk(const QString& disk, const QString& root)
{
    return Mounted(
        QString("mkdir '%2'; chmod o+x '%2/..'; i='%2.img'; truncate -s 32M $i; "
                "o=allow_other,umask=000; if [ %1 = exFAT ]; then mkfs.exfat $i; "
                "l=$(losetup -f --show $i); mount.exfat-fuse -o $o $l '%2'; else mkfs.vfat $i; "
                "fusefat -o rw+,$o $i '%2'; fi")
            .arg(disk, root),
        QString("umount '%1'; for l in $(losetup -nO NAME -j '%1.img'); do losetup -d $l; done")
            .arg(root));
}

// While it lives, a write past `bytes` into any file fails part way (EFBIG), as on a full disk;
// the signal that would end the run is ignored.
struct FileSizeLimit
{
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old);
        const rlimit limit{bytes, old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
    rlimit old{};
};

// A folder's names with the bytes of each file: what "left as it was" compares.
inline QStringList Snapshot(const QString& folder)
{
    QStringList state;
    for (const FileSystem::Entry& entry :
         FileSystem::List(folder).value_or(QList<FileSystem::Entry>{}))
        state << FileSystem::Encode(entry.name).toHex() + ':' +
                     ReadFile(folder + '/' + entry.name).toHex();
    state.sort();
    return state;
}
