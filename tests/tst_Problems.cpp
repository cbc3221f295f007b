#include "Faults.h"
#include "TestWorld.h"
#include "cars/CarChecks.h"
#include "cars/modFolderRefs.h"
#include "platform/FileSystem.h"

#include <QElapsedTimer>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kNoParameters = "The game cannot load this car: it has no parameters.txt.";
const QChar kByteE9(0xDCE9); // a name's byte 0xE9 that is not UTF-8, as FileSystem carries it

// A car folder with a parameters.txt (none when null), quickly: without the flushes to disk of
// TestWorld::write, for the hundreds of cars of a Runner.
void QuickCar(const QString& folder, const QByteArray& parameters)
{
    ::mkdir(qPrintable(folder), 0755);
    if (parameters.isNull())
        return;
    const int fd = ::open(qPrintable(folder + "/parameters.txt"), O_WRONLY | O_CREAT, 0644);
    QVERIFY(fd >= 0 &&
            ::write(fd, parameters.data(), size_t(parameters.size())) == parameters.size());
    ::close(fd);
}

QStringList Missing(const QStringList& values)
{
    QStringList lines;
    for (const QString& value : values)
        lines << "The game cannot find " + value + ".";
    return lines;
}

} // namespace

// The problems the game meets in a car that the list marks: no parameters.txt, files that
// parameters.txt names and that are not there; and the fix of a copied car naming its old folder.
class tst_Problems : public QObject
{
    Q_OBJECT
    std::optional<TestWorld> mWorld;

    // Each file under the game folder: "a/" a folder, "a>b" a link a to b, else a file.
    void lay(const QStringList& files)
    {
        for (const QString& file : files) {
            const qsizetype arrow = file.indexOf('>');
            if (arrow < 0) {
                mWorld->write("game/" + file, "bytes");
                continue;
            }
            const QString link = mWorld->write("game/" + file.left(arrow) + "/", {}).chopped(1);
            QDir().rmdir(link);
            QVERIFY(::symlink(qPrintable(file.sliced(arrow + 1)), qPrintable(link)) == 0);
        }
    }
    QStringList check(const QString& car)
    {
        return CarChecks::Check(FileSystem::Folder(mWorld->gameDir()), "cars", car);
    }

private slots:
    void init()
    {
        mWorld.emplace();
        lay({"cars/rc/body.prm", "cars/rc/car.bmp", "cars/rc/parameters.txt"});
    }
    void cleanup() { mWorld.reset(); }

