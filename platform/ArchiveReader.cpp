#include "platform/ArchiveReader.h"

#include "platform/FileSystemInternal.h"

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

#include <clocale>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <vector>

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

// A plain file opened without waiting: a FIFO or device is refused before anything reads it.
int OpenPlain(const QByteArray& path, struct stat* st, QString* reason)
{
    FileSystem::Fd fd(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0 || ::fstat(fd.get(), st) != 0) {
        *reason = FileSystem::Reason(errno);
        return -1;
    }
    if (!S_ISREG(st->st_mode)) {
        *reason = FileSystem::NotPlainReason(st->st_mode);
        return -1;
    }
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return fd.release();
}

// Reads a gzip stream to its end, as gzip -t does: empty when every member's check holds.
QString GzipFault(int fd, const std::atomic<bool>& stop)
{
    gzFile gz = ::gzdopen(fd, "rb");
    if (!gz) {
        ::close(fd);
        return QStringLiteral("out of memory");
    }
    std::vector<char> buffer(1 << 17);
    ::gzbuffer(gz, unsigned(buffer.size()));
    int got = 0;
    while (!stop && (got = ::gzread(gz, buffer.data(), unsigned(buffer.size()))) > 0) {
    }
    QString fault;
    int error = Z_OK;
    if (got < 0) {
        // The library names the stream by its descriptor first: "<fd:7>: incorrect data check".
        const QString text = QString::fromUtf8(::gzerror(gz, &error));
        fault =
            QStringLiteral("its compressed data is damaged (%1)")
                .arg(text.mid(
                    text.startsWith(QLatin1Char('<')) ? text.indexOf(QLatin1String(": ")) + 2 : 0));
    }
    ::gzclose_r(gz);
    return fault;
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
    if (mFd >= 0)
        ::close(mFd);
    mFd = -1;
    if (mCheck.valid()) {
        mStopCheck = true;
        mCheck.wait();
        mCheck = {};
    }
    mStopCheck = false;
}

void ArchiveReader::startCheck()
{
    const int count = archive_filter_count(mArchive);
    // Only a gzip stream that is the file itself; the other filters check their own data.
    if (mChecked || count < 2 || archive_filter_code(mArchive, count - 2) != ARCHIVE_FILTER_GZIP)
        return;
    struct stat opened, again;
    QString fault;
    const int fd = OpenPlain(FileSystem::Encode(mPath), &again, &fault);
    if (fd >= 0 && ::fstat(mFd, &opened) == 0 && again.st_dev == opened.st_dev &&
        again.st_ino == opened.st_ino) {
        mCheck = std::async(std::launch::async, [fd, this] { return GzipFault(fd, mStopCheck); });
        return;
    }
    if (fd >= 0) {
        ::close(fd);
        fault = QStringLiteral("it was replaced while being read");
    }
    mCheck = std::async(std::launch::deferred, [fault] { return fault; });
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
    // A tar's end marker is not the stream's end: the rest is read too, so that each
    // compression's own check of its last block is made.
    archive_read_set_format_option(mArchive, "tar", "read_concatenated_archives", "1");
    struct stat st;
    QString reason;
    mFd = OpenPlain(FileSystem::Encode(mPath), &st, &reason);
    if (mFd < 0) {
        close();
        return Result::Failure(reason);
    }
    mSize = qint64(st.st_size);
    if (archive_read_open_fd(mArchive, mFd, 1 << 16) != ARCHIVE_OK) {
        const Result failed = Result::Failure(failure());
        close();
        return failed;
    }
    startCheck();
    return Result::Success();
}

ResultOf<bool> ArchiveReader::next(Entry* entry)
{
    using Next = ResultOf<bool>;
    const Utf8Locale utf8;
    archive_entry* header = nullptr;
    const int status = archive_read_next_header(mArchive, &header);
    if (status == ARCHIVE_EOF) {
        if (!mCheck.valid())
            return Next::Success(false);
        const QString fault = mCheck.get();
        mChecked = fault.isEmpty();
        return mChecked ? Next::Success(false) : Next::Failure(fault);
    }
    if (status < ARCHIVE_WARN)
        return Next::Failure(failure());
    const char* name = archive_entry_pathname(header);
    if (!name)
        return Next::Failure(QStringLiteral("an entry's name cannot be read (%1)").arg(failure()));
    entry->name = QByteArray(name);
    entry->kind = KindOf(header);
    const char* target = entry->kind == Kind::HardLink ? archive_entry_hardlink(header)
                                                       : archive_entry_symlink(header);
    entry->target = target ? QByteArray(target) : QByteArray();
    entry->size = archive_entry_size_is_set(header) ? archive_entry_size(header) : 0;
    entry->modified = archive_entry_mtime_is_set(header) ? qint64(archive_entry_mtime(header)) : -1;
    entry->encrypted = archive_entry_is_encrypted(header);
    return Next::Success(true);
}

ResultOf<qint64> ArchiveReader::read(char* buffer, qint64 size)
{
    const la_ssize_t got = archive_read_data(mArchive, buffer, size_t(size));
    if (got < 0)
        return ResultOf<qint64>::Failure(failure());
    return ResultOf<qint64>::Success(qint64(got));
}

qint64 ArchiveReader::position() const
{
    return mArchive ? qint64(archive_filter_bytes(mArchive, -1)) : 0;
}
