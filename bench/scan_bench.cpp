// Times the car-list scan against the reading it cannot avoid, on generated game folders.
//
//   scan_bench [--cars 1000,10000,30000] [--runs 5] [--cold]
//
// For each size it makes a game folder in a temporary folder and prints the median of the
// runs, all sizes interleaved (after one warm-up round): the floor (list the cars folder, list each
// car folder once, read each carinfo.ini once) on one thread and on 8, the logic scan,
// RefreshCarList in a real main window, and one car selected by a click. The scan and
// RefreshCarList are also given divided by each floor. The CarChecks of every car, until its
// Runner has finished, are set against their own floor: each car folder listed, its
// carinfo.ini and parameters.txt read, on 8 threads. --cold drops the page cache before
// every timed run (which needs root); the click is always timed warm. Peak memory is the
// most the process held while timing, with a window for each size open.

#include "app/cSettings.h"
#include "app/modMain.h"
#include "bench/BenchWorld.h"
#include "cars/CarChecks.h"
#include "cars/cCarCollection.h"
#include "cars/cCarsFolder.h"
#include "platform/MsgBox.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace BenchWorld;

namespace {

void ReadFile(const QByteArray& path, std::vector<char>& buffer)
{
    const int fd = open(path.constData(), O_RDONLY);
    if (fd >= 0) {
        while (read(fd, buffer.data(), buffer.size()) > 0) {
        }
        close(fd);
    }
}

void ReadCar(const QByteArray& folder, bool parameters, std::vector<char>& buffer)
{
    if (DIR* car = opendir(folder.constData())) {
        while (readdir(car)) {
        }
        closedir(car);
    }
    ReadFile(folder + "/carinfo.ini", buffer);
    if (parameters)
        ReadFile(folder + "/parameters.txt", buffer);
}

// The reading a scan cannot avoid, with the system's own calls and nothing else, on one
// thread or shared out among several; with parameters.txt read too, what the checks cannot avoid.
void Floor(const QByteArray& carsFolder, int threads, bool parameters = false)
{
    std::vector<QByteArray> folders;
    DIR* cars = opendir(carsFolder.constData());
    if (!cars)
        return;
    while (dirent* entry = readdir(cars)) {
        if (entry->d_type == DT_DIR && entry->d_name[0] != '.')
            folders.push_back(carsFolder + '/' + entry->d_name);
    }
    closedir(cars);

    constexpr size_t kBatch = 32;
    std::atomic<size_t> next{0};
    const auto work = [&] {
        std::vector<char> buffer(4096);
        for (size_t begin; (begin = next.fetch_add(kBatch)) < folders.size();) {
            for (size_t i = begin; i < std::min(begin + kBatch, folders.size()); ++i)
                ReadCar(folders[i], parameters, buffer);
        }
    };
    if (threads <= 1) {
        work();
        return;
    }
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back(work);
    for (std::thread& thread : pool)
        thread.join();
}

bool ResetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

// The most the process has held since the last ResetPeakMemory, in MB; since its start where
// the system cannot reset the mark.
double PeakMemoryMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// The checks of every car, as the window has them made.
void CheckAll(const QString& carsFolder, const QStringList& names, int problems)
{
    CarChecks::Runner runner(carsFolder, names);
    qsizetype found = 0;
    while (!runner.finished()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        found += runner.take().size();
    }
    found += runner.take().size();
    if (found != problems)
        qFatal("the checks found %lld cars with problems of %d", qlonglong(found), problems);
}

QList<int> ParseSizes(const QString& text)
{
    QList<int> sizes;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        sizes.append(part.toInt());
    return sizes;
}

} // namespace