    // others: the folders that the fix of folder references would change to the car's own.
    void check_data()
    {
        // parameters: the car's parameters.txt, none when null.
        Columns<QString, QStringList, QByteArray, QStringList, QStringList>(
            "car", "files", "parameters", "lines", "others");
        const QString e9 = "\xc3\xa9"; // é in UTF-8, as this file is written
        const QByteArray body = "Model 0 \"cars\\old\\body.prm\"\r\n";
        // clang-format off
        QTest::newRow("no references") << "mine" << QStringList{} << QByteArray("Name\t\"Mine\"\r\nObtain\t2\r\n") << QStringList{} << QStringList{};
        QTest::newRow("own files in other letter case") << "mine" << QStringList{"cars/mine/BODY.Prm", "Cars/"} << QByteArray("Model 0 \"CARS\\MINE\\body.prm\"") << QStringList{} << QStringList{};
        QTest::newRow("a standard car's files") << "mine" << QStringList{} << QByteArray("Model 0 \"cars\\rc\\body.prm\"\r\nTPage \"cars\\rc\\CAR.BMP\"\r\n") << QStringList{} << QStringList{};
        QTest::newRow("NONE and values without a backslash") << "mine" << QStringList{} << QByteArray("Model 1 \"NONE\"\r\nModel 2 \"none\"\r\nName \"gone.prm\"\r\nX \"cars/mine/gone.prm\"\r\n") << QStringList{} << QStringList{};
        QTest::newRow("a folder named parameters.txt") << "mine" << QStringList{"cars/mine/Parameters.TXT/"} << QByteArray() << QStringList{kNoParameters} << QStringList{};
        QTest::newRow("missing files among present ones, each once") << "mine" << QStringList{"cars/mine/body.prm"} << QByteArray("A \"cars\\mine\\body.prm\"\r\nB \"cars\\mine\\gone.prm\"\r\nC \"cars\\rc\\gone.prm\"\r\nD \"cars\\mine\\gone.prm\"\r\n") << Missing({"cars\\mine\\gone.prm", "cars\\rc\\gone.prm"}) << QStringList{};
        QTest::newRow("a link to a file") << "mine" << QStringList{"cars/mine/body.prm>../rc/body.prm"} << QByteArray("A \"cars\\mine\\body.prm\"") << QStringList{} << QStringList{};
        QTest::newRow("a dangling link") << "mine" << QStringList{"cars/mine/body.prm>gone"} << QByteArray("A \"cars\\mine\\body.prm\"") << Missing({"cars\\mine\\body.prm"}) << QStringList{};
        QTest::newRow("a name on disk that is not UTF-8") << "mine" << QStringList{"cars/mine/b" + QString(kByteE9) + ".prm"} << QByteArray("A \"cars\\mine\\b\xe9.prm\"") << Missing({"cars\\mine\\bé.prm"}) << QStringList{};
        QTest::newRow("a UTF-8 name in other letter case") << "mine" << QStringList{"cars/mine/b" + e9 + ".prm"} << QByteArray("A \"cars\\mine\\B\xc9.PRM\"") << QStringList{} << QStringList{};
        QTest::newRow("folders named, not files") << "mine" << QStringList{"cars/mine/body.prm/"} << QByteArray("A \"cars\\mine\\body.prm\" \"cars\\rc\\\" \"cars\\rc\"") << Missing({"cars\\mine\\body.prm", "cars\\rc\\", "cars\\rc"}) << QStringList{};
        QTest::newRow("empty names, . and ..") << "mine" << QStringList{"cars/mine/body.prm"} << QByteArray("A \"cars\\\\mine\\.\\body.prm\" \"cars\\gone\\..\\mine\\body.prm\"") << QStringList{} << QStringList{};
        QTest::newRow("above the game folder or absolute") << "mine" << QStringList{} << QByteArray("A \"..\\..\\gone\\x\" \"cars\\..\\..\\gone\\x\" \"\\cars\\gone.prm\" \"C:\\gone\\x.prm\" \"c:gone\\x\"") << QStringList{} << QStringList{};
        QTest::newRow("several values on LF lines") << "mine" << QStringList{"cars/mine/body.prm"} << QByteArray("A \"cars\\mine\\body.prm\" \"cars\\mine\\one.prm\"\nB \"cars\\mine\\two.prm\"\n") << Missing({"cars\\mine\\one.prm", "cars\\mine\\two.prm"}) << QStringList{};
        QTest::newRow("a quote left open ends with its line") << "mine" << QStringList{} << QByteArray("A \"cars\\mine\\gone.prm\r\nB \"x\"\r\n") << QStringList{} << QStringList{};
        QTest::newRow("sub-folders and other game folders") << "mine" << QStringList{"cars/mine/Wheels/W.prm", "Models/tree.prm"} << QByteArray("A \"cars\\mine\\wheels\\w.prm\" \"models\\TREE.prm\" \"models\\gone.prm\" \"cars\\mine\\gone\\w.prm\"") << Missing({"models\\gone.prm", "cars\\mine\\gone\\w.prm"}) << QStringList{};
        QTest::newRow("copied car") << "copy" << QStringList{"cars/copy/body.prm", "cars/copy/car.bmp"} << body + "TPage \"cars\\old\\car.bmp\"" << Missing({"cars\\old\\body.prm", "cars\\old\\car.bmp"}) << QStringList{"old"};
        QTest::newRow("a file missing in its own folder") << "copy" << QStringList{"cars/copy/body.prm"} << body + "TPage \"cars\\old\\car.bmp\"" << Missing({"cars\\old\\body.prm", "cars\\old\\car.bmp"}) << QStringList{};
        QTest::newRow("already its own") << "copy" << QStringList{"cars/copy/body.prm"} << QByteArray("A \"cars\\copy\\body.prm\" \"cars\\COPY\\body.prm\"") << QStringList{} << QStringList{};
        QTest::newRow("its files in other letter case") << "copy" << QStringList{"cars/copy/BODY.PRM", "cars/copy/Wheels/W.prm"} << QByteArray("A \"Cars\\Old\\body.prm\" \"cars\\old\\wheels\\w.prm\"") << Missing({"Cars\\Old\\body.prm", "cars\\old\\wheels\\w.prm"}) << QStringList{"Old"};
        QTest::newRow("several folders, each once") << "copy" << QStringList{"cars/copy/body.prm", "cars/copy/car.bmp"} << body + "B \"cars\\OLD\\car.bmp\" \"cars\\older\\car.bmp\"" << Missing({"cars\\old\\body.prm", "cars\\OLD\\car.bmp", "cars\\older\\car.bmp"}) << QStringList{"old", "older"};
        QTest::newRow("a name Windows-1252 cannot spell") << "copy\u0142" << QStringList{"cars/copy\u0142/body.prm"} << body << Missing({"cars\\old\\body.prm"}) << QStringList{};
        QTest::newRow("a name that is not UTF-8") << "cop" + QString(kByteE9) << QStringList{"cars/cop" + QString(kByteE9) + "/body.prm"} << body << Missing({"cars\\old\\body.prm"}) << QStringList{};
        QTest::newRow("no parameters.txt") << "copy" << QStringList{"cars/copy/body.prm"} << QByteArray() << QStringList{kNoParameters} << QStringList{};
        // clang-format on
    }
    void check()
    {
        QFETCH(QString, car);
        QFETCH(QStringList, files);
        QFETCH(QByteArray, parameters);
        lay(files);
        if (!parameters.isNull())
            mWorld->write("game/cars/" + car + "/parameters.txt", parameters);
        QTEST(check(car), "lines");
        QTEST(modFolderRefs::Fixable(mWorld->carsDir(), car), "others");
    }

