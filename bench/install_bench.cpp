// Times installing a car from a zip archive against the plainest unpacking that reaches the
// disk: bsdtar unpacking the same archive, followed by sync.
//
//   install_bench [--megabytes 20] [--files 200] [--runs 5] [--dir PATH] [--tar-gz] [--check]
//
// It makes a game folder and a zip of one car (parameters.txt and files of mixed sizes, most
// of them bytes that do not compress, as bitmaps and textures are) in a temporary folder inside
// PATH (the system's temporary folder by default), so that both unpack to the same disk. Each
// round, after one warm-up round, times one install and one bsdtar -xf + sync, each into an
// emptied folder after everything before it is on disk. With --tar-gz the archive is a tar.gz,
// whose stream the install also checks to its end. It prints the medians, their ratio
// and how many times each waited (for the disk, mostly). It fails when an install installs
// nothing or differs from what bsdtar unpacks; with --check, also when the install takes more
// than 1.5 times as long.

#include "app/cSettings.h"
#include "app/modMain.h"
#include "cars/cCarsFolder.h"
#include "cars/install/modInstallCar.h"
#include "platform/FileSystem.h"
#include "platform/MsgBox.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QThread>

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kMostRatio = 1.5;
const QString kCar = QStringLiteral("fastcar");

class QuietBoxes : public MsgBox::Presenter
{
public:
    MsgBox::Answer present(const MsgBox::Box& box) override
    {
        // The cars folder is emptied before every install: nothing is there to ask about.
        std::fprintf(stderr, "unexpected box: %s\n", qPrintable(box.text));
        shown = true;
        return MsgBox::Answer::No;
    }
    bool shown = false;
};

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// A program folder with torvane.ini and a game folder with an empty cars folder, as the
// program is given them.
void MakeWorld(const QString& root)
{
    QDir(root).mkpath(QStringLiteral("program"));
    QDir(root).mkpath(QStringLiteral("game/cars"));
    WriteFile(root + QStringLiteral("/program/torvane.ini"),
              "[Directories]\r\nEXEPath=\r\n[Classify]\r\nrc=original\r\n[Names]\r\n"
              "rc=RC Sprinter\r\n");
    modMain::SetAppPath(root + QStringLiteral("/program"));
    modMain::gSettings().LoadSettings();
    modMain::gSettings().setDrovakDir(root + QStringLiteral("/game"));
}

// Bytes a model file might hold: lines of numbers, which compress about fourfold.
QByteArray Compressible(qint64 size, QRandomGenerator& random)
{
    QByteArray bytes;
    bytes.reserve(size + 64);
    while (bytes.size() < size)
        bytes += "v " + QByteArray::number(random.bounded(-500, 500)) + ' ' +
                 QByteArray::number(random.bounded(0, 300)) + ' ' +
                 QByteArray::number(random.bounded(-900, 900)) + "\r\n";
    bytes.truncate(size);
    return bytes;
}

