#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "app/cSettings.h"
#include "app/modMain.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"
#include "cars/modCarList.h"
#include "platform/FileSystem.h"
#include "ui/wizard/frmCreateCarWizard.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <functional>

// Faults made on purpose, as players meet them: a disk that fills up part way through a write,
// links where files should be, names that are not UTF-8, mount points and FIFOs in car folders.
namespace {

// Every write past `bytes` into any file fails part way (EFBIG), as on a full disk.
struct FileSizeLimit
{
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old);
        const rlimit limit{bytes, old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, handler);
    }
    void (*handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
};

// A file system mounted for one test; ok is false where mounting is not allowed.
struct Mount
{
    Mount(const char* source, const QString& on, const char* type, unsigned long flags,
          const char* options)
        : target(QFile::encodeName(on)),
          ok(mount(source, target.constData(), type, flags, options) == 0)
    {
    }
    ~Mount()
    {
        if (ok)
            umount(target.constData());
    }
    QByteArray target;
    bool ok;
};

// A folder's names with the bytes of each file: what "left as it was" compares.
QStringList Snapshot(const QString& folder)
{
    QStringList state;
    for (const FileSystem::Entry& entry :
         FileSystem::List(folder).value_or(QList<FileSystem::Entry>{}))
        state << FileSystem::Encode(entry.name).toHex() + ':' +
                     ReadFile(folder + '/' + entry.name).toHex();
    state.sort();
    return state;
}

using Save = std::function<void()>;
using Write = std::function<void(const QString& car)>;

// What the player is told while a save runs: the report of the error it raises, or its box.
QString Told(const Save& save)
{
    MsgBoxRecorder boxes;
    boxes.expect();
    const QString raised = Raised(save);
    return raised + boxes.boxes().value(0).text;
}

} // namespace

class tst_FileFaults : public QObject
{
    Q_OBJECT
    std::optional<TestWorld> mWorld;
    std::optional<MsgBoxRecorder> mBoxes;

private slots:
    void init()
    {
        mWorld.emplace().loadSettings();
        mBoxes.emplace();
    }
    void cleanup()
    {
        VERIFY_BOXES(*mBoxes);
        mBoxes.reset();
        mWorld.reset();
    }