    // Only the folder names of those references change; the files keep their spelling.
    void fix()
    {
        const QByteArray old = "Name\t\"old body\"\r\nA \"cars\\old\\body.prm\"\t\"cars\\rc\\..\\"
                               "OLD\\car.bmp\" ; old\r\nB \"cars\\older\\body.prm\"\n";
        const QString folder = mWorld->carDir("copy");
        mWorld->write("game/cars/copy/Parameters.TXT", old);
        mWorld->write("game/cars/copy/PARAMETERS.BAK", "older");
        mWorld->write("game/cars/copy/body.prm", "bytes");
        mWorld->write("game/cars/copy/car.bmp", "bytes");
        const modFolderRefs::Fixed fixed = modFolderRefs::Fix(mWorld->carsDir(), "copy");
        QVERIFY2(fixed.result.success(), qPrintable(fixed.result.message));
        QCOMPARE(fixed.report, "Changed 3 references in Parameters.TXT from cars\\old\\ and "
                               "cars\\older\\ to cars\\copy\\. The file as it was is kept as "
                               "PARAMETERS.BAK.");
        QCOMPARE(ReadFile(folder + "/Parameters.TXT"),
                 "Name\t\"old body\"\r\nA \"cars\\copy\\body.prm\"\t\"cars\\rc\\..\\"
                 "copy\\car.bmp\" ; old\r\nB \"cars\\copy\\body.prm\"\n");
        QCOMPARE(ReadFile(folder + "/PARAMETERS.BAK"), old);
        QCOMPARE(Snapshot(folder).size(), 4);
        QCOMPARE(check("copy"), QStringList());
        QCOMPARE(modFolderRefs::Fixable(mWorld->carsDir(), "copy"), QStringList());
        QVERIFY(!modFolderRefs::Fix(mWorld->carsDir(), "copy").result.success());
    }

