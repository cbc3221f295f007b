#include "platform/ArchiveWriter.h"

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

namespace {

// Whether deflating bytes like these pays, judged on a sample of them at the quickest level.
// Small files are deflated anyway: they cost nothing.
bool Shrinks(QByteArrayView first)
{
    constexpr qsizetype kSample = 16384;
    if (first.size() < 4096)
        return true;
    const QByteArrayView sample = first.first(qMin(first.size(), kSample));
    uLongf size = compressBound(uLong(sample.size()));
    QByteArray deflated(qsizetype(size), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef*>(deflated.data()), &size,
                  reinterpret_cast<const Bytef*>(sample.data()), uLong(sample.size()), 1) != Z_OK)
        return true;
    return qsizetype(size) < sample.size() - sample.size() / 32;
}

} // namespace

ArchiveWriter::ArchiveWriter(FileSystem::PendingFile& out) : mOut(out) {}

ArchiveWriter::~ArchiveWriter()
{
    if (!mArchive)
        return;
    // Given up part way: nothing more is written, not even the directory.
    if (!mClosed)
        archive_write_fail(mArchive);
    archive_write_free(mArchive);
}

ssize_t ArchiveWriter::Sink(archive*, void* writer, const void* bytes, size_t size)
{
    auto* self = static_cast<ArchiveWriter*>(writer);
    self->mWriteFailed =
        self->mOut.write(QByteArrayView(static_cast<const char*>(bytes), qsizetype(size)));
    return self->mWriteFailed.ok ? ssize_t(size) : -1;
}

Result ArchiveWriter::failure() const
{
    if (!mWriteFailed.ok)
        return mWriteFailed;
    const char* text = mArchive ? archive_error_string(mArchive) : nullptr;
    return Result::Failure(text ? QString::fromUtf8(text)
                                : QStringLiteral("the archive library failed"));
}

Result ArchiveWriter::open()
{
    mArchive = archive_write_new();
    if (!mArchive)
        return Result::Failure(QStringLiteral("out of memory"));
    // The library marks a name as UTF-8 only under this option or a UTF-8 locale, and then only
    // a name that is not ASCII; entries named through the UTF-8 calls below are written as
    // given whatever the locale.
    if (archive_write_set_format_zip(mArchive) != ARCHIVE_OK ||
        archive_write_set_options(mArchive, "zip:compression=deflate") != ARCHIVE_OK ||
        archive_write_set_options(mArchive, "zip:hdrcharset=UTF-8") != ARCHIVE_OK ||
        // Whole blocks to the disk, and the last one not padded: a zip ends with its directory.
        archive_write_set_bytes_per_block(mArchive, 1 << 16) != ARCHIVE_OK ||
        archive_write_set_bytes_in_last_block(mArchive, 1) != ARCHIVE_OK ||
        archive_write_open(mArchive, this, nullptr, &ArchiveWriter::Sink, nullptr) != ARCHIVE_OK)
        return failure();
    return Result::Success();
}

Result ArchiveWriter::add(const QByteArray& name, bool folder, qint64 size, qint64 modified)
{
    archive_entry* entry = archive_entry_new();
    if (!entry)
        return Result::Failure(QStringLiteral("out of memory"));
    archive_entry_update_pathname_utf8(entry, name.constData());
    archive_entry_set_filetype(entry, folder ? AE_IFDIR : AE_IFREG);
    archive_entry_set_perm(entry, folder ? 0755 : 0644);
    // Known before the bytes, so that the library picks the zip's form for the size; the
    // sizes of the deflated data follow it, as the library writes them.
    archive_entry_set_size(entry, folder ? 0 : size);
    archive_entry_set_mtime(entry, time_t(modified), 0);
    const int written = archive_write_header(mArchive, entry);
    archive_entry_free(entry);
    return written == ARCHIVE_OK ? Result::Success() : failure();
}

Result ArchiveWriter::addFolder(const QByteArray& name, qint64 modified)
{
    return add(name.endsWith('/') ? name : name + '/', true, 0, modified);
}

Result ArchiveWriter::addFile(const QByteArray& name, qint64 size, qint64 modified,
                              QByteArrayView first)
{
    const bool compress = Shrinks(first);
    if ((compress ? archive_write_zip_set_compression_deflate(mArchive)
                  : archive_write_zip_set_compression_store(mArchive)) != ARCHIVE_OK)
        return failure();
    return add(name, false, size, modified);
}

Result ArchiveWriter::write(QByteArrayView bytes)
{
    if (archive_write_data(mArchive, bytes.data(), size_t(bytes.size())) < 0)
        return failure();
    return Result::Success();
}

Result ArchiveWriter::close()
{
    if (archive_write_close(mArchive) != ARCHIVE_OK)
        return failure();
    mClosed = true;
    return Result::Success();
}
