#include "Archives.h"
#include "Faults.h"
#include "app/modMain.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"
#include "cars/modCarList.h"
#include "cars/modDisabledCars.h"

#include <QtTest>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

// Cars switched off: moved whole into the folder beside the cars folder that the game does not
// read, and back, or refused with the reason and nothing moved.
class tst_Disabled : public QObject
{
    Q_OBJECT
    std::optional<TestWorld> mWorld;

    // files: under the game folder, "path=bytes" ("BM" without), a trailing "@" a link of that
    // name to a folder outside the game folder; after: Files() of the game folder, ", " between.
    static void Row(const char* name, const QString& disk, const QByteArrayList& files,
                    const QString& move, const QByteArray& car, const QString& message,
                    const QByteArray& after)
    {
        QTest::newRow(name) << disk << files << move << car << message << FileSystem::Decode(after);
    }

private slots:
    void init() { mWorld.emplace().loadSettings(); }
    void cleanup() { mWorld.reset(); }

    void move_data()
    {
        Columns<QString, QByteArrayList, QString, QByteArray, QString, QString>(
            "disk", "files", "move", "car", "message", "after");
        const QByteArray kept = "cars/fastcar/car.bmp=BM",
                         away = "cars-disabled/fastcar/car.bmp=BM";
        const QByteArrayList one{"cars/fastcar/car.bmp", "cars/fastcar/skins/a.bmp"};
        const QByteArrayList back{"cars-disabled/fastcar/car.bmp", "cars/rc/car.bmp"};
        const QString driver = "The driver of the disk that holds the cars folder loses a folder's "
                               "files when it renames the folder.";
        // clang-format off
        Row("disabled, its folder made", "", one, "disable", "fastcar", "",
            away + ", cars-disabled/fastcar/skins/a.bmp=BM, cars/");
        Row("into the folder there, in other letter case", "", {"cars/fastcar/car.bmp", "Cars-Disabled/old/car.bmp"},
            "disable", "fastcar", "", "Cars-Disabled/fastcar/car.bmp=BM, Cars-Disabled/old/car.bmp=BM, cars/");
        Row("taken among the disabled", "", {"cars/fastcar/car.bmp=new", "cars-disabled/FASTCAR/car.bmp=old"},
            "disable", "fastcar", "A disabled car named 'FASTCAR' is already there.",
            "cars-disabled/FASTCAR/car.bmp=old, cars/fastcar/car.bmp=new");
        Row("enabled", "", back, "enable", "fastcar", "", "cars-disabled/, " + kept + ", cars/rc/car.bmp=BM");
        Row("enable: taken in other letter case", "", {"cars/FastCar/car.bmp=new", "cars-disabled/fastcar/car.bmp=old"},
            "enable", "fastcar", "A car named 'FastCar' is already in the cars folder.",
            "cars-disabled/fastcar/car.bmp=old, cars/FastCar/car.bmp=new");
        Row("a name that is not UTF-8", "", {"cars/caf\xe9/car.bmp"}, "disable", "caf\xe9", "",
            "cars-disabled/caf\xe9/car.bmp=BM, cars/");
        Row("cars-disabled a file", "", {"cars/fastcar/car.bmp", "cars-disabled=x"}, "disable", "fastcar",
            "'GAME/cars-disabled' is a file, not a folder: no car can be disabled into it.",
            "cars-disabled=x, " + kept);
        Row("cars-disabled a link", "", {"cars/fastcar/car.bmp", "cars-disabled@"}, "disable", "fastcar",
            "'GAME/cars-disabled' is a link: Torvane follows no link out of the game folder, so no "
            "car is moved through it.", "cars-disabled/car.bmp=BM, " + kept);
        Row("enable through a link", "", {"cars/fastcar/car.bmp", "cars-disabled@"}, "enable", "car.bmp",
            "'GAME/cars-disabled' is a link: Torvane follows no link out of the game folder, so no "
            "car is moved through it.", "cars-disabled/car.bmp=BM, " + kept);
        Row("a missing car", "", one, "disable", "gone", "There is no car named 'gone' in the cars folder.",
            kept + ", cars/fastcar/skins/a.bmp=BM");
        Row("a file", "", {"cars/readme.txt"}, "disable", "readme.txt", "'readme.txt' is a file, not a car's folder.",
            "cars/readme.txt=BM");
        Row("a link", "", {"cars/fastcar@"}, "disable", "fastcar", "'fastcar' is a link, not a car's folder.",
            "cars/fastcar/car.bmp=BM");
        Row("the parent", "", {"cars/fastcar/car.bmp"}, "disable", "..", "'..' is not a car folder's name.", kept);
        Row("an install's hidden folder", "", {"cars/.torvane-install-1/car.bmp"}, "disable", ".torvane-install-1",
            "'.torvane-install-1' is a hidden folder of an install, not a car.", "cars/.torvane-install-1/car.bmp=BM");
        Row("the game folder unwritable", "player", {"cars/fastcar/car.bmp"}, "disable", "fastcar",
            "The folder 'GAME/cars-disabled' could not be made: Permission denied.", kept);
        Row("exFAT", "exFAT", one, "disable", "fastcar", "", away + ", cars-disabled/fastcar/skins/a.bmp=BM, cars/");
        Row("FAT", "FAT", one, "disable", "fastcar", driver, kept + ", cars/fastcar/skins/a.bmp=BM");
        // clang-format on
    }
    // Every file is where the move left it, byte for byte, and nothing else is there: no folder
    // made for a refusal, no hidden folder left.
    void move()
    {
        QFETCH(QString, disk);
        QFETCH(QByteArrayList, files);
        QFETCH(QString, move);
        QFETCH(QByteArray, car);
        const bool shared = disk == "FAT" || disk == "exFAT";
        const QString game = mWorld->root() + (shared ? "/disk/game" : "/game");
        const Mounted mounted =
            shared ? SharedDisk(disk, mWorld->root() + "/disk") : Mounted({}, {});
        if (!mounted.ok)
            QSKIP("mounting a file system through FUSE is not allowed here");
        (void)FileSystem::RemoveTree(game, "cars");
        mWorld->write(game.mid(mWorld->root().size() + 1) + "/cars/", {});
        mWorld->write("outside/car.bmp", "BM");
        for (const QByteArray& file : files) {
            const qsizetype equals = file.indexOf('=');
            const QString path =
                game + '/' + FileSystem::Decode(equals < 0 ? file : file.left(equals));
            if (path.endsWith('@'))
                QCOMPARE(::symlink(FileSystem::Encode(mWorld->root() + "/outside"),
                                   FileSystem::Encode(path.chopped(1))),
                         0);
            else
                mWorld->write(path.mid(mWorld->root().size() + 1),
                              equals < 0 ? QByteArray("BM") : file.mid(equals + 1));
        }
        const QString cars = game + "/cars";
        if (disk == "player") {
            // Root would be let through where the player is refused; the cars are the player's.
            QCOMPARE(chmod(QFile::encodeName(mWorld->root()), 0755), 0);
            QVERIFY(QProcess::execute("chown", {"-R", "65534:65534", cars}) == 0);
            setfsgid(65534), setfsuid(65534);
        }
        Result done = move == "disable" ? modDisabledCars::Disable(cars, FileSystem::Decode(car))
                                        : modDisabledCars::Enable(cars, FileSystem::Decode(car));
        setfsuid(0), setfsgid(0);
        QTEST(done.message.replace(FileSystem::ForMessage(game), "GAME"), "message");
        QCOMPARE(done.ok, done.message.isEmpty());
        QTEST(Files(game).join(", "), "after");
    }

