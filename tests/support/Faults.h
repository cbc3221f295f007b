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

// While it lives, a write past `bytes` into any file fails part way (EFBIG), as on a full disk;
// the signal that would end the run is ignored.
struct FileSizeLimit
{
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
    const rlimit old = [] {
        rlimit now{};
        getrlimit(RLIMIT_FSIZE, &now);
        return now;
    }();
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
