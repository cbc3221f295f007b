#pragma once

#include "platform/FileSystem.h"

#include <sys/types.h>

struct archive;

// A zip written through the system's archive library, never by hand: folders and plain files,
// each named in UTF-8 (with the zip's UTF-8 mark on every name that is not ASCII, as the
// library sets it), deflated, with its modification time to the second. The bytes go into a
// pending file of the file layer, each write checked, so that the zip takes its place whole or
// not at all.
class ArchiveWriter
{
public:
    explicit ArchiveWriter(FileSystem::PendingFile& out);
    ~ArchiveWriter();
    ArchiveWriter(const ArchiveWriter&) = delete;
    ArchiveWriter& operator=(const ArchiveWriter&) = delete;

    Result open();
    // name: the entry's path in the zip, in UTF-8, '/' between names; modified: seconds since
    // 1970.
    Result addFolder(const QByteArray& name, qint64 modified);
    // A file of size bytes, which write() hands over in pieces, the first of them given here
    // too: a file whose first bytes do not shrink when deflated (a picture compressed already)
    // is stored as it is, which takes a seventh of the time.
    Result addFile(const QByteArray& name, qint64 size, qint64 modified, QByteArrayView first);
    Result write(QByteArrayView bytes);
    // Writes the zip's directory: the zip is whole once this has worked.
    Result close();

private:
    Result add(const QByteArray& name, bool folder, qint64 size, qint64 modified);
    // Why the library stopped: the file layer's reason when a write failed.
    Result failure() const;
    static ssize_t Sink(archive*, void* writer, const void* bytes, size_t size);

    FileSystem::PendingFile& mOut;
    archive* mArchive = nullptr;
    Result mWriteFailed = Result::Success();
    bool mClosed = false;
};
