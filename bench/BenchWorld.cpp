#include "bench/BenchWorld.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace BenchWorld {

namespace {

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

} // namespace

MsgBox::Answer QuietBoxes::present(const MsgBox::Box& box)
{
    std::fprintf(stderr, "unexpected box: %s\n", qPrintable(box.text));
    return MsgBox::DefaultAnswer(box.buttons);
}

OffscreenApp::OffscreenApp(int& argc, char** argv)
    : mPlatformSet(qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"))), mApp(argc, argv)
{
    MsgBox::SetPresenter(&mBoxes);
}

QString FolderName(int i)
{
    return i < kStandardCars ? QStringLiteral("std%1").arg(i)
                             : QStringLiteral("car%1").arg(i, 5, 10, QLatin1Char('0'));
}

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
                      "\r\nAuthor=Author " + QByteArray::number(i * 7919 % 3000) +
                      "\r\nOriginalSkin=std1\r\nDescription=Made for timing.|"
                      "Second line.\r\n");
        // References into the car's own folder and a standard car's, and none. One car in 50
        // is a copy still naming the folder it was copied from, one in 200 has no
        // parameters.txt: what the checks of the car list find.
        const QByteArray own = name.toLatin1();
        if (i % 200 != 13)
            WriteFile(folder + QStringLiteral("/parameters.txt"),
                      "Name\t\t\"Car\"\r\nObtain\t\t2\r\n;)\r\nModel\t0\t\"cars\\" +
                          (i % 50 == 7 ? "old" + own : own) +
                          "\\body.prm\"\r\nModel\t1\t\"cars\\std1\\wheelfl.prm\"\r\n"
                          "Model\t2\t\"cars\\std1\\wheelfr.prm\"\r\nModel\t3\t\"NONE\"\r\n"
                          "TPage\t\t\"cars\\" +
                          own + "\\car.bmp\"\r\nEnvRGB\t\t200 200 200\r\n");
        WriteFile(folder + QStringLiteral("/car.bmp"), bitmap);
        WriteFile(folder + QStringLiteral("/body.prm"), "PRM");
        if (i < kStandardCars) {
            WriteFile(folder + QStringLiteral("/wheelfl.prm"), "PRM");
            WriteFile(folder + QStringLiteral("/wheelfr.prm"), "PRM");
        }
        if (i % 5 == 0)
            WriteFile(folder + QLatin1Char('/') + name + QStringLiteral(".jpg"), photo);
        if (i % 3 == 0)
            WriteFile(folder + QStringLiteral("/readme.txt"), "Read me.\r\n");
        // Came on one of 2,000 days, in no order the names have.
        const qint64 came = QDateTime(QDate(2020, 1, 1), QTime(12, 0)).toSecsSinceEpoch() +
                            qint64(i) * 7919 % 2000 * 86400;
        const timespec times[2] = {{came, 0}, {came, 0}};
        utimensat(AT_FDCWD, QFile::encodeName(folder).constData(), times, 0);
    }
}

int CarsWithProblems(int n)
{
    int problems = 0;
    for (int i = 0; i < n; ++i)
        problems += i % 50 == 7 || i % 200 == 13;
    return problems;
}

bool DropPageCache()
{
    sync();
    const int fd = open("/proc/sys/vm/drop_caches", O_WRONLY);
    const bool dropped = fd >= 0 && write(fd, "3", 1) == 1;
    if (fd >= 0)
        close(fd);
    return dropped;
}

std::vector<double> InterleavedMedians(int runs, bool cold, const std::vector<Work>& work)
{
    const size_t n = work.size();
    std::vector<std::vector<double>> times(n);
    for (int r = -1; r < runs; ++r) {
        for (size_t k = 0; k < n; ++k) {
            const size_t w = (size_t(r + 1) + k) % n;
            if (work[w].setUp)
                work[w].setUp();
            if (cold)
                DropPageCache();
            QElapsedTimer timer;
            timer.start();
            work[w].run();
            if (r >= 0) // the first round warms up
                times[w].push_back(timer.nsecsElapsed() / 1e6);
        }
    }
    std::vector<double> medians;
    for (std::vector<double>& t : times) {
        std::sort(t.begin(), t.end());
        medians.push_back(t[t.size() / 2]);
    }
    return medians;
}

double MedianMs(int runs, const std::function<void()>& work)
{
    return InterleavedMedians(runs, false, {{{}, work}}).front();
}

} // namespace BenchWorld
