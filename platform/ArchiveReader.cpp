#include "platform/ArchiveReader.h"

#include "platform/FileSystem.h"

#include <archive.h>
#include <archive_entry.h>

#include <clocale>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>

namespace {

// The library turns the names it knows the text of into the text of the thread's locale, and
// gives nothing for a name the locale cannot hold: under UTF-8 every name can be held.
class Utf8Locale
{
public:
    Utf8Locale()
    {
        static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
        if (utf8)
            mPrevious = ::uselocale(utf8);
    }
    ~Utf8Locale()
    {
        if (mPrevious)
            ::uselocale(mPrevious);
    }
    Utf8Locale(const Utf8Locale&) = delete;
    Utf8Locale& operator=(const Utf8Locale&) = delete;

private:
    locale_t mPrevious = locale_t(nullptr);
};

EntrySource::Kind KindOf(archive_entry* entry)
{
    if (archive_entry_hardlink(entry))
        return EntrySource::Kind::HardLink;
    switch (archive_entry_filetype(entry)) {
    case AE_IFREG:
        return EntrySource::Kind::File;
    case AE_IFDIR:
        return EntrySource::Kind::Folder;
    case AE_IFLNK:
        return EntrySource::Kind::Link;
    default:
        return EntrySource::Kind::Other;
    }
}

} // namespace

ArchiveReader::ArchiveReader(const QString& path) : mPath(path) {}

ArchiveReader::~ArchiveReader()
{
    close();
}

void ArchiveReader::close()
{
    if (mArchive)
        archive_read_free(mArchive);
    mArchive = nullptr;
}

QString ArchiveReader::failure() const
{
    const char* text = mArchive ? archive_error_string(mArchive) : nullptr;
    return text ? QString::fromUtf8(text) : QStringLiteral("the archive cannot be read");
}

Result ArchiveReader::open()
{
    close();
    const Utf8Locale utf8;
    mArchive = archive_read_new();
    if (!mArchive)
        return Result::Failure(QStringLiteral("out of memory"));
    archive_read_support_filter_all(mArchive);
    archive_read_support_format_all(mArchive);
    // Only zip names without the UTF-8 mark take it; marked ones stay UTF-8.
    archive_read_set_options(mArchive, "zip:hdrcharset=CP437");
    const QByteArray path = FileSystem::Encode(mPath);
    struct stat st;
    mSize = ::stat(path.constData(), &st) == 0 ? qint64(st.st_size) : 0;
    if (archive_read_open_filename(mArchive, path.constData(), 1 << 16) != ARCHIVE_OK) {
        const Result failed = Result::Failure(failure());
        close();
        return failed;
    }
    return Result::Success();
}

EntrySource::Step ArchiveReader::next(Entry* entry, QString* reason)
{
    const Utf8Locale utf8;
    archive_entry* header = nullptr;
    const int status = archive_read_next_header(mArchive, &header);
    if (status == ARCHIVE_EOF)
        return Step::End;
    if (status < ARCHIVE_WARN) {
        *reason = failure();
        return Step::Failed;
    }
    const char* name = archive_entry_pathname(header);
    if (!name) {
        *reason = QStringLiteral("an entry's name cannot be read (%1)").arg(failure());
        return Step::Failed;
    }
    entry->name = QByteArray(name);
    entry->kind = KindOf(header);
    const char* target = entry->kind == Kind::HardLink ? archive_entry_hardlink(header)
                                                       : archive_entry_symlink(header);
    entry->target = target ? QByteArray(target) : QByteArray();
    entry->size = archive_entry_size_is_set(header) ? archive_entry_size(header) : 0;
    entry->encrypted = archive_entry_is_encrypted(header);
    return Step::Entry;
}

qint64 ArchiveReader::read(char* buffer, qint64 size, QString* reason)
{
    const la_ssize_t got = archive_read_data(mArchive, buffer, size_t(size));
    if (got < 0)
        *reason = failure();
    return got < 0 ? -1 : qint64(got);
}

qint64 ArchiveReader::position() const
{
    return mArchive ? qint64(archive_filter_bytes(mArchive, -1)) : 0;
}
