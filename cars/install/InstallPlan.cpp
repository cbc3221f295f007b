#include "cars/install/InstallPlan.h"

#include "platform/Cp1252.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <numeric>

namespace {

const QString kParameters = QStringLiteral("parameters.txt");

QString Text(QByteArrayView name)
{
    return FileSystem::IsUtf8(name) ? QString::fromUtf8(name) : Cp1252::ToUnicode(name);
}

QString Quoted(const QString& path)
{
    return QLatin1Char('\'') + path + QLatin1Char('\'');
}

// Where a link's target leads from its folder, or false when it leads above the folder
// `within`: absolute, or out through "..".
bool StaysWithin(const QStringList& linkFolder, const QByteArray& target, qsizetype within)
{
    if (target.startsWith('/') || target.startsWith('\\') ||
        (target.size() >= 2 && target[1] == ':'))
        return false;
    qsizetype depth = linkFolder.size();
    for (const QByteArray& name : target.split('/')) {
        for (const QByteArray& part : name.split('\\')) {
            if (part == "..")
                --depth;
            else if (!part.isEmpty() && part != ".")
                ++depth;
            if (depth < within)
                return false;
        }
    }
    return true;
}

} // namespace

InstallPlan::InstallPlan(const QString& sourceName) : mSourceName(sourceName) {}

ResultOf<QStringList> InstallPlan::Names(const QByteArray& name)
{
    using Parsed = ResultOf<QStringList>;
    QStringList names;
    qsizetype from = 0;
    const bool absolute =
        name.startsWith('/') || name.startsWith('\\') || (name.size() >= 2 && name[1] == ':');
    for (qsizetype i = 0; i <= name.size() && !absolute; ++i) {
        if (i < name.size() && name[i] != '/' && name[i] != '\\')
            continue;
        const QByteArrayView part = QByteArrayView(name).sliced(from, i - from);
        from = i + 1;
        if (part == "..")
            return Parsed::Failure(
                QStringLiteral("the entry %1 climbs out of its folder with \"..\"")
                    .arg(Quoted(Text(name))));
        if (!part.isEmpty() && part != ".")
            names.append(Text(part));
    }
    if (absolute)
        return Parsed::Failure(
            QStringLiteral("the entry %1 has an absolute name").arg(Quoted(Text(name))));
    return Parsed::Success(std::move(names));
}

QString InstallPlan::WithoutExtensions(const QString& fileName)
{
    static const QStringList extensions{QStringLiteral(".zip"), QStringLiteral(".7z"),
                                        QStringLiteral(".rar"), QStringLiteral(".tar"),
                                        QStringLiteral(".gz"),  QStringLiteral(".tgz"),
                                        QStringLiteral(".xz"),  QStringLiteral(".bz2")};
    QString name = fileName;
    for (bool cut = true; cut;) {
        cut = false;
        for (const QString& extension : extensions) {
            if (name.size() > extension.size() && name.endsWith(extension, Qt::CaseInsensitive)) {
                name.chop(extension.size());
                cut = true;
            }
        }
    }
    return name;
}

Result InstallPlan::add(const EntrySource::Entry& entry)
{
    if (++mEntries > kMaxEntries)
        return Result::Failure(QStringLiteral("it holds more than %1 entries").arg(kMaxEntries));
    if (entry.encrypted)
        return Result::Failure(
            QStringLiteral("the entry %1 is encrypted, and Torvane cannot unpack "
                           "encrypted archives")
                .arg(Quoted(Text(entry.name))));
    const ResultOf<QStringList> parsed = Names(entry.name);
    if (!parsed)
        return parsed;
    const QStringList& names = *parsed;
    if (names.isEmpty())
        return Result::Success();
    const QString path = names.join(QLatin1Char('/'));
    if (entry.kind == EntrySource::Kind::HardLink) {
        if (const ResultOf<QStringList> target = Names(entry.target); !target)
            return Result::Failure(QStringLiteral("the hard link %1 points at another entry: %2")
                                       .arg(Quoted(path), target.message));
    }
    if (entry.kind == EntrySource::Kind::Link)
        mLinks.insert(path);
    if (entry.kind == EntrySource::Kind::File && FileNames::NameKey(names.last()) == kParameters) {
        const QString folder = path.left(qMax<qsizetype>(0, path.size() - names.last().size() - 1));
        if (!mCarFolderSet.contains(folder)) {
            mCarFolderSet.insert(folder);
            mCarFolders.append(folder);
        }
    }
    mSeen.append({path, entry.kind, entry.target, qMax<qint64>(0, entry.size)});
    return Result::Success();
}

