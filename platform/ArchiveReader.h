#pragma once

#include "platform/EntrySource.h"

struct archive;

// An archive file of any format the system's archive library reads (zip, 7z, rar, tar and its
// compressions). Names come as UTF-8 where the format knows its text: zip names with the UTF-8
// mark, zip names without it (code page 437, as Windows' own zip tool writes them), 7z and
// rar names. Tar names come as the bytes stored.
class ArchiveReader : public EntrySource
{
public:
    explicit ArchiveReader(const QString& path);
    ~ArchiveReader() override;
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    Result open() override;
    Step next(Entry* entry, QString* reason) override;
    qint64 read(char* buffer, qint64 size, QString* reason) override;
    qint64 position() const override;
    qint64 size() const override { return mSize; }

private:
    void close();
    QString failure() const;

    QString mPath;
    archive* mArchive = nullptr;
    qint64 mSize = 0;
};
