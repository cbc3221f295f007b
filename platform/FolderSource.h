#pragma once

#include "platform/EntrySource.h"

#include <vector>

struct __dirstream;

// A folder on disk read as an archive would be: the folder itself first, named by its own
// name, then everything inside it. Links are given as links and never followed.
class FolderSource : public EntrySource
{
public:
    explicit FolderSource(const QString& path);
    ~FolderSource() override;
    FolderSource(const FolderSource&) = delete;
    FolderSource& operator=(const FolderSource&) = delete;

    Result open() override;
    ResultOf<bool> next(Entry* entry) override;
    ResultOf<qint64> read(char* buffer, qint64 size) override;
    qint64 position() const override { return mPosition; }
    // The sum of its files' sizes, once a first reading has met them all.
    qint64 size() const override { return mSize; }

private:
    struct Level
    {
        __dirstream* dir;
        QByteArray prefix; // the path of the folder inside the source, with a closing '/'
    };
    void close();

    QByteArray mPath;
    std::vector<Level> mLevels;
    bool mRootGiven = false;
    int mFile = -1;
    qint64 mPosition = 0;
    qint64 mSize = 0;
    qint64 mCounted = 0; // of the reading under way
};
