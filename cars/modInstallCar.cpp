#include "cars/modInstallCar.h"

#include "cars/CarContext.h"
#include "cars/InstallFolders.h"
#include "cars/InstallPlan.h"
#include "cars/InstalledCars.h"
#include "cars/modFolderNames.h"
#include "platform/ArchiveReader.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/FolderSource.h"
#include "platform/MsgBox.h"

#include <QHash>
#include <QLocale>
#include <QScopeGuard>
#include <QSet>

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

// A car of the plan on its way into the cars folder.
struct Arrival
{
    int car = -1;       // in the plan
    QString folderName; // the name it gets
    QString replacing;  // the installed folder it takes the place of, by its own spelling
};

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
    bool wanted(const InstallPlan& plan, const QString& sourceName, QList<Arrival>* arrivals);
    Result unpack(EntrySource& source, const InstallPlan& plan, const QList<Arrival>& arrivals,
                  const QString& staging);
    void arrive(const QString& sourceName, const QList<Arrival>& arrivals, const QString& staging);
    // The first reading only checks: the bar shows the unpacking.
    bool keepGoing(const EntrySource& source, bool unpacking = true)
    {
        if (mProgress && !mProgress(unpacking ? source.position() : 0, source.size()))
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

bool Installer::wanted(const InstallPlan& plan, const QString& sourceName, QList<Arrival>* arrivals)
{
    QSet<QString> taken;
    for (int i = 0; i < plan.cars().size(); ++i) {
        const QString name = plan.cars()[i].folderName;
        const QString folded = FileNames::Folded(name);
        const QString car = QStringLiteral("%1 from %2").arg(Quoted(name), Quoted(sourceName));
        if (const QString fault = modFolderNames::FolderNameFault(name); !fault.isEmpty()) {
            line(QStringLiteral("Skipped %1: %2").arg(car, fault));
            continue;
        }
        if (taken.contains(folded)) {
            line(QStringLiteral("Skipped %1: a car of that name came with it already.").arg(car));
            continue;
        }
        Arrival arrival{i, name, {}};
        if (const FileSystem::Entry* there = mCars.find(name)) {
            if (!there->isDir) {
                line(QStringLiteral("Skipped %1: a file of that name is in the cars folder.")
                         .arg(car));
                continue;
            }
            if (mCars.isStandard(there->name)) {
                line(QStringLiteral("Skipped %1: %2 is a standard car of the game, which is "
                                    "never replaced.")
                         .arg(car, Quoted(there->name)));
                continue;
            }
            const MsgBox::Answer answer = MsgBox::Show(
                QStringLiteral("A car named '%1' is already installed. Replace it? Its files will "
                               "be PERMANENTLY deleted!")
                    .arg(FileSystem::Shown(there->name)),
                MsgBox::Icon::Question, QString(), MsgBox::Buttons::YesNo);
            if (answer != MsgBox::Answer::Yes) {
                line(QStringLiteral("Skipped %1: the installed car was kept.").arg(car));
                continue;
            }
            arrival.folderName = there->name;
            arrival.replacing = there->name;
        }
        taken.insert(folded);
        arrivals->append(arrival);
    }
    return !arrivals->isEmpty();
}

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
    const qint64 allowed =
        qMin(InstallPlan::kMaxBytes,
             FileSystem::FreeBytes(mContext.carsFolder).value_or(InstallPlan::kMaxBytes));
    qint64 written = 0;
    QSet<QString> folders;
    QByteArray buffer(kBlock, Qt::Uninitialized);
    EntrySource::Entry entry;
    QString reason;
    for (;;) {
        const EntrySource::Step step = source.next(&entry, &reason);
        if (step == EntrySource::Step::End)
            return Result::Success();
        if (step == EntrySource::Step::Failed)
            return Result::Failure(reason);
        if (!keepGoing(source))
            return Result::Failure(QStringLiteral("the install was canceled"));
        const InstallPlan::Place place = plan.placeOf(entry);
        const auto carFolder = carFolders.constFind(place.car);
        if (carFolder == carFolders.constEnd() ||
            (entry.kind != EntrySource::Kind::File && entry.kind != EntrySource::Kind::Folder))
            continue;
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
            got = source.read(buffer.data(), buffer.size(), &reason);
            if (got < 0)
                return failed(reason);
            if (got == 0)
                break;
            written += got;
            if (written > allowed)
                return Result::Failure(
                    QStringLiteral("it unpacks to more than %1, more than the disk of the cars "
                                   "folder can take or than any car holds")
                        .arg(DataSize(allowed)));
            step2 = file.write(QByteArrayView(buffer.constData(), got));
            if (step2.ok && !keepGoing(source))
                return Result::Failure(QStringLiteral("the install was canceled"));
        }
        if (step2.ok)
            step2 = file.close();
        if (!step2.ok)
            return failed(step2.message);
    }
}

