#include "cars/install/InstallFolders.h"

#include "platform/FileNames.h"

#include <QRandomGenerator>

namespace InstallFolders {

namespace {

const QString kJournal = QStringLiteral("replacing.txt");

// One line a car: its unpacked folder, then the installed one's name as the system's bytes,
// percent-encoded so that any byte a name holds fits a line, and the installed one's number.
QByteArray Line(const Replacing& replacing)
{
    return FileSystem::Encode(replacing.unpacked).toPercentEncoding() + ' ' +
           FileSystem::Encode(replacing.folderName).toPercentEncoding() + ' ' +
           QByteArray::number(replacing.installed) + '\n';
}

QList<Replacing> ReadDown(const QString& staging)
{
    QList<Replacing> replacing;
    const QByteArray text =
        FileSystem::ReadPlainFile(FileNames::Join(staging, kJournal)).value_or(QByteArray());
    for (const QByteArray& line : text.split('\n')) {
        // An older Torvane wrote no number.
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() != 2 && fields.size() != 3)
            continue;
        const QString unpacked = FileSystem::Decode(QByteArray::fromPercentEncoding(fields[0]));
        const QString folderName = FileSystem::Decode(QByteArray::fromPercentEncoding(fields[1]));
        // Only names directly inside their folders: the file is on a disk others can write.
        if (unpacked.isEmpty() || folderName.isEmpty() || unpacked.contains(QLatin1Char('/')) ||
            folderName.contains(QLatin1Char('/')) || unpacked.startsWith(QLatin1Char('.')) ||
            folderName == QLatin1String("..") || folderName == QLatin1String("."))
            continue;
        replacing.append({unpacked, folderName, fields.value(2).toULongLong()});
    }
    return replacing;
}

QString FileName(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// Moves the installed car at old, taken out of target, into trash. Where it cannot, the car is
// not lost with the hidden folder: it goes back into the cars folder beside target under a name
// of its own, or, failing that too, stays where it is (stayed). The failure says where it is.
Result ToTrash(const QString& old, const QString& target, const QString& trash, bool* stayed)
{
    const Result trashed = FileSystem::MoveToTrash(old, target, trash);
    if (trashed.ok)
        return trashed;
    if (!FileSystem::StatusOf(old).exists)
        return Result::Failure(
            QStringLiteral("went to the Trash, which could not be written to disk (%1)")
                .arg(trashed.message));
    for (int n = 1; n < 100; ++n) {
        const QString kept = n == 1 ? target + QStringLiteral(" (old)")
                                    : target + QStringLiteral(" (old %1)").arg(n);
        if (FileSystem::RenameNew(old, kept).ok)
            return Result::Failure(QStringLiteral("could not be moved to the Trash (%1), and is "
                                                  "kept in the cars folder as '%2'")
                                       .arg(trashed.message, FileSystem::Shown(FileName(kept))));
        if (!FileSystem::StatusOf(kept).exists)
            break;
    }
    *stayed = true;
    return Result::Failure(QStringLiteral("could not be moved to the Trash (%1), and is kept in "
                                          "'%2'")
                               .arg(trashed.message, FileSystem::ForMessage(old)));
}

// Puts a whole car back where the install cut short left none: the new one if it is still
// unpacked, else the installed one it had moved aside. The installed car the new one took the
// place of goes to the trash where its disk has one, rather than with the hidden folder. False
// when a car could not be moved and the hidden folder must stay.
bool Finish(const QString& carsFolder, const QString& staging, const Replacing& replacing,
            QStringList* lines)
{
    const QString target = FileNames::Join(carsFolder, replacing.folderName);
    const QString shown = FileSystem::Shown(replacing.folderName);
    const QString unpacked = FileNames::Join(staging, replacing.unpacked);
    const QString aside = FileNames::Join(staging, Unpacking::Aside(replacing.unpacked));
    if (!FileSystem::StatusOf(target).exists) {
        const bool newOne = FileSystem::StatusOf(unpacked).folder;
        if (!newOne && !FileSystem::StatusOf(aside).folder)
            return true;
        const Result moved = FileSystem::RenameNew(newOne ? unpacked : aside, target);
        if (!moved.ok) {
            lines->append(QStringLiteral("'%1' could not be put back from '%2': %3")
                              .arg(shown, FileSystem::ForMessage(staging), moved.message));
            return false;
        }
        lines->append(
            newOne ? QStringLiteral("An install that was cut short has been finished: '%1' holds "
                                    "the car it installed.")
                         .arg(shown)
                   : QStringLiteral("An install that was cut short has been undone: '%1' holds "
                                    "the car that was installed before.")
                         .arg(shown));
        if (!newOne)
            return true;
    }
    // Aside, or after a swap under the unpacked name, known by its number.
    const FileSystem::Status swapped = FileSystem::StatusOf(unpacked);
    const QString old = FileSystem::StatusOf(aside).exists ? aside
                        : swapped.exists && swapped.id != 0 && swapped.id == replacing.installed
                            ? unpacked
                            : QString();
    const QString trash = old.isEmpty() ? QString() : FileSystem::TrashFor(old);
    if (trash.isEmpty())
        return true;
    bool stayed = false;
    const Result trashed = ToTrash(old, target, trash, &stayed);
    lines->append(
        trashed.ok
            ? QStringLiteral("The car installed as '%1' before an install that was cut short is "
                             "in the Trash.")
                  .arg(shown)
            : QStringLiteral("The car installed as '%1' before an install that was cut short "
                             "%2.")
                  .arg(shown, trashed.message));
    return !stayed;
}

} // namespace

Unpacking::Unpacking(const QString& carsFolder, const QString& name)
    : mCarsFolder(carsFolder), mName(name), mPath(FileNames::Join(carsFolder, name))
{
}

std::unique_ptr<Unpacking> Unpacking::Create(const QString& carsFolder, Result* made)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name =
            kPrefix + QString::number(QRandomGenerator::global()->generate() | 0x80000000u, 16);
        *made = FileSystem::CreateFolder(FileNames::Join(carsFolder, name));
        if (!made->ok && FileSystem::StatusOf(FileNames::Join(carsFolder, name)).exists)
            continue;
        if (!made->ok)
            return nullptr;
        std::unique_ptr<Unpacking> unpacking(new Unpacking(carsFolder, name));
        // Locked from the start, so that no other install takes it for a leftover.
        unpacking->mHold = std::make_unique<FileSystem::FolderHold>(unpacking->mPath);
        if (unpacking->mHold->state() != FileSystem::FolderHold::State::Held) {
            *made = Result::Failure(
                QStringLiteral("the folder it unpacks into cannot be locked: %1")
                    .arg(unpacking->mHold->state() == FileSystem::FolderHold::State::Busy
                             ? QStringLiteral("another program holds it")
                             : unpacking->mHold->reason()));
            return nullptr;
        }
        return unpacking;
    }
    return nullptr;
}