    void codec_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        // clang-format off
        QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9 \xd0\x96 \xf0\x9f\x98\x80") << "café Ж 😀";
        QTest::newRow("Windows-1252 bytes") << QByteArray("caf\xe9 \x80") << "café €";
        QTest::newRow("overlong and surrogate forms") << QByteArray("\xc0\xaf\xed\xa0\x80") << QStringLiteral("À¯í\u00a0€");
        QTest::newRow("cut sequence at the end") << QByteArray("a\xe2\x82") << "aâ‚";
        // clang-format on
    }
    void codec()
    {
        QFETCH(QByteArray, bytes);
        const QString name = FileSystem::Decode(bytes);
        QCOMPARE(FileSystem::Encode(name), bytes);
        QTEST(FileSystem::Shown(name), "shown");
        QCOMPARE(FileSystem::IsUtf8(bytes), name == FileSystem::Shown(name));
    }

    // Each save makes its file grow past what the disk takes, at its first write.
    void wholeOrNothing_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("tmpfs"); // a full tmpfs on the car folder, else a file size limit
        QTest::addColumn<Save>("save");
        QTest::addColumn<QStringList>("told");

        const Save settings = [] {
            modMain::gSettings().setDrovakDir(QString(300, 'g'));
            modMain::gSettings().SaveSettings();
        };
        const Save update = [] {
            const auto car = Car("myrc", false);
            car->setCarName(QString(300, 'n'));
            car->SaveSettings();
        };
        const Save wholeFile = [this] {
            QVERIFY(!modMain::WriteWholeFile(mWorld->carDir("myrc") + "/parameters.txt",
                                             QString(300, 'p')));
        };
        const Save rewrite = [this] {
            QVERIFY(!modMain::SetParamsName(mWorld->carDir("myrc") + '/', QString(100, 'n')));
        };
        // A car made from myrc: the copies are whole, the carinfo.ini copy stays as copied.
        const Save wizard = [this] {
            const auto wizard = new frmCreateCarWizard;
            wizard->setTemplateText("myrc");
            wizard->findChild<QLineEdit*>("txtCarName")->setText(QString(300, 'n'));
            wizard->findChild<QLineEdit*>("txtDirName")->setText("neuf");
            QTest::mouseClick(wizard->findChild<QPushButton*>("cmdFinish"), Qt::LeftButton);
            delete wizard;
            QCOMPARE(Snapshot(mWorld->carDir("neuf")), Snapshot(mWorld->carDir("myrc")));
        };
        const QString car = "game/cars/myrc", tooLarge = "File too large";
        const QString raisedBySettings =
            "(0x8004270F)\nSource: cSettings:SaveSettings Method\nAn unknown error has occurred!";
        const QString leftAlone = "The file was left as it was.";
        // clang-format off
        QTest::newRow("settings") << "program" << false << settings << QStringList{tooLarge, raisedBySettings};
        QTest::newRow("Update") << car << false << update << QStringList{tooLarge};
        QTest::newRow("Update on a full tmpfs") << car << true << update << QStringList{"No space left on device"};
        QTest::newRow("whole-file write") << car << false << wholeFile << QStringList{tooLarge, leftAlone};
        QTest::newRow("rewrite, after the backup") << car << false << rewrite << QStringList{tooLarge, leftAlone};
        QTest::newRow("wizard, at carinfo.ini") << car << false << wizard << QStringList{tooLarge, "left in the Drovak car directory as '" + QDir::toNativeSeparators("/cars/neuf'")};
        // clang-format on
    }
    void wholeOrNothing()
    {
        QFETCH(QString, folder);
        QFETCH(bool, tmpfs);
        QFETCH(Save, save);
        QFETCH(QStringList, told);
        const QString car = mWorld->carDir("myrc");
        QVERIFY(QDir().mkpath(car));
        std::optional<Mount> disk;
        if (tmpfs && !disk.emplace("tmpfs", car, "tmpfs", 0, "size=64k").ok)
            QSKIP("mounting a tmpfs is not allowed here");
        mWorld->makeCar("myrc",
                        "[Zelmor Car Data]\r\nName=Mine\r\n" + QByteArray(150, ';') + "\r\n");
        // The backup already holds what a whole copy would write, so nothing may differ after.
        const QByteArray params = "Name \"Old\"\r\n" + QByteArray(150, 'x');
        mWorld->write("game/cars/myrc/parameters.txt", params);
        mWorld->write("game/cars/myrc/parameters.bak", params);
        QFile filler(car + "/filler");
        if (tmpfs && filler.open(QIODevice::WriteOnly)) {
            while (filler.write(QByteArray(4096, 'f')) == 4096 && filler.flush()) {
            }
            filler.close();
        }
        const QStringList before = Snapshot(mWorld->root() + '/' + folder);
        QString message;
        {
            // Room for a whole copy of every file, not for any of them grown.
            const FileSizeLimit limit(tmpfs ? RLIM_INFINITY : 200);
            message = Told(save);
        }
        for (const QString& part : told)
            QVERIFY2(message.contains(part), qPrintable(message));
        QCOMPARE(Snapshot(mWorld->root() + '/' + folder), before);
    }

    void linksAreReplaced_data()
    {
        QTest::addColumn<QString>("link");       // in the world
        QTest::addColumn<QByteArray>("outside"); // the file it points at; null for a dangling link
        QTest::addColumn<Write>("write");
        QTest::addColumn<QByteArray>("written"); // what the plain file in the link's place holds

        const auto update = [](const QString&) {
            const auto car = Car("myrc", false);
            car->setCarName("Mine");
            car->SaveSettings();
        };
        const QByteArray info("[Zelmor Car Data]\r\nName=Theirs\r\n");
        const QByteArray mine("[Zelmor Car Data]\r\nName=Mine\r\n");
        const QString carinfo = "game/cars/myrc/carinfo.ini";
        QTest::newRow("carinfo.ini to a file outside") << carinfo << info << Write(update) << mine;
        QTest::newRow("carinfo.ini dangling") << carinfo << QByteArray() << Write(update) << mine;
        const Write rename = [](const QString& car) { QVERIFY(modMain::SetParamsName(car, "N")); };
        const Write obtain = [](const QString& car) { QVERIFY(modMain::SetParamsObtain(car)); };
        // clang-format off
        QTest::newRow("parameters.bak to a file outside") << "game/cars/myrc/parameters.bak" << QByteArray("theirs") << rename << QByteArray("Name \"Old\"\r\nObtain 5\r\n");
        QTest::newRow("parameters.txt to a file outside") << "game/cars/myrc/parameters.txt" << QByteArray("Obtain 3\r\n") << obtain << QByteArray("Obtain\t0\r\n");
        // clang-format on
    }
    void linksAreReplaced()
    {
        QFETCH(QString, link);
        QFETCH(QByteArray, outside);
        QFETCH(Write, write);
        const QString car = mWorld->makeCar("myrc");
        mWorld->write("game/cars/myrc/parameters.txt", "Name \"Old\"\r\nObtain 5\r\n");
        const QString target = mWorld->root() + "/outside/target";
        if (!outside.isNull())
            mWorld->write("outside/target", outside);
        QFile::remove(mWorld->root() + '/' + link);
        QVERIFY(QFile::link(target, mWorld->root() + '/' + link));

        write(car);

        QCOMPARE(QFile::exists(target), !outside.isNull());
        QCOMPARE(ReadFile(target), outside);
        QVERIFY(!FileSystem::StatusOf(mWorld->root() + '/' + link).link);
        QFETCH(QByteArray, written);
        QVERIFY2(mWorld->read(link).contains(written), mWorld->read(link).constData());
    }

    // The game, cars and program folders carry Windows-1252 bytes, as copied from Windows.
    void namesAsBytes()
    {
        const QString game = mWorld->root() + FileSystem::Decode("/jeu\xe9");
        const QString cars = game + "/cars", cafe = cars + FileSystem::Decode("/caf\xe9");
        for (const char* file :
             {"caf\xe9/caf\xe9.jpg", "caf\xe9/skin\xe9.bmp", "a\xe8/car.bmp", "a\xe9/car.bmp"})
            mWorld->write(FileSystem::Decode(QByteArray("jeu\xe9/cars/") + file), "BM");
        mWorld->write(FileSystem::Decode("jeu\xe9/cars/caf\xe9/carinfo.ini"),
                      "[Zelmor Car Data]\r\nName=Caf\xe9 Racer\r\n");
        mWorld->write(FileSystem::Decode("programme\xe9/torvane.ini"),
                      "[Directories]\r\nEXEPath=" + FileSystem::Encode(game));
        modMain::SetAppPath(mWorld->root() + FileSystem::Decode("/programme\xe9"));
        bool mainShown = false;
        QCOMPARE(modMain::Main({[] {}, [&mainShown] { mainShown = true; }}), modMain::Run::Normal);
        QVERIFY(mainShown);
        QCOMPARE(modMain::gSettings().CarDir(), cars);

        // a\xe8 and a\xe9 are two cars, as the game sees them.
        QCOMPARE(modCarList::ScanCars(cars).custom.size(), 3);
        const auto car = modMain::gCars().Find(FileSystem::Decode("caf\xe9"));
        QVERIFY(car);
        QCOMPARE(car->CarName(), QStringLiteral("Café Racer"));
        QVERIFY(car->HasPhoto());
        car->setAuthor(QStringLiteral("Zoé"));
        car->SaveSettings();
        QVERIFY(ReadFile(cafe + "/carinfo.ini").contains("Author=Zo\xe9\r\n"));
        modMain::CreateFolder(cars + "/neuf");
        modMain::CopyFiles(cafe, cars + "/neuf");
        QCOMPARE(Snapshot(cars + "/neuf"), Snapshot(cafe));
        mBoxes->expect();
        car->Delete();
        QCOMPARE(mBoxes->only().text, QStringLiteral("café has been deleted."));
        QVERIFY(!FileSystem::StatusOf(cafe).exists);
    }

    void deleteLeavesMountsAlone()
    {
        const QString shared = mWorld->write("shared/keep.txt", "mine").section('/', 0, -2);
        const QString car = mWorld->makeCar("myrc");
        QVERIFY(QDir(car).mkdir("shared"));
        const Mount bind(QFile::encodeName(shared).constData(), car + "/shared", nullptr, MS_BIND,
                         nullptr);
        if (!bind.ok)
            QSKIP("bind mounts are not allowed here");
        mBoxes->expect();
        Car("myrc", false)->Delete();
        QCOMPARE(mBoxes->only().text,
                 QStringLiteral("There was a error while attempting to delete the directory."));
        QCOMPARE(mWorld->read("shared/keep.txt"), QByteArray("mine"));
        QCOMPARE(mWorld->read("game/cars/myrc/shared/keep.txt"), QByteArray("mine"));
        QVERIFY(!QFile::exists(car + "/car.bmp"));
    }

    void fifosCountAsMissing()
    {
        const QString car = mWorld->makeCar("myrc");
        QFile::remove(car + "/car.bmp");
        for (const char* name :
             {"carinfo.ini", "readme.txt", "myrc.jpg", "parameters.txt", "car.bmp"})
            QCOMPARE(mkfifo(QFile::encodeName(car + '/' + name).constData(), 0644), 0);
        const auto fifos = Car("myrc");
        QVERIFY(!fifos->HasPhoto());
        QVERIFY(!fifos->HasReadMe());
        QCOMPARE(fifos->CarName(), QString());
        QVERIFY(!FileSystem::ReadPlainFile(car + "/car.bmp"));
        QVERIFY_THROWS_EXCEPTION(modMain::FileError,
                                 modMain::ReadWholeFile(car + "/parameters.txt"));
    }
};

QTEST_MAIN(tst_FileFaults)
#include "tst_FileFaults.moc"