void Installer::arrive(const QString& sourceName, const QList<Arrival>& arrivals,
                       const QString& staging)
{
    for (const Arrival& arrival : arrivals) {
        const QString unpacked = FileNames::Join(staging, QString::number(arrival.car));
        const QString target = FileNames::Join(mContext.carsFolder, arrival.folderName);
        const QString car =
            QStringLiteral("%1 from %2").arg(Quoted(arrival.folderName), Quoted(sourceName));
        const Result moved = arrival.replacing.isEmpty()
                                 ? FileSystem::RenameNew(unpacked, target)
                                 : FileSystem::ExchangeNames(unpacked, target);
        if (!moved.ok) {
            line(QStringLiteral("Could not install %1: %2").arg(car, moved.message));
            continue;
        }
        mReport->installed.append(arrival.folderName);
        if (arrival.replacing.isEmpty()) {
            line(QStringLiteral("Installed %1.").arg(car));
            continue;
        }
        // The old car is now where the new one was unpacked, and goes with the rest.
        const Result removed = FileSystem::RemoveTree(staging, QString::number(arrival.car));
        line(removed.ok ? QStringLiteral("Replaced %1.").arg(car)
                        : QStringLiteral("Replaced %1, but not all of the old car's files "
                                         "could be deleted: %2")
                              .arg(car, removed.message));
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
    const bool folder = FileSystem::StatusOf(path).folder && !FileSystem::StatusOf(path).link;
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
    QString reason;
    for (;;) {
        const EntrySource::Step step = source->next(&entry, &reason);
        if (step == EntrySource::Step::Failed)
            return notInstalled(reason);
        if (step == EntrySource::Step::End || !plan.add(entry) || !keepGoing(*source, false))
            break;
    }
    if (mReport->canceled)
        return notInstalled(QStringLiteral("the install was canceled"));
    if (!plan.finish()) {
        if (plan.cars().isEmpty() && plan.refusal().message.startsWith(QLatin1String("No car")))
            return line(plan.refusal().message);
        return notInstalled(plan.refusal().message);
    }
    const std::optional<qint64> free = FileSystem::FreeBytes(mContext.carsFolder);
    if (free && plan.bytes() > *free)
        return notInstalled(QStringLiteral("it needs %1, and the disk of the cars folder has %2 "
                                           "free")
                                .arg(DataSize(plan.bytes()), DataSize(*free)));
    if (plan.bytes() > InstallPlan::kMaxBytes)
        return notInstalled(QStringLiteral("it unpacks to %1, more than any car holds")
                                .arg(DataSize(plan.bytes())));

    Result made;
    const QString stagingName = InstallFolders::Create(mContext.carsFolder, &made);
    if (!made.ok)
        return notInstalled(made.message);
    const auto removeStaging =
        qScopeGuard([&] { (void)FileSystem::RemoveTree(mContext.carsFolder, stagingName); });
    const QString staging = FileNames::Join(mContext.carsFolder, stagingName);
    if (const Result moves = InstallFolders::MovesFolders(staging); !moves.ok)
        return notInstalled(moves.message);

    QList<Arrival> arrivals;
    if (!wanted(plan, sourceName, &arrivals))
        return;
    Result unpacked = unpack(*source, plan, arrivals, staging);
    if (unpacked.ok)
        unpacked = FileSystem::FlushTree(staging);
    if (!unpacked.ok)
        return notInstalled(unpacked.message + QStringLiteral("; nothing of it was kept"));
    arrive(sourceName, arrivals, staging);
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
    // Two installs at once take turns, so that neither takes the other's unpacking for a
    // leftover.
    const FileSystem::FolderLock lock(FileNames::Join(context.carsFolder, InstallFolders::kPrefix));
    for (const FileSystem::Entry& entry : FileNames::ListEntries(context.carsFolder)) {
        if (InstallFolders::IsUnpacking(entry.name))
            (void)FileSystem::RemoveTree(context.carsFolder, entry.name);
    }
    Installer installer(context, progress, &report);
    for (const QString& path : paths) {
        if (report.canceled)
            break;
        installer.install(path);
    }
    report.text = installer.mLines.join(QLatin1Char('\n'));
    return report;
}

} // namespace modInstallCar