Unpacking::~Unpacking()
{
    // The install has said what failed; what stays is removed by the next start.
    (void)remove();
}

Result Unpacking::remove()
{
    if (mKept || mRemoved)
        return Result::Success();
    mRemoved = true;
    return FileSystem::RemoveTree(mCarsFolder, mName);
}

Result Unpacking::writeDown(QList<Replacing> replacing) const
{
    QByteArray text;
    for (Replacing& car : replacing) {
        car.installed = FileSystem::StatusOf(FileNames::Join(mCarsFolder, car.folderName)).id;
        text += Line(car);
    }
    return FileSystem::ReplaceFile(FileNames::Join(mPath, kJournal), text);
}

Result Unpacking::replace(const QString& unpackedName, const QString& target)
{
    const QString unpacked = FileNames::Join(mPath, unpackedName);
    const ResultOf<FileSystem::Exchange> exchanged = FileSystem::ExchangeNames(unpacked, target);
    if (!exchanged || *exchanged == FileSystem::Exchange::Swapped)
        return exchanged;
    const QString aside = FileNames::Join(mPath, Aside(unpackedName));
    if (const Result moved = FileSystem::RenameNew(target, aside); !moved.ok)
        return moved;
    const Result moved = FileSystem::RenameNew(unpacked, target);
    if (moved.ok)
        return moved;
    if (const Result back = FileSystem::RenameNew(aside, target); !back.ok) {
        keep();
        return Result::Failure(QStringLiteral("%1, and the installed car could not be put back "
                                              "(%2): Torvane puts it back when it next starts")
                                   .arg(moved.message, back.message));
    }
    return moved;
}

Result Unpacking::trashReplaced(const QString& unpackedName, const QString& target,
                                const QString& trash)
{
    const QString aside = FileNames::Join(mPath, Aside(unpackedName));
    bool stayed = false;
    const Result trashed =
        ToTrash(FileSystem::StatusOf(aside).exists ? aside : FileNames::Join(mPath, unpackedName),
                target, trash, &stayed);
    if (stayed)
        keep();
    return trashed;
}

QStringList Recover(const QString& carsFolder)
{
    QStringList lines;
    // A cars folder that cannot be listed has nothing to finish now: an install into it says
    // why it fails, and the next start tries again.
    for (const FileSystem::Entry& entry : FileSystem::List(carsFolder).value_or({})) {
        if (!entry.isDir || !IsUnpacking(entry.name))
            continue;
        const QString staging = FileNames::Join(carsFolder, entry.name);
        // Never made by an install: what a link leads to is not its to finish or remove.
        if (FileSystem::StatusOf(staging).link)
            continue;
        // A folder whose lock is not free belongs to a running install, or cannot be told from
        // one: it stays.
        const FileSystem::FolderHold hold(staging);
        if (hold.state() != FileSystem::FolderHold::State::Held)
            continue;
        bool whole = true;
        for (const Replacing& replacing : ReadDown(staging))
            whole = Finish(carsFolder, staging, replacing, &lines) && whole;
        // What cannot be removed now is tried again next time.
        if (whole)
            (void)FileSystem::RemoveTree(carsFolder, entry.name);
    }
    // A car put back is in place either way; only a power cut soon after could undo the move,
    // and the hidden folder that would then be back is finished again at the next start.
    if (!lines.isEmpty())
        (void)FileSystem::FlushFolder(carsFolder);
    return lines;
}

Result MovesFolders(const QString& staging)
{
    const QString before = FileNames::Join(staging, QStringLiteral("before"));
    const QString after = FileNames::Join(staging, QStringLiteral("after"));
    FileSystem::NewFile probe;
    Result tried = FileSystem::CreateFolder(before);
    if (tried.ok)
        tried = probe.create(FileNames::Join(before, QStringLiteral("file")));
    if (tried.ok)
        tried = probe.close();
    if (tried.ok)
        tried = FileSystem::RenameNew(before, after);
    if (!tried.ok)
        return tried;
    // Listed, not looked up: the system's cache of names would still know the file.
    if (FileSystem::List(after).value_or(QList<FileSystem::Entry>()).isEmpty())
        return Result::Failure(QStringLiteral("the driver of the disk that holds the cars folder "
                                              "loses a folder's files when it renames the folder"));
    return FileSystem::RemoveTree(staging, QStringLiteral("after"));
}

} // namespace InstallFolders
