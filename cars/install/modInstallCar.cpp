#include "cars/install/modInstallCar.h"

#include "cars/CarContext.h"
#include "cars/install/Arrivals.h"
#include "cars/install/InstallFolders.h"
#include "cars/install/InstallPlan.h"
#include "cars/install/InstalledCars.h"
#include "platform/ArchiveReader.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/FolderSource.h"

#include <QHash>
#include <QLocale>
#include <QScopeGuard>
#include <QSet>
#include <QThread>

#include <memory>

namespace modInstallCar {

namespace {

constexpr qint64 kBlock = 1 << 18;

QString Quoted(const QString& name)
{
    return QLatin1Char('\'') + FileSystem::Shown(name) + QLatin1Char('\'');
}

QString FileName(const QString& path)
{
    QString name = path;
    while (name.size() > 1 && name.endsWith(QLatin1Char('/')))
        name.chop(1);
    return name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
}

QString DataSize(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

// What an install leaves free on the disk, for the game's own saves: 64 MiB, or a tenth of a
// smaller disk.
qint64 Reserve(const FileSystem::DiskSpace& space)
{
    return qMin(qint64(64) << 20, space.total / 10);
}

using Arrivals::Arrival;

class Installer
{
public:
    Installer(const CarContext& context, const Progress& progress, Report* report)
        : mContext(context), mProgress(progress), mReport(report), mCars(context)
    {
    }

    void install(const QString& path);

private:
    void line(const QString& text) { mLines.append(text); }
    Result unpack(EntrySource& source, const InstallPlan& plan, const QList<Arrival>& arrivals,
                  const QString& staging);
    void arrive(const QString& sourceName, const QList<Arrival>& arrivals,
                InstallFolders::Unpacking& unpacking);
    bool keepGoing(const EntrySource& source, Stage stage)
    {
        if (mProgress && !mProgress(stage, source.position(), source.size()))
            mReport->canceled = true;
        return !mReport->canceled;
    }

public:
    QStringList mLines;

private:
    const CarContext& mContext;
    const Progress& mProgress;
    Report* mReport;
    InstalledCars mCars;
};

Result Installer::unpack(EntrySource& source, const InstallPlan& plan,
                         const QList<Arrival>& arrivals, const QString& staging)
{
    if (const Result opened = source.open(); !opened.ok)
        return opened;
    QHash<int, QString> carFolders;
    for (const Arrival& arrival : arrivals) {
        const QString folder = FileNames::Join(staging, QString::number(arrival.car));
        if (const Result made = FileSystem::CreateFolder(folder); !made.ok)
            return made;
        carFolders.insert(arrival.car, folder);
    }
    // Headers can lie about sizes: what is written is counted against what may be.
    // Where the space cannot be told, the count stops at what any car holds.
    const ResultOf<FileSystem::DiskSpace> space = FileSystem::SpaceOf(mContext.carsFolder);
    const qint64 allowed = space ? qMin(InstallPlan::kMaxBytes, space->free - Reserve(*space))
                                 : InstallPlan::kMaxBytes;
    qint64 written = 0;
    QSet<QString> folders;
    QByteArray buffer(kBlock, Qt::Uninitialized);
    EntrySource::Entry entry;
    for (;;) {
        const ResultOf<bool> next = source.next(&entry);
        if (!next || !*next)
            return next;
        if (!keepGoing(source, Stage::Unpacking))
            return Result::Failure(QStringLiteral("the install was canceled"));
        const InstallPlan::Place place = plan.placeOf(entry);
        const auto carFolder = carFolders.constFind(place.car);
        if (carFolder == carFolders.constEnd() ||
            (entry.kind != EntrySource::Kind::File && entry.kind != EntrySource::Kind::Folder))
            continue;
        // The first reading refused this; a folder dropped on the window can change since.
        if (entry.kind == EntrySource::Kind::File && place.names.isEmpty())
            return Result::Failure(QStringLiteral("%1 changed while it was read")
                                       .arg(Quoted(plan.cars()[place.car].folderName)));
        // Named as it would be in the cars folder: the player finds the entry by it.
        const auto failed = [&](const QString& why) {
            const QString name = place.names.isEmpty()
                                     ? plan.cars()[place.car].folderName
                                     : plan.cars()[place.car].folderName + QLatin1Char('/') +
                                           place.names.join(QLatin1Char('/'));
            return Result::Failure(QStringLiteral("%1: %2").arg(Quoted(name), why));
        };
        // Folders come as the files in them need them, whether the archive lists them or not.
        QString path = *carFolder;
        const qsizetype folderNames =
            entry.kind == EntrySource::Kind::Folder ? place.names.size() : place.names.size() - 1;
        for (qsizetype i = 0; i < folderNames; ++i) {
            path = FileNames::Join(path, place.names[i]);
            if (folders.contains(path))
                continue;
            const Result made = FileSystem::CreateFolder(path);
            if (!made.ok && !FileSystem::StatusOf(path).folder)
                return failed(made.message);
            folders.insert(path);
        }
        if (entry.kind == EntrySource::Kind::Folder)
            continue;
        path = FileNames::Join(path, place.names.last());
        FileSystem::NewFile file;
        Result step2 = file.create(path);
        for (qint64 got = 0; step2.ok;) {
            const ResultOf<qint64> read = source.read(buffer.data(), buffer.size());
            if (!read)
                return failed(read.message);
            got = *read;
            if (got == 0)
                break;
            written += got;
            if (written > allowed)
                return Result::Failure(
                    QStringLiteral("it unpacks to more than %1, more than the disk of the cars "
                                   "folder can take or than any car holds")
                        .arg(DataSize(qMax<qint64>(0, allowed))));
            step2 = file.write(QByteArrayView(buffer.constData(), got));
            if (step2.ok && !keepGoing(source, Stage::Unpacking))
                return Result::Failure(QStringLiteral("the install was canceled"));
        }
        // A car handed on keeps its files' times; where the disk cannot keep them, the bytes
        // are what the install is for.
        if (step2.ok && entry.modified >= 0)
            (void)file.setModified(entry.modified);
        if (step2.ok)
            step2 = file.close();
        if (!step2.ok)
            return failed(step2.message);
    }
}

void Installer::arrive(const QString& sourceName, const QList<Arrival>& arrivals,
                       InstallFolders::Unpacking& unpacking)
{
    QList<InstallFolders::Replacing> replacing;
    for (const Arrival& arrival : arrivals) {
        if (!arrival.replacing.isEmpty())
            replacing.append({QString::number(arrival.car), arrival.replacing});
    }
    if (!replacing.isEmpty()) {
        if (const Result written = unpacking.writeDown(replacing); !written.ok)
            return line(QStringLiteral("%1 was not installed: %2; nothing of it was kept.")
                            .arg(Quoted(sourceName), written.message));
    }
    for (const Arrival& arrival : arrivals) {
        const QString unpacked = FileNames::Join(unpacking.path(), QString::number(arrival.car));
        const QString target = FileNames::Join(mContext.carsFolder, arrival.folderName);
        const QString car =
            QStringLiteral("%1 from %2").arg(Quoted(arrival.folderName), Quoted(sourceName));
        const Result moved = arrival.replacing.isEmpty()
                                 ? FileSystem::RenameNew(unpacked, target)
                                 : unpacking.replace(QString::number(arrival.car), target);
        if (!moved.ok) {
            line(QStringLiteral("Could not install %1: %2").arg(car, moved.message));
            continue;
        }
        mReport->installed.append(arrival.folderName);
        if (arrival.replacing.isEmpty()) {
            line(QStringLiteral("Installed %1.").arg(car));
            continue;
        }
        const Result trashed =
            arrival.trash.isEmpty()
                ? Result::Success()
                : unpacking.trashReplaced(QString::number(arrival.car), target, arrival.trash);
        line(trashed.ok ? QStringLiteral("Replaced %1.").arg(car)
                        : QStringLiteral("Replaced %1, but the installed car %2.")
                              .arg(car, trashed.message));
    }
    // The new names last only once the cars folder is on disk too.
    if (const Result flushed = FileSystem::FlushFolder(mContext.carsFolder); !flushed.ok)
        line(QStringLiteral("The cars folder could not be written to disk: %1")
                 .arg(flushed.message));
    mCars.reload();
}

void Installer::install(const QString& path)
{
    const QString sourceName = FileName(path);
    const FileSystem::Status status = FileSystem::StatusOf(path);
    const bool folder = status.folder && !status.link;
    std::unique_ptr<EntrySource> source;
    if (folder)
        source = std::make_unique<FolderSource>(path);
    else
        source = std::make_unique<ArchiveReader>(path);
    const auto notInstalled = [&](const QString& reason) {
        line(QStringLiteral("%1 was not installed: %2.").arg(Quoted(sourceName), reason));
    };
    if (folder) {
        const QString real = FileSystem::RealPath(path) + QLatin1Char('/');
        const QString cars = FileSystem::RealPath(mContext.carsFolder) + QLatin1Char('/');
        if (real.startsWith(cars) || cars.startsWith(real))
            return notInstalled(QStringLiteral("it is in the cars folder, or holds it"));
    }
    if (const Result opened = source->open(); !opened.ok)
        return notInstalled(opened.message);

    InstallPlan plan(sourceName);
    EntrySource::Entry entry;
    for (;;) {
        const ResultOf<bool> next = source->next(&entry);
        if (!next)
            return notInstalled(next.message);
        if (!*next)
            break;
        if (const Result added = plan.add(entry); !added.ok)
            return notInstalled(added.message);
        if (!keepGoing(*source, Stage::Checking))
            return notInstalled(QStringLiteral("the install was canceled"));
    }
    if (const Result finished = plan.finish(); !finished.ok) {
        // Without a car the archive is no install to refuse: the message says what a car is.
        if (plan.cars().isEmpty())
            return line(finished.message);
        return notInstalled(finished.message);
    }
    if (const ResultOf<FileSystem::DiskSpace> space = FileSystem::SpaceOf(mContext.carsFolder);
        space && plan.bytes() > space->free - Reserve(*space))
        return notInstalled(
            QStringLiteral("it needs %1, and the disk of the cars folder has %2 "
                           "free, of which %3 stay free for the game")
                .arg(DataSize(plan.bytes()), DataSize(space->free), DataSize(Reserve(*space))));
    if (plan.bytes() > InstallPlan::kMaxBytes)
        return notInstalled(QStringLiteral("it unpacks to %1, more than any car holds")
                                .arg(DataSize(plan.bytes())));

    Result made;
    const std::unique_ptr<InstallFolders::Unpacking> unpacking =
        InstallFolders::Unpacking::Create(mContext.carsFolder, &made);
    if (!unpacking)
        return notInstalled(made.message);
    const QString& staging = unpacking->path();
    if (const Result moves = InstallFolders::MovesFolders(staging); !moves.ok)
        return notInstalled(moves.message);

    const QList<Arrival> arrivals =
        Arrivals::Wanted(plan, sourceName, mCars, mContext.carsFolder, &mLines);
    if (arrivals.isEmpty())
        return;
    Result unpacked = unpack(*source, plan, arrivals, staging);
    // Nothing takes an installed car's place before every car is whole on disk.
    for (const Arrival& arrival : arrivals) {
        if (unpacked.ok)
            unpacked = plan.checkUnpacked(arrival.car,
                                          FileNames::Join(staging, QString::number(arrival.car)));
    }
    if (unpacked.ok)
        unpacked = FileSystem::FlushTree(staging);
    if (!unpacked.ok)
        return notInstalled(unpacked.message + QStringLiteral("; nothing of it was kept"));
    arrive(sourceName, arrivals, *unpacking);
    if (const Result removed = unpacking->remove(); !removed.ok)
        line(QStringLiteral("The hidden folder %1 could not be removed: %2. Torvane removes it "
                            "when it next starts.")
                 .arg(Quoted(FileName(staging)), removed.message));
    for (const QString& left : plan.leftOut())
        line(QStringLiteral("Left out of %1: %2.").arg(Quoted(sourceName), left));
}

} // namespace

Report Install(const QStringList& paths, const CarContext& context, const Progress& progress)
{
    Report report;
    if (!FileSystem::StatusOf(context.carsFolder).folder) {
        report.text = QStringLiteral("Nothing was installed: the Drovak car directory '%1' "
                                     "cannot be found. Choose the game's folder in Tools, Options.")
                          .arg(FileSystem::ForMessage(context.carsFolder));
        return report;
    }
    // Installs take turns, so that each sees the cars the one before brought.
    FileSystem::FolderHold turn(context.carsFolder);
    while (turn.state() == FileSystem::FolderHold::State::Busy) {
        if (progress && !progress(Stage::Waiting, 0, 0)) {
            report.canceled = true;
            report.text = QStringLiteral("Nothing was installed: the install was canceled.");
            return report;
        }
        QThread::msleep(50);
        turn.tryAgain();
    }
    if (turn.state() == FileSystem::FolderHold::State::Failed) {
        report.text = QStringLiteral("Nothing was installed: the cars folder '%1' cannot be "
                                     "locked for the install: %2.")
                          .arg(FileSystem::ForMessage(context.carsFolder), turn.reason());
        return report;
    }
    // Before the cars are listed: a car may be put back.
    const QStringList recovered = InstallFolders::Recover(context.carsFolder);
    Installer installer(context, progress, &report);
    installer.mLines = recovered;
    for (const QString& path : paths) {
        if (report.canceled)
            break;
        installer.install(path);
    }
    report.text = installer.mLines.join(QLatin1Char('\n'));
    return report;
}

QString Recover(const QString& carsFolder)
{
    return InstallFolders::Recover(carsFolder).join(QLatin1Char('\n'));
}

} // namespace modInstallCar