QByteArray Incompressible(qint64 size, QRandomGenerator& random)
{
    QByteArray bytes(size + 3, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
    bytes.truncate(size);
    return bytes;
}

struct Archive
{
    int files = 0;
    qint64 bytes = 0; // unpacked
};

// A zip (or a tar.gz) of one car folder: parameters.txt and files of sizes spread evenly on a log
// scale from 1 KB to 1 MB, then scaled to make up the total; every tenth one compresses.
Archive MakeArchive(const QString& path, qint64 total, int files, bool tarGz)
{
    QRandomGenerator random(20);
    std::vector<double> weights;
    double sum = 0;
    for (int i = 0; i < files; ++i) {
        weights.push_back(std::pow(2.0, 10.0 + 10.0 * random.generateDouble()));
        sum += weights.back();
    }

    archive* a = archive_write_new();
    if (tarGz) {
        archive_write_set_format_gnutar(a);
        archive_write_add_filter_gzip(a);
    } else {
        archive_write_set_format_zip(a);
    }
    if (archive_write_open_filename(a, QFile::encodeName(path).constData()) != ARCHIVE_OK)
        qFatal("cannot write %s: %s", qPrintable(path), archive_error_string(a));
    Archive made;
    const auto add = [&](const QString& name, const QByteArray& data, bool folder) {
        archive_entry* entry = archive_entry_new();
        archive_entry_copy_pathname(entry, (kCar + QLatin1Char('/') + name).toUtf8().constData());
        archive_entry_set_filetype(entry, folder ? AE_IFDIR : AE_IFREG);
        archive_entry_set_perm(entry, folder ? 0755 : 0644);
        archive_entry_set_mtime(entry, 1700000000, 0);
        archive_entry_set_size(entry, data.size());
        if (archive_write_header(a, entry) != ARCHIVE_OK ||
            archive_write_data(a, data.constData(), size_t(data.size())) != data.size())
            qFatal("cannot write %s: %s", qPrintable(path), archive_error_string(a));
        archive_entry_free(entry);
        if (!folder) {
            ++made.files;
            made.bytes += data.size();
        }
    };
    add(QString(), {}, true);
    add(QStringLiteral("parameters.txt"),
        "Name\t\t\"Fast Car\"\r\nModel\t0\t\"cars\\fastcar\\body.prm\"\r\n", false);
    for (int i = 0; i < files; ++i) {
        const qint64 size = qMax<qint64>(1, qint64(weights[size_t(i)] / sum * double(total)));
        if (i % 10 == 0)
            add(QStringLiteral("body%1.prm").arg(i, 3, 10, QLatin1Char('0')),
                Compressible(size, random), false);
        else
            add(QStringLiteral("tex%1.bmp").arg(i, 3, 10, QLatin1Char('0')),
                Incompressible(size, random), false);
    }
    if (archive_write_close(a) != ARCHIVE_OK)
        qFatal("cannot write %s: %s", qPrintable(path), archive_error_string(a));
    archive_write_free(a);
    return made;
}

// Runs the program to its end; false, with why on standard error, when it could not be
// started or did not succeed.
bool Run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                     process.error() == QProcess::FailedToStart
                         ? "it cannot be started (Debian has it in libarchive-tools)"
                         : qPrintable(QStringLiteral("exit code %1").arg(process.exitCode())));
        return false;
    }
    return true;
}

// Every file under folder, by its name inside it, with a hash of its bytes.
QMap<QString, QByteArray> Tree(const QString& folder)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        QCryptographicHash hash(QCryptographicHash::Sha1);
        if (file.open(QIODevice::ReadOnly))
            hash.addData(&file);
        tree.insert(path.mid(folder.size() + 1), hash.result());
    }
    return tree;
}

struct Work
{
    std::function<void()> setUp; // not timed
    std::function<void()> run;
};

// The times a process gave up its core to wait, for the disk mostly, its children's included
// once they have ended. On a busy machine each wait ends with another wait, for a free core.
long Waits()
{
    rusage self{}, children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    return self.ru_nvcsw + children.ru_nvcsw;
}

struct Runs
{
    std::vector<double> seconds; // sorted
    std::vector<long> waits;     // sorted

    double median() const { return seconds[seconds.size() / 2]; }
    long medianWaits() const { return waits[waits.size() / 2]; }
};