int main(int argc, char* argv[])
{
    OffscreenApp app(argc, argv);

    QList<int> sizes{1000, 10000, 30000};
    int runs = 5;
    bool cold = false;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--cold"))
            cold = true;
        else if (args[i] == QLatin1String("--cars") && i + 1 < args.size())
            sizes = ParseSizes(args[++i]);
        else if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
    }
    if (cold && !DropPageCache()) {
        std::printf("cannot drop the page cache (needs root): cold measurement skipped, "
                    "timing warm\n");
        cold = false;
    }

    // Every size is timed in the same rounds, so that the growth from one size to the next is
    // not the machine's load changing in between. Each size has a window of its own.
    struct Size
    {
        int cars;
        std::unique_ptr<QTemporaryDir> root;
        QByteArray carsFolder;
        std::unique_ptr<frmMain> window;
        std::function<void()> use;
        QStringList names; // as the scan hands them to the checks
    };
    std::vector<Size> worlds;
    for (int n : sizes) {
        Size size{n, std::make_unique<QTemporaryDir>(), {}, {}, {}, {}};
        const QString root = size.root->path();
        MakeWorld(root, n);
        size.use = [root] {
            modMain::SetAppPath(root + QStringLiteral("/program"));
            modMain::gSettings().setDrovakDir(root + QStringLiteral("/game"));
        };
        size.use();
        size.carsFolder = QFile::encodeName(modMain::gSettings().CarDir());
        for (int i = 0; i < n; ++i)
            size.names.append(FolderName(i));
        worlds.push_back(std::move(size));
    }
    sync(); // the files just written must not be written back while the scan is timed
    const bool peakReset = ResetPeakMemory();
    for (Size& size : worlds) {
        size.use();
        size.window = std::make_unique<frmMain>(cCarsFolder(modMain::gSettings()));
        size.window->show();
    }

    // A scan drops the records of the scan before it, which in use is of the same cars folder:
    // before a scan of another size, one of this size is made untimed.
    const Size* scanned = nullptr;
    constexpr size_t kWork = 6; // pieces of work per size
    std::vector<Work> work;
    for (Size& size : worlds) {
        const auto scanSetUp = [&size, &scanned] {
            size.use();
            if (scanned != &size)
                cCarsFolder(modMain::gSettings()).Scan();
            scanned = &size;
        };
        work.push_back({size.use, [&size] { Floor(size.carsFolder, 1); }});
        work.push_back({size.use, [&size] { Floor(size.carsFolder, 8); }});
        work.push_back({scanSetUp, [] { cCarsFolder(modMain::gSettings()).Scan(); }});
        work.push_back({scanSetUp, [&size] { size.window->RefreshCarList(); }});
        work.push_back({size.use, [&size] { Floor(size.carsFolder, 8, true); }});
        work.push_back({size.use, [&size] {
                            CheckAll(QFile::decodeName(size.carsFolder), size.names,
                                     CarsWithProblems(size.cars));
                        }});
    }
    const std::vector<double> t = InterleavedMedians(runs, cold, work);

    std::printf("%s page cache; x f1 = divided by the floor on 1 thread, x f8 on 8 threads\n",
                cold ? "cold" : "warm");
    std::printf("%7s %9s %9s %9s %6s %6s %9s %6s %6s %9s %9s\n", "cars", "floor1 ms", "floor8 ms",
                "logic ms", "x f1", "x f8", "list ms", "x f1", "x f8", "tree ms", "select ms");
    for (size_t s = 0; s < worlds.size(); ++s) {
        Size& size = worlds[s];
        const int n = size.cars;
        const double floor1 = t[kWork * s], floor8 = t[kWork * s + 1], logic = t[kWork * s + 2],
                     list = t[kWork * s + 3];
        size.use();
        size.window->RefreshCarList();
        if (modMain::gCars().Count() != n)
            qFatal("listed %lld cars of %d", qlonglong(modMain::gCars().Count()), n);

        // A different car each time, one with a photo: a picture once shown is cached.
        frmMain* window = size.window.get();
        auto* tree = window->findChild<QTreeView*>(QStringLiteral("tvwCars"));
        auto* picture = window->findChild<QLabel*>(QStringLiteral("imgSkin"));
        int next = (kStandardCars + (n - kStandardCars) / 2) / 5 * 5 - 5; // i % 5 == 0: a photo
        // A click needs custom cars with photos; a tiny cars folder has none to click.
        const double select = n < kStandardCars + 10 ? 0.0 : MedianMs(runs, [&] {
            next += 5;
            const QModelIndex custom = tree->model()->index(1, 0);
            const QModelIndex car = tree->model()->index(next - kStandardCars, 0, custom);
            tree->scrollTo(car);
            picture->clear();
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(car).center());
            if (window->SelectedKey() != car.data(Qt::UserRole).toString() ||
                picture->pixmap().isNull())
                qFatal("the click did not show %s", qPrintable(FolderName(next)));
        });

        std::printf("%7d %9.1f %9.1f %9.1f %6.2f %6.2f %9.1f %6.2f %6.2f %9.1f %9.2f\n", n, floor1,
                    floor8, logic, logic / floor1, logic / floor8, list, list / floor1,
                    list / floor8, list - logic, select);
    }
    for (size_t s = 1; s < worlds.size(); ++s)
        std::printf("%d to %d cars: floor1 x%.2f, logic x%.2f, list x%.2f\n", worlds[s - 1].cars,
                    worlds[s].cars, t[kWork * s] / t[kWork * (s - 1)],
                    t[kWork * s + 2] / t[kWork * (s - 1) + 2],
                    t[kWork * s + 3] / t[kWork * (s - 1) + 3]);
    std::printf("\nchecks of every car until finished, against reading each car's carinfo.ini and "
                "parameters.txt on 8 threads\n%7s %9s %9s %6s\n",
                "cars", "floor ms", "checks ms", "x f");
    for (size_t s = 0; s < worlds.size(); ++s)
        std::printf("%7d %9.1f %9.1f %6.2f\n", worlds[s].cars, t[kWork * s + 4], t[kWork * s + 5],
                    t[kWork * s + 5] / t[kWork * s + 4]);
    std::printf("tree ms: list minus logic, the tree's share. Peak memory, all sizes' windows "
                "open: %.1f MB%s\n",
                PeakMemoryMb(), peakReset ? "" : " (since the start)");
    return 0;
}
