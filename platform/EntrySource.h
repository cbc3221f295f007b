#pragma once

#include "platform/Result.h"

#include <QByteArray>
#include <QString>

// Entries read one after the other, as from an archive: the name and kind of each, and the
// bytes of a file entry while it is the current one. An install reads its source twice: once
// to check every entry before anything is written, once to write.
class EntrySource
{
public:
    enum class Kind { File, Folder, Link, HardLink, Other };

    struct Entry
    {
        // The path inside the source, as the source stores it, '/' (or '\' from Windows
        // tools) between the names. Text in UTF-8 where the format says what its names are;
        // the bytes as stored where it does not.
        QByteArray name;
        Kind kind = Kind::Other;
        QByteArray target;    // what a link or hard link names
        qint64 size = 0;      // as the header gives it: nothing to trust
        qint64 modified = -1; // seconds since 1970; -1 when the source does not say
        bool encrypted = false;
    };

    virtual ~EntrySource() = default;
    // Starts at the first entry; again from the start when called again.
    virtual Result open() = 0;
    // True with the next entry, false at the end.
    virtual ResultOf<bool> next(Entry* entry) = 0;
    // The next bytes of the current entry into buffer, and how many: 0 at its end.
    virtual ResultOf<qint64> read(char* buffer, qint64 size) = 0;
    // How far the reading is, as bytes of the source read against its size, for a progress
    // bar.
    virtual qint64 position() const = 0;
    virtual qint64 size() const = 0;
};