// The runs of several pieces of work, taken in turn so that the machine's changing load falls
// on each alike; each round starts with a different piece.
std::vector<Runs> Interleaved(int runs, const std::vector<Work>& work)
{
    const size_t n = work.size();
    std::vector<Runs> taken(n);
    for (int r = -1; r < runs; ++r) {
        for (size_t k = 0; k < n; ++k) {
            const size_t w = (size_t(r + 1) + k) % n;
            if (work[w].setUp)
                work[w].setUp();
            const long waits = Waits();
            QElapsedTimer timer;
            timer.start();
            work[w].run();
            if (r >= 0) { // the first round warms up
                taken[w].seconds.push_back(timer.nsecsElapsed() / 1e9);
                taken[w].waits.push_back(Waits() - waits);
            }
        }
    }
    for (Runs& t : taken) {
        std::sort(t.seconds.begin(), t.seconds.end());
        std::sort(t.waits.begin(), t.waits.end());
    }
    return taken;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QuietBoxes boxes;
    MsgBox::SetPresenter(&boxes);

    int megabytes = 20;
    int files = 200;
    int runs = 5;
    bool check = false;
    bool tarGz = false;
    QString dir = QDir::tempPath();
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--check"))
            check = true;
        else if (args[i] == QLatin1String("--tar-gz"))
            tarGz = true;
        else if (args[i] == QLatin1String("--megabytes") && i + 1 < args.size())
            megabytes = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--files") && i + 1 < args.size())
            files = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--dir") && i + 1 < args.size())
            dir = args[++i];
    }

    QTemporaryDir root(dir + QStringLiteral("/install_bench-XXXXXX"));
    if (!root.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder in %s: %s\n", qPrintable(dir),
                     qPrintable(root.errorString()));
        return 1;
    }
    MakeWorld(root.path());
    const QString cars = modMain::gSettings().CarDir();
    const QString zip =
        root.filePath(tarGz ? QStringLiteral("fastcar.tar.gz") : QStringLiteral("fastcar.zip"));
    const Archive content = MakeArchive(zip, qint64(megabytes) << 20, files, tarGz);
    // bsdtar unpacks into a folder beside the installed car, in the same cars folder.
    const QString unpackedName = QStringLiteral("unpacked-by-bsdtar");
    const QString unpacked = cars + QLatin1Char('/') + unpackedName;

    QFile loadFile(QStringLiteral("/proc/loadavg"));
    const QByteArray load = loadFile.open(QIODevice::ReadOnly)
                                ? loadFile.readAll().split(' ').front()
                                : QByteArrayLiteral("unknown");
    const QStorageInfo disk(root.path());
    std::printf("%d files, %.1f MB in %s (a %.1f MB archive); unpacked in %s, on %s (%s); load %s "
                "on %d cores\n",
                content.files, content.bytes / 1048576.0, qPrintable(kCar),
                QFileInfo(zip).size() / 1048576.0, qPrintable(cars), disk.device().constData(),
                disk.fileSystemType().constData(), load.constData(), QThread::idealThreadCount());

    // Each run starts from an empty cars folder with nothing left to write back, so that no
    // run pays for the removal of the one before.
    const auto empty = [&] {
        for (const QString& name : {kCar, unpackedName}) {
            if (QFileInfo::exists(cars + QLatin1Char('/') + name) &&
                !FileSystem::RemoveTree(cars, name).ok)
                qFatal("cannot remove %s", qPrintable(name));
        }
        sync();
    };
    bool failed = false;
    const auto install = [&] {
        const modInstallCar::Report report = cCarsFolder(modMain::gSettings()).Install({zip});
        if (report.installed != QStringList{kCar}) {
            std::fprintf(stderr, "the install installed %s:\n%s\n",
                         report.installed.isEmpty() ? "nothing"
                                                    : qPrintable(report.installed.join(", ")),
                         qPrintable(report.text));
            failed = true;
        }
    };
    const auto makeUnpacked = [&] {
        if (!QDir().mkdir(unpacked))
            qFatal("cannot make %s", qPrintable(unpacked));
    };
    const auto emptyForBsdtar = [&] {
        empty();
        makeUnpacked();
    };
    const auto bsdtar = [&] {
        if (!Run(QStringLiteral("bsdtar"),
                 {QStringLiteral("-xf"), zip, QStringLiteral("-C"), unpacked}) ||
            !Run(QStringLiteral("sync"), {}))
            failed = true;
    };
    sync(); // the archive just written must not be written back while timing
    const std::vector<Runs> t = Interleaved(runs, {{empty, install}, {emptyForBsdtar, bsdtar}});

    // The install must leave the very files bsdtar unpacks.
    empty();
    install();
    makeUnpacked();
    bsdtar();
    if (!failed &&
        Tree(cars + QLatin1Char('/') + kCar) != Tree(unpacked + QLatin1Char('/') + kCar)) {
        std::fprintf(stderr, "the installed car differs from what bsdtar unpacks\n");
        failed = true;
    }
    empty();
    if (failed || boxes.shown)
        return 1;

    const double ratio = t[0].median() / t[1].median();
    std::printf("%d runs each, from %.3f to %.3f s and from %.3f to %.3f s; waits, mostly for "
                "the disk (medians): install %ld, bsdtar -xf + sync %ld\n",
                runs, t[0].seconds.front(), t[0].seconds.back(), t[1].seconds.front(),
                t[1].seconds.back(), t[0].medianWaits(), t[1].medianWaits());
    std::printf("install %.3f s, bsdtar -xf + sync %.3f s, ratio %.2f (at most %.1f)\n",
                t[0].median(), t[1].median(), ratio, kMostRatio);
    if (check && ratio > kMostRatio) {
        std::printf("the install takes more than %.1f times as long\n", kMostRatio);
        return 2;
    }
    return 0;
}
