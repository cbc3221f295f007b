// Times the car-list scan against the reading it cannot avoid, on generated game folders.
//
//   scan_bench [--cars 1000,10000,30000] [--runs 5]
//
// For each size it makes a game folder in a temporary folder and prints, as the median of the
// runs after one warm-up: the floor (list the cars folder, list each car folder once, read
// each carinfo.ini once), the logic scan, RefreshCarList in a real main window, and one car
// selected by a click. Times are also given divided by the floor's.

#include "app/cSettings.h"
#include "app/modMain.h"
#include "cars/cCarCollection.h"
#include "cars/modCarList.h"
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
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kStandardCars = 30;

class QuietBoxes : public MsgBox::Presenter
{
public:
    MsgBox::Answer present(const MsgBox::Box& box) override
    {
        std::fprintf(stderr, "unexpected box: %s\n", qPrintable(box.text));
        return MsgBox::DefaultAnswer(box.buttons);
    }
};

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray Picture(const char* format, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QString FolderName(int i)
{
    return i < kStandardCars ? QStringLiteral("std%1").arg(i)
                             : QStringLiteral("car%1").arg(i, 5, 10, QLatin1Char('0'));
}

// A program folder with torvane.ini and a game folder with n cars.
void MakeWorld(const QString& root, int n)
{
    QDir(root).mkpath(QStringLiteral("program"));
    QByteArray ini = "[Directories]\r\nEXEPath=\r\n[Classify]\r\n";
    QByteArray names = "[Names]\r\n";
    for (int i = 0; i < kStandardCars; ++i) {
        ini += FolderName(i).toLatin1() + "=original\r\n";
        names += FolderName(i).toLatin1() + "=Standard Car " + QByteArray::number(i) + "\r\n";
    }
    WriteFile(root + QStringLiteral("/program/torvane.ini"), ini + names);
    WriteFile(root + QStringLiteral("/program/notfound.jpg"), "not a picture");

    const QString cars = root + QStringLiteral("/game/cars");
    const QByteArray bitmap = Picture("BMP", 64, 64);
    const QByteArray photo = Picture("JPG", 281, 209);
    for (int i = 0; i < n; ++i) {
        const QString name = FolderName(i);
        const QString folder = cars + QLatin1Char('/') + name;
        QDir().mkpath(folder);
        WriteFile(folder + QStringLiteral("/carinfo.ini"),
                  "[Zelmor Car Data]\r\nName=Car number " + QByteArray::number(i) +
                      "\r\nAuthor=Bench\r\nOriginalSkin=std1\r\nDescription=Made for timing.|"
                      "Second line.\r\n");
        WriteFile(folder + QStringLiteral("/parameters.txt"),
                  "Name\t\t\"Car\"\r\nObtain\t\t2\r\nModel\t0\t\"cars\\" + name.toLatin1() +
                      "\\body.prm\"\r\n");
        WriteFile(folder + QStringLiteral("/car.bmp"), bitmap);
        if (i % 5 == 0)
            WriteFile(folder + QLatin1Char('/') + name + QStringLiteral(".jpg"), photo);
        if (i % 3 == 0)
            WriteFile(folder + QStringLiteral("/readme.txt"), "Read me.\r\n");
    }
}

// The reading a scan cannot avoid, with the system's own calls and nothing else.
long long Floor(const QByteArray& carsFolder)
{
    long long bytes = 0;
    DIR* cars = opendir(carsFolder.constData());
    if (!cars)
        return 0;
    std::vector<char> buffer(4096);
    while (dirent* entry = readdir(cars)) {
        if (entry->d_type != DT_DIR || entry->d_name[0] == '.')
            continue;
        const QByteArray folder = carsFolder + '/' + entry->d_name;
        if (DIR* car = opendir(folder.constData())) {
            while (readdir(car)) {
            }
            closedir(car);
        }
        const int fd = open((folder + "/carinfo.ini").constData(), O_RDONLY);
        if (fd >= 0) {
            ssize_t got;
            while ((got = read(fd, buffer.data(), buffer.size())) > 0)
                bytes += got;
            close(fd);
        }
    }
    closedir(cars);
    return bytes;
}

double MedianMs(int runs, const std::function<void()>& work)
{
    work(); // warm-up
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
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
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    QuietBoxes boxes;
    MsgBox::SetPresenter(&boxes);

    QList<int> sizes{1000, 10000, 30000};
    int runs = 5;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--cars"))
            sizes = ParseSizes(args[i + 1]);
        else if (args[i] == QLatin1String("--runs"))
            runs = std::max(1, args[i + 1].toInt());
    }

    std::printf("%8s %10s %10s %7s %10s %7s %10s\n", "cars", "floor ms", "logic ms", "x", "list ms",
                "x", "select ms");
    for (int n : sizes) {
        QTemporaryDir root;
        MakeWorld(root.path(), n);
        sync(); // the files just written must not be written back while the scan is timed
        modMain::SetAppPath(root.path() + QStringLiteral("/program"));
        modMain::gSettings().setDrovakDir(root.path() + QStringLiteral("/game"));
        const QByteArray carsFolder = QFile::encodeName(modMain::gSettings().CarDir());

        const double floor = MedianMs(runs, [&] { Floor(carsFolder); });
        const double logic =
            MedianMs(runs, [] { modCarList::ScanCars(modMain::gSettings().CarDir()); });

        frmMain window;
        window.show();
        const double list = MedianMs(runs, [&] { window.RefreshCarList(); });
        if (modMain::gCars().Count() != n)
            qFatal("listed %lld cars of %d", qlonglong(modMain::gCars().Count()), n);

        // A different car each time, one with a photo: a picture once shown is cached.
        auto* tree = window.findChild<QTreeView*>(QStringLiteral("tvwCars"));
        auto* picture = window.findChild<QLabel*>(QStringLiteral("imgSkin"));
        int next = (kStandardCars + (n - kStandardCars) / 2) / 5 * 5 - 5; // i % 5 == 0: a photo
        const double select = MedianMs(runs, [&] {
            next += 5;
            const QModelIndex custom = tree->model()->index(1, 0);
            const QModelIndex car = tree->model()->index(next - kStandardCars, 0, custom);
            tree->scrollTo(car);
            picture->clear();
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(car).center());
            if (window.SelectedKey() != car.data(Qt::UserRole).toString() ||
                picture->pixmap().isNull())
                qFatal("the click did not show %s", qPrintable(FolderName(next)));
        });

        std::printf("%8d %10.1f %10.1f %7.2f %10.1f %7.2f %10.2f\n", n, floor, logic, logic / floor,
                    list, list / floor, select);
        std::fflush(stdout);
    }

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory: %.1f MB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
