#pragma once

#include "TestWorld.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

#include <archive.h>
#include <archive_entry.h>
#include <clocale>
#include <locale.h>
#include <sys/stat.h>

// The archives players download, made with the archive library's own writer, and what an
// install leaves in a folder.

// Writes an archive of the entries, each a name with what it is: "name" a file holding its
// own name, "name/" a folder, "name->target" a link, "name=>target" a hard link, "name|" a
// FIFO, "name*N" a file of N bytes that do not compress. kind is "zip" (names as bytes, without the
// UTF-8 mark, as written by Windows' own zip tool), "folder" (a folder, not an archive), "zip-utf8"
// (with the mark), "zip-crypt" (encrypted), "7zip", "tar.gz" (names as bytes);
// "-cut" after it cuts the file in half, "-crc" damages the check at a gzip stream's end; "zip-lie"
// is a zip whose headers say that each file of 1,000 bytes or more holds 10; "fifo" is a FIFO.
inline void MakeArchive(const QString& path, QByteArray kind, const QByteArrayList& entries)
{
    if (kind == "fifo") {
        QVERIFY(::mkfifo(FileSystem::Encode(path).constData(), 0644) == 0);
        return;
    }
    if (kind == "folder") {
        for (const QByteArray& name : entries) {
            QDir().mkpath(path + '/' + name.left(name.lastIndexOf('/')));
            if (!name.endsWith('/'))
                QVERIFY(FileSystem::ReplaceFile(path + '/' + name, name).ok);
        }
        return;
    }
    const bool cut = kind.endsWith("-cut");
    const bool crc = kind.endsWith("-crc");
    const bool lie = kind == "zip-lie";
    kind.replace("-cut", "").replace("-lie", "").replace("-crc", "");
    const locale_t locale =
        ::newlocale(LC_ALL_MASK, kind == "zip-utf8" || kind == "7zip" ? "C.UTF-8" : "C", nullptr);
    const locale_t previous = ::uselocale(locale);
    archive* a = archive_write_new();
    archive_write_set_format_by_name(a, kind.startsWith("zip") ? "zip"
                                        : kind == "7zip"       ? "7zip"
                                                               : "gnutar");
    if (kind == "tar.gz")
        archive_write_add_filter_gzip(a);
    if (kind == "zip-crypt") {
        archive_write_set_passphrase(a, "secret");
        archive_write_set_options(a, "zip:encryption=zipcrypt");
    }
    QVERIFY(archive_write_open_filename(a, FileSystem::Encode(path).constData()) == ARCHIVE_OK);
    for (QByteArray name : entries) {
        archive_entry* e = archive_entry_new();
        QByteArray data;
        if (const qsizetype arrow = name.indexOf("->"); arrow > 0) {
            archive_entry_set_filetype(e, AE_IFLNK);
            archive_entry_copy_symlink(e, name.mid(arrow + 2).constData());
            name.truncate(arrow);
        } else if (const qsizetype hard = name.indexOf("=>"); hard > 0) {
            archive_entry_set_filetype(e, AE_IFREG);
            archive_entry_copy_hardlink(e, name.mid(hard + 2).constData());
            name.truncate(hard);
        } else if (const qsizetype star = name.indexOf('*'); star > 0) {
            archive_entry_set_filetype(e, AE_IFREG);
            data.resize(name.mid(star + 1).toLongLong());
            QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(data.data()), data.size() / 4);
            name.truncate(star);
        } else if (name.endsWith('/')) {
            archive_entry_set_filetype(e, AE_IFDIR);
        } else if (name.endsWith('|')) {
            archive_entry_set_filetype(e, AE_IFIFO);
            name.chop(1);
        } else {
            archive_entry_set_filetype(e, AE_IFREG);
            data = name;
        }
        archive_entry_copy_pathname(e, name.constData());
        archive_entry_set_perm(e, 0644);
        archive_entry_set_size(e, data.size());
        QCOMPARE(archive_write_header(a, e), ARCHIVE_OK);
        archive_write_data(a, data.constData(), size_t(data.size()));
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
    ::uselocale(previous);
    ::freelocale(locale);
    if (cut)
        QVERIFY(::truncate(FileSystem::Encode(path).constData(),
                           FileSystem::StatusOf(path).size / 2) == 0);
    if (!crc && !lie)
        return;
    QByteArray bytes = ReadFile(path);
    // A gzip stream's last 8 bytes are its check and its length.
    if (crc)
        bytes[bytes.size() - 8] = char(bytes[bytes.size() - 8] ^ 0x5a);
    // A zip's uncompressed sizes: in each local header (22 bytes in), central directory entry
    // (24) and data descriptor (12).
    if (lie)
        for (const auto& [mark, at] : {std::pair("PK\x03\x04", 22), std::pair("PK\x01\x02", 24),
                                       std::pair("PK\x07\x08", 12)})
            for (qsizetype i = bytes.indexOf(mark); i >= 0; i = bytes.indexOf(mark, i + 4))
                if (qFromLittleEndian<quint32>(bytes.constData() + i + at) >= 1000)
                    qToLittleEndian<quint32>(10, bytes.data() + i + at);
    QVERIFY(FileSystem::ReplaceFile(path, bytes).ok);
}

// Every name under folder, a folder's with "/" after it, and the bytes of each file.
inline QStringList Tree(const QString& folder, const QString& prefix = {})
{
    QStringList tree;
    for (const FileSystem::Entry& entry :
         FileSystem::List(folder).value_or(QList<FileSystem::Entry>{})) {
        const QString path = folder + '/' + entry.name;
        if (entry.isDir)
            tree << prefix + entry.name + '/' << Tree(path, prefix + entry.name + '/');
        else
            tree << prefix + entry.name + '=' + QString::fromUtf8(ReadFile(path));
    }
    tree.sort();
    return tree;
}

// Tree() written shorter, losing nothing: a folder that holds something is left out, being
// implied by what it holds, and a file that holds its own name, as MakeArchive writes it, is
// named without its bytes.
inline QStringList Files(const QString& folder)
{
    QStringList files = Tree(folder);
    for (qsizetype i = files.size() - 1; i >= 0; --i) {
        const QString name = files[i].section('=', 0, 0);
        if (name.endsWith('/') && i + 1 < files.size() && files[i + 1].startsWith(name))
            files.removeAt(i);
        else if (files[i] == name + '=' + name)
            files[i] = name;
    }
    return files;
}