int InstallPlan::carOf(const QStringList& names, qsizetype* depth) const
{
    if (mCarIndex.contains(QString())) {
        *depth = 0;
        return 0;
    }
    QString prefix;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (i > 0)
            prefix += QLatin1Char('/');
        prefix += names[i];
        const auto found = mCarIndex.constFind(prefix);
        if (found != mCarIndex.constEnd()) {
            *depth = i + 1;
            return *found;
        }
    }
    return -1;
}

Result InstallPlan::finish()
{
    // A folder holding parameters.txt inside another car is one of that car's folders, in
    // whatever order the archive lists them: the outer folders are taken first.
    QList<qsizetype> byDepth(mCarFolders.size());
    std::iota(byDepth.begin(), byDepth.end(), 0);
    const auto depthOf = [this](qsizetype i) {
        return mCarFolders[i].isEmpty() ? -1 : mCarFolders[i].count(QLatin1Char('/'));
    };
    std::stable_sort(byDepth.begin(), byDepth.end(),
                     [&](qsizetype a, qsizetype b) { return depthOf(a) < depthOf(b); });
    QSet<QString> outer;
    for (const qsizetype i : std::as_const(byDepth)) {
        const QString& folder = mCarFolders[i];
        const QStringList names = folder.isEmpty() ? QStringList() : folder.split(QLatin1Char('/'));
        qsizetype depth = 0;
        if (carOf(names, &depth) >= 0)
            continue;
        if (folder.isEmpty()) {
            mCars = {{WithoutExtensions(mSourceName), QString()}};
            mCarIndex = {{QString(), 0}};
            break;
        }
        mCarIndex.insert(folder, 0);
        outer.insert(folder);
    }
    // The cars in the order the archive met them.
    if (mCars.isEmpty()) {
        mCarIndex.clear();
        for (const QString& folder : std::as_const(mCarFolders)) {
            if (!outer.contains(folder))
                continue;
            mCarIndex.insert(folder, int(mCars.size()));
            mCars.append({folder.mid(folder.lastIndexOf(QLatin1Char('/')) + 1), folder});
        }
    }
    if (mCars.isEmpty())
        return Result::Failure(
            QStringLiteral("No car found in '%1': a car folder holds parameters.txt.")
                .arg(mSourceName));
    mFiles = QList<QStringList>(mCars.size());
    // Each path inside a car is a file once or a folder, never both: the disk holds one.
    QHash<QString, bool> isFolder;
    const auto clash = [&isFolder](const QString& path, bool folder) {
        const auto there = isFolder.constFind(path);
        if (there == isFolder.constEnd())
            isFolder.insert(path, folder);
        else if (!folder || !*there)
            return (folder == *there ? QStringLiteral("it holds %1 twice")
                                     : QStringLiteral("it holds %1 both as a file and as a folder"))
                .arg(Quoted(path));
        return QString();
    };
    QStringList outside;
    for (const Seen& seen : std::as_const(mSeen)) {
        const QStringList names = seen.path.split(QLatin1Char('/'));
        // Nothing may be written where the archive puts a link: the link is not made, and
        // what it stands for could be anywhere.
        if (!mLinks.isEmpty()) {
            QString prefix = names.first();
            for (qsizetype i = 1; i < names.size(); prefix += QLatin1Char('/') + names[i++]) {
                if (mLinks.contains(prefix))
                    return Result::Failure(
                        QStringLiteral("the entry %1 would be written through the link "
                                       "%2")
                            .arg(Quoted(seen.path), Quoted(prefix)));
            }
        }
        qsizetype depth = 0;
        const int car = carOf(names, &depth);
        if (seen.kind == EntrySource::Kind::Link &&
            !StaysWithin(names.mid(0, names.size() - 1), seen.target, car < 0 ? 0 : depth))
            return Result::Failure(QStringLiteral("the link %1 points out of its car, at %2")
                                       .arg(Quoted(seen.path), Quoted(Text(seen.target))));
        if (car < 0) {
            if (seen.kind != EntrySource::Kind::Folder)
                outside.append(seen.path);
            continue;
        }
        if (seen.kind == EntrySource::Kind::File || seen.kind == EntrySource::Kind::Folder) {
            QString clashes;
            for (qsizetype at = seen.path.indexOf(QLatin1Char('/')); at >= 0 && clashes.isEmpty();
                 at = seen.path.indexOf(QLatin1Char('/'), at + 1))
                clashes = clash(seen.path.left(at), true);
            if (clashes.isEmpty())
                clashes = clash(seen.path, seen.kind == EntrySource::Kind::Folder);
            if (!clashes.isEmpty())
                return Result::Failure(clashes);
        }
        switch (seen.kind) {
        case EntrySource::Kind::File:
            mBytes += seen.size;
            mFiles[car].append(names.mid(depth).join(QLatin1Char('/')));
            break;
        case EntrySource::Kind::Folder:
            break;
        case EntrySource::Kind::Link:
            mLeftOut.append(
                QStringLiteral("the link %1 (links are not installed)").arg(Quoted(seen.path)));
            break;
        case EntrySource::Kind::HardLink:
            mLeftOut.append(QStringLiteral("the hard link %1 (links are not installed)")
                                .arg(Quoted(seen.path)));
            break;
        case EntrySource::Kind::Other:
            mLeftOut.append(QStringLiteral("%1, a device or FIFO (these are not installed)")
                                .arg(Quoted(seen.path)));
            break;
        }
    }
    if (!outside.isEmpty())
        mLeftOut.append(QStringLiteral("%1 outside the car folders (%2%3)")
                            .arg(outside.size() == 1
                                     ? QStringLiteral("1 entry")
                                     : QStringLiteral("%1 entries").arg(outside.size()),
                                 Quoted(outside.first()),
                                 outside.size() > 1 ? QStringLiteral(", ...") : QString()));
    mSeen.clear();
    return Result::Success();
}

InstallPlan::Place InstallPlan::placeOf(const EntrySource::Entry& entry) const
{
    // The first reading refused any name that does not parse.
    QStringList names = Names(entry.name).value_or({});
    qsizetype depth = 0;
    const int car = names.isEmpty() ? -1 : carOf(names, &depth);
    if (car < 0)
        return {};
    names.remove(0, depth);
    return {car, names};
}

Result InstallPlan::checkUnpacked(int car, const QString& folder) const
{
    const ResultOf<QStringList> there = FileSystem::Folder(folder).ListTree();
    if (!there)
        return there;
    QSet<QString> found;
    for (const QString& path : *there)
        found.insert(FileNames::NameKey(path));
    // A car is a folder holding parameters.txt, whatever else the archive had for it.
    for (const QString& file : mFiles[car] + QStringList{kParameters}) {
        if (!found.contains(FileNames::NameKey(file)))
            return Result::Failure(
                QStringLiteral("%1 did not come out of it")
                    .arg(Quoted(mCars[car].folderName + QLatin1Char('/') + file)));
    }
    return Result::Success();
}
