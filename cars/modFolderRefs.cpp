#include "cars/modFolderRefs.h"

#include "cars/ParamsPaths.h"
#include "platform/Cp1252.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"

namespace modFolderRefs {

namespace {

using FileSystem::Entry;

// What a fix would change, worked out from one reading of the car's folder and parameters.txt.
struct Plan
{
    Result read;        // parameters.txt found and read
    QString parameters; // the files' paths, in the spelling they have
    QString backup;
    QByteArray bytes;
    QStringList others;               // the other folders, as first written
    QList<ParamsPaths::Span> renamed; // where the file names them, in file order
    QByteArray own;                   // the car's folder as its text names it
};

// True when the names of path from `from` on lead to a plain file inside folder, whose entries
// are given, as Wine finds them.
bool IsFileIn(QString folder, QList<Entry> entries, const ParamsPaths::Path& path, qsizetype from)
{
    for (qsizetype i = from;; ++i) {
        const Entry* entry = ParamsPaths::Find(entries, path.name(i));
        if (!entry || i + 1 == path.names.size())
            return entry && entry->isFile;
        if (!entry->isDir)
            return false;
        folder = FileNames::Join(folder, entry->name);
        entries = FileSystem::List(folder).value_or({});
    }
}

Plan Planned(const QString& carsFolder, const QString& directoryName)
{
    Plan plan;
    const QString carFolder = FileNames::Join(carsFolder, directoryName);
    const QList<Entry> entries = FileSystem::List(carFolder).value_or({});
    const Entry* parameters = ParamsPaths::Find(entries, u"parameters.txt");
    if (!parameters || !parameters->isFile) {
        plan.read = Result::Failure(QStringLiteral("There is no parameters.txt in %1.")
                                        .arg(FileSystem::ForMessage(carFolder)));
        return plan;
    }
    plan.parameters = FileNames::Join(carFolder, parameters->name);
    const Entry* backup = ParamsPaths::Find(entries, u"parameters.bak");
    plan.backup =
        FileNames::Join(carFolder, backup ? backup->name : QStringLiteral("parameters.bak"));
    ResultOf<QByteArray> bytes = FileSystem::ReadPlainFile(plan.parameters);
    if (!bytes) {
        plan.read =
            Result::Failure(QStringLiteral("Cannot read %1:\n%2.")
                                .arg(FileSystem::ForMessage(plan.parameters), bytes.message));
        return plan;
    }
    plan.read = Result::Success();
    plan.bytes = std::move(*bytes);
    // A name the file cannot spell would become "?" in it: a name no file opens.
    if (FileSystem::CarriesBytes(directoryName) || !Cp1252::CanEncode(directoryName))
        return plan;
    plan.own = Cp1252::FromUnicode(directoryName);

    const qsizetype separator = carsFolder.lastIndexOf(QLatin1Char('/'));
    const QString carsName = carsFolder.sliced(separator + 1);
    const QList<Entry> game =
        FileSystem::List(carsFolder.left(qMax<qsizetype>(separator, 1))).value_or({});
    QStringList keys;
    for (const ParamsPaths::Path& path : ParamsPaths::Paths(plan.bytes)) {
        if (path.names.size() < 3)
            continue;
        const Entry* cars = ParamsPaths::Find(game, path.name(0));
        if (!cars || !cars->isDir || cars->name != carsName ||
            path.name(1).compare(directoryName, Qt::CaseInsensitive) == 0)
            continue;
        // The car may use another car's files on purpose: only a copy that holds them all is
        // meant to name itself.
        if (!IsFileIn(carFolder, entries, path, 2)) {
            plan.others.clear();
            return plan;
        }
        const QString key = ParamsPaths::Key(path.name(1));
        if (!keys.contains(key)) {
            keys.append(key);
            plan.others.append(path.name(1).toString());
        }
        plan.renamed.append({path.begin + path.names[1].begin, path.names[1].size});
    }
    return plan;
}

QString Listed(const QStringList& folders)
{
    QStringList written;
    for (const QString& folder : folders)
        written.append(QStringLiteral("cars\\%1\\").arg(folder));
    const QString last = written.takeLast();
    return written.isEmpty() ? last : written.join(QStringLiteral(", ")) + " and " + last;
}

} // namespace

QStringList Fixable(const QString& carsFolder, const QString& directoryName)
{
    return Planned(carsFolder, directoryName).others;
}

Fixed Fix(const QString& carsFolder, const QString& directoryName)
{
    const Plan plan = Planned(carsFolder, directoryName);
    if (!plan.read.success())
        return {plan.read, {}};
    if (plan.others.isEmpty())
        return {Result::Failure(QStringLiteral("Nothing was changed: parameters.txt of %1 names "
                                               "no other car folder whose files it holds.")
                                    .arg(FileSystem::Shown(directoryName))),
                {}};
    QByteArray fixed;
    fixed.reserve(plan.bytes.size() + plan.renamed.size() * plan.own.size());
    qsizetype from = 0;
    for (const ParamsPaths::Span& name : plan.renamed) {
        fixed.append(QByteArrayView(plan.bytes).sliced(from, name.begin - from)).append(plan.own);
        from = name.begin + name.size;
    }
    fixed.append(QByteArrayView(plan.bytes).sliced(from));

    const QString leftAsItWas = QStringLiteral("\nparameters.txt was left as it was.");
    const Result copied = FileSystem::CopyFile(plan.parameters, plan.backup);
    if (!copied.success())
        return {Result::Failure(QStringLiteral("Cannot copy %1 to %2:\n%3.")
                                    .arg(FileSystem::ForMessage(plan.parameters),
                                         FileSystem::ForMessage(plan.backup), copied.message) +
                                leftAsItWas),
                {}};
    // The copy is the file the fix was worked out from, or the player's edit in between is kept
    // nowhere.
    if (FileSystem::ReadPlainFile(plan.backup).value_or({}) != plan.bytes)
        return {Result::Failure(QStringLiteral("Cannot keep a whole copy of %1:\nthe copy differs "
                                               "from the file.")
                                    .arg(FileSystem::ForMessage(plan.parameters)) +
                                leftAsItWas),
                {}};
    const Result written = FileSystem::ReplaceFile(plan.parameters, fixed);
    if (!written.success())
        return {Result::Failure(QStringLiteral("Cannot write %1:\n%2.")
                                    .arg(FileSystem::ForMessage(plan.parameters), written.message) +
                                leftAsItWas),
                {}};
    const qsizetype n = plan.renamed.size();
    const QString name = plan.parameters.sliced(plan.parameters.lastIndexOf(QLatin1Char('/')) + 1);
    return {Result::Success(),
            QStringLiteral("Changed %1 %2 in %3 from %4 to cars\\%5\\. The file as it was is kept "
                           "as %6.")
                .arg(QString::number(n), n == 1 ? "reference" : "references", name,
                     Listed(plan.others), directoryName,
                     plan.backup.sliced(plan.backup.lastIndexOf(QLatin1Char('/')) + 1))};
}

} // namespace modFolderRefs
