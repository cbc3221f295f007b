#include "cars/modPackCar.h"

#include "platform/ArchiveWriter.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/MsgBox.h"

#include <QSet>

namespace modPackCar {

namespace {

// Pieces of a file at a time: a car can hold hundreds of MB of pictures.
constexpr qint64 kBlock = 1 << 18;

using Kind = FileSystem::TreeEntry::Kind;

QString Quoted(const QString& text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

QString QuotedPath(const QString& path)
{
    return Quoted(FileSystem::ForMessage(path));
}

QString FileName(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString ParentOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : path.left(slash);
}

// An entry of the car that goes into the zip, with its name there.
struct Packed
{
    const FileSystem::TreeEntry* entry;
    QByteArray name;
};

class Writer
{
public:
    Writer(const QString& car, const QString& zipPath, const Progress& progress, qint64 total)
        : mCar(car), mZip(QuotedPath(zipPath)), mProgress(progress), mTotal(total)
    {
    }

    // The zip's bytes into out; the failure says which file and why.
    Result write(FileSystem::PendingFile& out, const QList<Packed>& packed);
    bool canceled() const { return mCanceled; }

private:
    Result unwritten(const Result& failed) const
    {
        return Result::Failure(
            QStringLiteral("%1 could not be written: %2").arg(mZip, failed.message));
    }
    bool goOn()
    {
        mCanceled = mCanceled || (mProgress && !mProgress(mDone, mTotal));
        return !mCanceled;
    }
    Result writeFile(ArchiveWriter& zip, const Packed& packed, QByteArray& buffer);

    const QString& mCar;
    const QString mZip;
    const Progress& mProgress;
    const qint64 mTotal;
    qint64 mDone = 0;
    bool mCanceled = false;
};

Result Writer::write(FileSystem::PendingFile& out, const QList<Packed>& packed)
{
    const Result canceled = Result::Failure(QStringLiteral("the packing was canceled"));
    if (!goOn())
        return canceled;
    ArchiveWriter zip(out);
    if (const Result opened = zip.open(); !opened.ok)
        return unwritten(opened);
    QByteArray buffer(kBlock, Qt::Uninitialized);
    for (const Packed& one : packed) {
        if (one.entry->kind == Kind::Folder) {
            if (const Result added = zip.addFolder(one.name, one.entry->modified); !added.ok)
                return unwritten(added);
        } else if (const Result added = writeFile(zip, one, buffer); !added.ok) {
            return mCanceled ? canceled : added;
        }
    }
    if (const Result closed = zip.close(); !closed.ok)
        return unwritten(closed);
    return Result::Success();
}

Result Writer::writeFile(ArchiveWriter& zip, const Packed& packed, QByteArray& buffer)
{
    const QString path = FileNames::Join(mCar, packed.entry->path);
    const auto unread = [&path](const QString& why) {
        return Result::Failure(
            QStringLiteral("%1 could not be read: %2").arg(QuotedPath(path), why));
    };
    FileSystem::FileReader file;
    if (const Result opened = file.open(path); !opened.ok)
        return unread(opened.message);
    qint64 read = 0;
    for (bool first = true;; first = false) {
        const ResultOf<qint64> got = file.read(buffer.data(), buffer.size());
        if (!got)
            return unread(got.message);
        const QByteArrayView piece(buffer.constData(), *got);
        // The size and time of the file as it is opened, not as the walk saw it; the first
        // piece tells whether deflating it pays.
        if (first) {
            if (const Result added = zip.addFile(packed.name, file.size(), file.modified(), piece);
                !added.ok)
                return unwritten(added);
        }
        if (*got == 0 || read + *got > file.size())
            break;
        read += *got;
        mDone += *got;
        if (const Result written = zip.write(piece); !written.ok)
            return unwritten(written);
        if (!goOn())
            return Result::Failure(QString());
    }
    // The zip's entry holds the size the file had: one that changes is not packed half.
    if (read != file.size())
        return unread(QStringLiteral("it changed while it was packed"));
    return Result::Success();
}

} // namespace

QString ProposedName(const QString& folderName)
{
    return FileSystem::Shown(folderName) + QStringLiteral(".zip");
}

Report Pack(const QString& carFolder, const QString& zipPath, const Progress& progress)
{
    Report report;
    QString car = carFolder;
    while (car.size() > 1 && car.endsWith(QLatin1Char('/')))
        car.chop(1);
    // The zip's names are those Repair Names would give: the game under Wine reads them.
    const QString carName = FileSystem::Shown(FileName(car));
    const auto notPacked = [&](const QString& why) {
        report.text = QStringLiteral("%1 was not packed: %2.").arg(Quoted(carName), why);
        return report;
    };
    const QString realCar = FileSystem::RealPath(car);
    if (!realCar.isEmpty() && (FileSystem::RealPath(ParentOf(zipPath)) + QLatin1Char('/'))
                                  .startsWith(realCar + QLatin1Char('/')))
        return notPacked(
            QStringLiteral("the zip cannot go inside the car's own folder, as it would "
                           "pack itself"));

    const ResultOf<QList<FileSystem::TreeEntry>> tree = FileSystem::Folder(car).Walk();
    if (!tree)
        return notPacked(
            QStringLiteral("the names in its folder could not be read: %1").arg(tree.message));
    QList<Packed> packed;
    QStringList leftOutLines;
    QSet<QByteArray> taken;
    qint64 total = 0;
    int files = 0;
    for (const FileSystem::TreeEntry& entry : *tree) {
        const QString shown = FileSystem::Shown(entry.path);
        if (entry.kind == Kind::Link || entry.kind == Kind::Other) {
            report.leftOut.append(shown);
            leftOutLines.append(
                entry.kind == Kind::Link
                    ? QStringLiteral("Left out the link %1: a link is not packed.").arg(shown)
                    : QStringLiteral("Left out %1: it is neither a file nor a folder.").arg(shown));
            continue;
        }
        const QString name = entry.path.isEmpty() ? carName : carName + QLatin1Char('/') + shown;
        const QByteArray inZip = name.toUtf8();
        if (taken.contains(inZip))
            return notPacked(
                QStringLiteral("two names in %1 would both be %2 in the zip, as one of them "
                               "is spelt in Windows-1252 bytes; rename one of them")
                    .arg(Quoted(ParentOf(name)), Quoted(FileName(name))));
        taken.insert(inZip);
        packed.append({&entry, inZip});
        if (entry.kind == Kind::File) {
            total += entry.size;
            ++files;
        }
    }

    const FileSystem::Status target = FileSystem::StatusOf(zipPath);
    if (target.exists && target.folder && !target.link)
        return notPacked(QStringLiteral("%1 is a folder").arg(QuotedPath(zipPath)));
    if (target.exists && MsgBox::Show(QStringLiteral("%1 exists. Replace it?")
                                          .arg(Quoted(FileSystem::Shown(FileName(zipPath)))),
                                      MsgBox::Icon::Question, QString(),
                                      MsgBox::Buttons::YesNo) != MsgBox::Answer::Yes) {
        report.canceled = true;
        return report;
    }

    FileSystem::PendingFile out;
    Writer writer(car, zipPath, progress, total);
    Result done = out.create(zipPath);
    if (!done.ok)
        return notPacked(
            QStringLiteral("%1 could not be written: %2").arg(QuotedPath(zipPath), done.message));
    done = writer.write(out, packed);
    if (done.ok) {
        done = out.put(target.exists);
        if (!done.ok && !out.placed())
            done.message = QStringLiteral("%1 could not be written: %2")
                               .arg(QuotedPath(zipPath), done.message);
    }
    if (!done.ok && !out.placed()) {
        report.canceled = writer.canceled();
        const QString hidden = out.hiddenPath();
        if (const Result removed = out.discard(); !removed.ok)
            done.message += QStringLiteral("; the unfinished file %1 could not be removed: %2")
                                .arg(QuotedPath(hidden), removed.message);
        return notPacked(done.message);
    }
    report.packed = true;
    const QString counted =
        files == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(files);
    report.text =
        QStringLiteral("Packed %1 into %2: %3").arg(Quoted(carName), QuotedPath(zipPath), counted) +
        (done.ok ? QStringLiteral(".")
                 : QStringLiteral(", but the disk may not keep it: %1.").arg(done.message));
    for (const QString& line : std::as_const(leftOutLines))
        report.text += QLatin1Char('\n') + line;
    return report;
}

} // namespace modPackCar