    // Listed from the folder of disabled cars, as custom cars are, with what their carinfo.ini
    // says, whatever the table says of their names; the game reads none, so none is filed or
    // counted among the cars.
    void scan()
    {
        mWorld->makeCar("rc");
        mWorld->makeCar("fastcar", "[Zelmor Car Data]\r\nName=Fast\r\n");
        // Enough for the reading threads to share.
        QStringList names{"buggy", "misc", "fastcar"};
        for (int i = 0; i < 40; ++i)
            names << QString("car%1").arg(i);
        for (const QString& name : names)
            mWorld->write("game/Cars-Disabled/" + name + "/carinfo.ini",
                          "[Zelmor Car Data]\r\nName=Mine " + name.toUtf8() + "\r\n");
        mWorld->write("game/Cars-Disabled/buggy/buggy.jpg", "JPG");
        const auto text = [](const cCar& car) {
            return QStringList{car.DirectoryName(), car.ClassificationText(), car.CarName(),
                               car.FolderPath(), QString::number(car.HasPhoto())}
                .join('|');
        };
        const QString folder = mWorld->gameDir() + "/Cars-Disabled";
        QStringList expected;
        for (const FileSystem::Entry& entry : FileSystem::List(folder).value)
            expected << QStringList{entry.name, "Custom", "Mine " + entry.name,
                                    folder + '/' + entry.name, entry.name == "buggy" ? "1" : "0"}
                            .join('|');

        const modCarList::ScannedCars scanned = TestWorld::cars().Scan();
        QStringList listed;
        for (const auto& car : scanned.disabled)
            listed << text(*car);
        QCOMPARE(listed, expected);
        QCOMPARE(modMain::gCars().Count(), 2);
        QCOMPARE(text(*modMain::gCars().Find("fastcar")),
                 "fastcar|Custom|Fast|" + mWorld->carDir("fastcar") + "|0");
    }
};

QTEST_GUILESS_MAIN(tst_Disabled)
#include "tst_Disabled.moc"