    // Whole or nothing: parameters.txt is as it was when the copy or the new file cannot be made.
    void fixFails_data()
    {
        Columns<QString, int>("inTheWay", "limit");
        QTest::newRow("a folder named parameters.bak") << "parameters.bak/" << 0;
        QTest::newRow("a full disk while copying") << "" << 10;
        QTest::newRow("a full disk while writing") << "" << 23;
    }
    void fixFails()
    {
        QFETCH(QString, inTheWay);
        QFETCH(int, limit);
        const QByteArray old = "A \"cars\\old\\body.prm\"\r\n"; // 23 bytes, 24 when fixed
        const QString folder = mWorld->carDir("copy");
        mWorld->write("game/cars/copy/parameters.txt", old);
        mWorld->write("game/cars/copy/body.prm", "bytes");
        if (!inTheWay.isEmpty())
            mWorld->write("game/cars/copy/" + inTheWay, {});
        const QStringList before = Snapshot(folder);
        std::optional<FileSizeLimit> full;
        if (limit)
            full.emplace(limit);
        const modFolderRefs::Fixed fixed = modFolderRefs::Fix(mWorld->carsDir(), "copy");
        full.reset();
        QVERIFY(!fixed.result.success());
        QVERIFY2(fixed.result.message.endsWith("\nparameters.txt was left as it was."),
                 qPrintable(fixed.result.message));
        QCOMPARE(ReadFile(folder + "/parameters.txt"), old);
        QStringList after = Snapshot(folder);
        if (limit == 23) // the copy was made
            QVERIFY(
                after.removeOne(QString("parameters.bak").toUtf8().toHex() + ':' + old.toHex()));
        QCOMPARE(after, before);
    }

    // Enough cars for every thread; what a Runner hands out is what Check says of each car.
    void runner()
    {
        // Car i names the parameters.txt of car i + 1, which every 11th car lacks (and car 300
        // is not there), and every 7th a file of a folder that is not there.
        QStringList names;
        for (int i = 0; i < 300; ++i) {
            names << QString("car%1").arg(i);
            const QByteArray next =
                "A \"cars\\CAR" + QByteArray::number(i + 1) + "\\parameters.txt\"";
            QuickCar(mWorld->carDir(names.last()), i % 11 == 0 ? QByteArray()
                                                   : i % 7     ? next
                                                               : next + " \"cars\\gone\\x\"");
        }
        QMap<int, QStringList> expected;
        for (int i = 0; i < names.size(); ++i) {
            if (const QStringList lines = check(names[i]); !lines.isEmpty())
                expected.insert(i, lines);
        }

        CarChecks::Runner runner(mWorld->carsDir(), names);
        QMap<int, QStringList> handed;
        const auto take = [&] {
            for (const auto& [index, lines] : runner.take()) {
                QVERIFY2(!handed.contains(index), qPrintable(names[index]));
                handed.insert(index, lines);
            }
        };
        QTRY_VERIFY((take(), runner.finished()));
        take();
        QCOMPARE(handed, expected);
        QVERIFY(runner.take().isEmpty());
    }

    // The checking stops when the window lets go of it, not when every car is done: cars that
    // each take a while (each a link to one large folder) are checked on.
    void runnerStops()
    {
        const QString large = mWorld->write("game/large/", {});
        for (int i = 0; i < 2000; ++i)
            ::mkdir(qPrintable(large + QString("/entry%1").arg(i)), 0755);
        QStringList names;
        for (int i = 0; i < 300; ++i) {
            names << QString("car%1").arg(i);
            QVERIFY(::symlink("../large", qPrintable(mWorld->carDir(names.last()))) == 0);
        }
        QElapsedTimer timer;
        timer.start();
        {
            CarChecks::Runner runner(mWorld->carsDir(), names);
            QTRY_VERIFY_WITH_TIMEOUT(runner.finished(), 60000);
        }
        const qint64 whole = timer.restart();
        {
            CarChecks::Runner runner(mWorld->carsDir(), names);
        }
        const qint64 stopped = timer.elapsed();
        QVERIFY2(stopped * 4 < whole, qPrintable(QString("%1 ms of %2").arg(stopped).arg(whole)));
    }
};

QTEST_GUILESS_MAIN(tst_Problems)
#include "tst_Problems.moc"
