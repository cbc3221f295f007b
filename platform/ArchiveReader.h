#pragma once

#include "platform/EntrySource.h"

#include <atomic>
#include <future>

struct archive;

// An archive file of any format the system's archive library reads (zip, 7z, rar, tar and its
// compressions). Names come as UTF-8 where the format knows its text: zip names with the UTF-8
// mark, zip names without it (code page 437, as Windows' own zip tool writes them), 7z and
// rar names. Tar names come as the bytes stored. Only a plain file is opened, so that a FIFO of
// an archive's name cannot block; and the compressed stream is read and checked to its end
// before the last entry is reported, so a damaged download is refused, never unpacked wrong.
class ArchiveReader : public EntrySource
{
public:
    explicit ArchiveReader(const QString& path);
    ~ArchiveReader() override;
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    Result open() override;
    ResultOf<bool> next(Entry* entry) override;
    ResultOf<qint64> read(char* buffer, qint64 size) override;
    qint64 position() const override;
    qint64 size() const override { return mSize; }

private:
    void close();
    QString failure() const;
    void startCheck();

    QString mPath;
    archive* mArchive = nullptr;
    int mFd = -1;
    qint64 mSize = 0;
    // The archive library does not check a gzip stream's trailer: its check runs beside the
    // first reading, which is over only when the check is.
    std::future<QString> mCheck;
    std::atomic<bool> mStopCheck{false};
    bool mChecked = false;
};
