#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "app/cSettings.h"
#include "app/modErrorHandling.h"
#include "app/modMain.h"
#include "app/modQuarnIniAPI.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"
#include "cars/modCarList.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

// Faults made on purpose, as players meet them: a disk that fills up part way through a write,
// links where files should be, names that are not UTF-8, mount points and FIFOs in car folders.
namespace {

// Every write past `bytes` into any file fails part way (EFBIG), as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &mOld);
        mOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = mOld;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &mOld);
        std::signal(SIGXFSZ, mOldHandler);
    }

private:
    rlimit mOld{};
    void (*mOldHandler)(int) = nullptr;
};

// A file system mounted for one test; `ok` is false where mounting is not allowed.
struct Mount
{
    Mount(const char* source, const QString& target, const char* type, unsigned long flags,
          const char* options)
        : target(QFile::encodeName(target)),
          ok(mount(source, this->target.constData(), type, flags, options) == 0)
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

// A folder's names with the size and bytes of each file: what "left as it was" compares.
QStringList Snapshot(const QString& folder)
{
    QStringList state;
    for (const FileSystem::Entry& entry : FileSystem::List(folder).value_or(QList<FileSystem::Entry>{})) {
        const FileSystem::Status status = FileSystem::StatusOf(folder + '/' + entry.name);
        const QByteArray bytes =
            status.link ? QByteArray("link")
                        : FileSystem::ReadPlainFile(folder + '/' + entry.name).value_or("-");
        state << FileSystem::Encode(entry.name).toHex() + ':' + bytes.toHex();
    }
    state.sort();
    return state;
}

void WriteRaw(const QString& path, const QByteArray& bytes)
{
    QString reason;
    QVERIFY2(FileSystem::ReplaceFile(path, bytes, &reason), qPrintable(reason));
}

// The name of a folder copied from a Windows archive: "café" in Windows-1252.
const QString kCafe = FileSystem::Decode("caf\xe9");

} // namespace

class tst_FileFaults : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void codec_data();
    void codec();
    void wholeOrNothing_data();
    void wholeOrNothing();
    void fullTmpfs();
    void linksAreReplaced_data();
    void linksAreReplaced();
    void namesAsBytes();
    void pathsSurviveARestart_data();
    void pathsSurviveARestart();
    void deleteLeavesMountsAlone();
    void fifosCountAsMissing();
    void startedWithExactNames();

private:
    std::unique_ptr<TestWorld> mWorld;
    std::unique_ptr<MsgBoxRecorder> mBoxes;
};

void tst_FileFaults::init()
{
    mWorld = std::make_unique<TestWorld>();
    mWorld->loadSettings();
    mBoxes = std::make_unique<MsgBoxRecorder>();
}

void tst_FileFaults::cleanup()
{
    VERIFY_BOXES(*mBoxes);
    mBoxes.reset();
    mWorld.reset();
}

void tst_FileFaults::codec_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");

    QTest::newRow("ASCII") << QByteArray("rc") << "rc";
    QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9 \xd0\x96 \xf0\x9f\x98\x80") << "café Ж 😀";
    QTest::newRow("Windows-1252 bytes") << QByteArray("caf\xe9 \x80") << "café €";
    QTest::newRow("overlong and surrogate forms") << QByteArray("\xc0\xaf\xed\xa0\x80") << QStringLiteral("À¯í\u00a0€");
    QTest::newRow("cut sequence at the end") << QByteArray("a\xe2\x82") << "aâ‚";
}

void tst_FileFaults::codec()
{
    QFETCH(QByteArray, bytes);
    const QString name = FileSystem::Decode(bytes);
    QCOMPARE(FileSystem::Encode(name), bytes);
    QTEST(FileSystem::Shown(name), "shown");
    QCOMPARE(FileSystem::IsUtf8(bytes), name == FileSystem::Shown(name));
}

using Save = std::function<QString()>; // what the player was told; empty when nothing

void tst_FileFaults::wholeOrNothing_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<Save>("save");
    QTest::addColumn<QString>("told");

    const auto raised = [](const std::function<void()>& save) {
        return Save([save] {
            try {
                save();
            } catch (const modErrorHandling::AppError& error) {
                return error.detail();
            }
            return QString();
        });
    };
    const auto shown = [](const std::function<bool()>& save) {
        return Save([save] {
            MsgBoxRecorder boxes;
            boxes.expect();
            return save() ? QString() : boxes.boxes().value(0).text;
        });
    };
    const auto car = [this] { return mWorld->carDir("myrc"); };
    // Each save makes its file grow past the limit at its first write.
    QTest::newRow("settings") << "program" << raised([] {
        modMain::gSettings().setDrovakDir(QString(300, QLatin1Char('g')));
        modMain::gSettings().SaveSettings();
    }) << "File too large";
    QTest::newRow("Update") << "game/cars/myrc" << raised([] {
        cCar update;
        update.setDirectoryName("myrc");
        update.setCarName(QString(300, QLatin1Char('n')));
        update.SaveSettings();
    }) << "File too large";
    QTest::newRow("whole-file write") << "game/cars/myrc" << shown([car] {
        return modMain::WriteWholeFile(car() + "/parameters.txt", QString(300, QLatin1Char('p')));
    }) << "The file was left as it was.";
    QTest::newRow("rewrite, after the backup") << "game/cars/myrc" << shown([car] {
        return modMain::SetParamsName(car() + '/', QString(100, QLatin1Char('n')));
    }) << "The file was left as it was.";
}

void tst_FileFaults::wholeOrNothing()
{
    QFETCH(QString, folder);
    QFETCH(Save, save);
    QFETCH(QString, told);
    mWorld->makeCar("myrc", "[Zelmor Car Data]\r\nName=Mine\r\n" + QByteArray(150, ';') + "\r\n");
    // The backup already holds what a whole copy would write, so nothing may differ after.
    const QByteArray params = "Name \"Old\"\r\n" + QByteArray(150, 'x');
    mWorld->write("game/cars/myrc/parameters.txt", params);
    mWorld->write("game/cars/myrc/parameters.bak", params);
    const QStringList before = Snapshot(mWorld->root() + '/' + folder);

    QString message;
    {
        // Room for a whole copy of every file, not for any of them grown.
        const FileSizeLimit limit(200);
        message = save();
    }
    QVERIFY2(message.contains("File too large") && message.contains(told), qPrintable(message));
    QCOMPARE(Snapshot(mWorld->root() + '/' + folder), before);
}

void tst_FileFaults::fullTmpfs()
{
    const QString car = mWorld->makeCar("full", "[Zelmor Car Data]\r\nName=Mine\r\n");
    const QByteArray info = mWorld->read("game/cars/full/carinfo.ini");
    const Mount tmpfs("tmpfs", car, "tmpfs", 0, "size=64k");
    if (!tmpfs.ok)
        QSKIP("mounting a tmpfs is not allowed here");
    WriteRaw(car + "/carinfo.ini", info);
    QFile filler(car + "/filler");
    QVERIFY(filler.open(QIODevice::WriteOnly));
    while (filler.write(QByteArray(4096, 'f')) == 4096 && filler.flush()) {
    }
    filler.close();
    const QStringList before = Snapshot(car);

    cCar update;
    update.setDirectoryName("full");
    update.setDescription(QString(20000, QLatin1Char('d')));
    try {
        update.SaveSettings();
        QFAIL("a save on a full disk passed");
    } catch (const modErrorHandling::AppError& error) {
        QVERIFY2(error.detail().contains("No space left on device"), qPrintable(error.detail()));
    }
    QCOMPARE(Snapshot(car), before);
}

using Write = std::function<void(const QString& car)>;

void tst_FileFaults::linksAreReplaced_data()
{
    QTest::addColumn<QString>("link");        // in the world
    QTest::addColumn<QByteArray>("outside");  // the file it points at; null for a dangling link
    QTest::addColumn<Write>("write");
    QTest::addColumn<QByteArray>("written"); // what the plain file in the link's place holds

    const auto update = [](const QString&) {
        cCar car;
        car.setDirectoryName("myrc");
        car.setCarName("Mine");
        car.SaveSettings();
    };
    const QByteArray info("[Zelmor Car Data]\r\nName=Theirs\r\n");
    QTest::newRow("carinfo.ini to a file outside")
        << "game/cars/myrc/carinfo.ini" << info << Write(update)
        << QByteArray("[Zelmor Car Data]\r\nName=Mine\r\n");
    QTest::newRow("carinfo.ini dangling") << "game/cars/myrc/carinfo.ini" << QByteArray()
                                          << Write(update)
                                          << QByteArray("[Zelmor Car Data]\r\nName=Mine\r\n");
    QTest::newRow("parameters.bak to a file outside")
        << "game/cars/myrc/parameters.bak" << QByteArray("theirs")
        << Write([](const QString& car) { QVERIFY(modMain::SetParamsName(car, "New")); })
        << QByteArray("Name \"Old\"\r\nObtain 5\r\n");
    QTest::newRow("parameters.txt to a file outside")
        << "game/cars/myrc/parameters.txt" << QByteArray("Obtain 3\r\n")
        << Write([](const QString& car) { QVERIFY(modMain::SetParamsObtain(car)); })
        << QByteArray("Obtain\t0\r\n");
    QTest::newRow("torvane.ini to a file outside")
        << "program/torvane.ini" << TestWorld::defaultIni() << Write([](const QString&) {
               modMain::gSettings().setAuthor("Me");
               modMain::gSettings().SaveSettings();
           })
        << QByteArray("Name=Me\r\n");
}

void tst_FileFaults::linksAreReplaced()
{
    QFETCH(QString, link);
    QFETCH(QByteArray, outside);
    QFETCH(Write, write);
    QFETCH(QByteArray, written);
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
    QVERIFY2(mWorld->read(link).contains(written), mWorld->read(link).constData());
}

void tst_FileFaults::namesAsBytes()
{
    // The game folder and the car folders carry Windows-1252 bytes, as copied from Windows.
    const QString game = mWorld->root() + FileSystem::Decode("/jeu\xe9");
    const QString cars = game + "/cars";
    const QString cafe = cars + '/' + kCafe;
    QString reason;
    for (const QString& folder : {game, cars, cafe, cars + FileSystem::Decode("/a\xe9"),
                                  cars + FileSystem::Decode("/a\xe8")})
        QVERIFY2(FileSystem::CreateFolder(folder, &reason), qPrintable(reason));
    WriteRaw(cafe + "/carinfo.ini", "[Zelmor Car Data]\r\nName=Caf\xe9 Racer\r\n");
    WriteRaw(cafe + '/' + kCafe + ".jpg", "JPEG");
    WriteRaw(cafe + FileSystem::Decode("/skin\xe9.bmp"), "BM");
    modMain::gSettings().setDrovakDir(game);

    const modCarList::ScannedCars scanned = modCarList::ScanCars(cars);
    QCOMPARE(scanned.custom.size(), 3);
    const auto car = modMain::gCars().Find(kCafe);
    QVERIFY(car);
    QCOMPARE(car->CarName(), QStringLiteral("Café Racer"));
    QVERIFY(car->HasPhoto());
    QVERIFY(modMain::gCars().Find(FileSystem::Decode("a\xe8")) !=
            modMain::gCars().Find(FileSystem::Decode("a\xe9")));

    car->setAuthor(QStringLiteral("Zoé"));
    car->SaveSettings();
    QVERIFY(FileSystem::ReadPlainFile(cafe + "/carinfo.ini")->contains("Author=Zo\xe9\r\n"));

    modMain::CreateFolder(cars + "/neuf");
    modMain::CopyFiles(cafe, cars + "/neuf");
    QCOMPARE(Snapshot(cars + "/neuf"), Snapshot(cafe));

    mBoxes->expect();
    car->Delete();
    QCOMPARE(mBoxes->only().text, QStringLiteral("café has been deleted."));
    QVERIFY(!FileSystem::StatusOf(cafe).exists);

    // The program folder too.
    const QString program = mWorld->root() + FileSystem::Decode("/programme\xe9");
    QVERIFY(FileSystem::CreateFolder(program, &reason));
    WriteRaw(program + "/torvane.ini", "[Directories]\r\nEXEPath=" + FileSystem::Encode(game));
    modMain::SetAppPath(program);
    bool mainShown = false;
    QCOMPARE(modMain::Main({[] {}, [&mainShown] { mainShown = true; }}), modMain::Run::Normal);
    QVERIFY(mainShown);
    QCOMPARE(modMain::gSettings().CarDir(), cars);
}

void tst_FileFaults::pathsSurviveARestart_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("author");

    QTest::newRow("beyond Windows-1252") << "/home/michał/Игры" << "Michał";
    QTest::newRow("Windows-1252 bytes in a name") << FileSystem::Decode("/data/caf\xe9") << "Zoé";
    QTest::newRow("a name that reads as UTF-8") << "/g" << QStringLiteral("Ã©");
}

void tst_FileFaults::pathsSurviveARestart()
{
    QFETCH(QString, path);
    QFETCH(QString, author);
    cSettings& settings = modMain::gSettings();
    settings.setDrovakDir(path);
    settings.setTextEditorPath(path + "/edit");
    settings.setAuthor(author);
    settings.SaveSettings();

    cSettings restarted;
    restarted.LoadSettings();
    QCOMPARE(restarted.DrovakDir(), path);
    QCOMPARE(restarted.TextEditorPath(), path + "/edit");
    QCOMPARE(restarted.Author(), author);
    QVERIFY(mWorld->read("program/torvane.ini").contains("[Classify]\r\nrc=original\r\n"));
}

void tst_FileFaults::deleteLeavesMountsAlone()
{
    const QString shared = mWorld->write("shared/keep.txt", "mine").section('/', 0, -2);
    const QString car = mWorld->makeCar("myrc");
    QVERIFY(QDir(car).mkdir("shared"));
    const Mount bind(QFile::encodeName(shared).constData(), car + "/shared", nullptr, MS_BIND,
                     nullptr);
    if (!bind.ok)
        QSKIP("bind mounts are not allowed here");

    cCar doomed;
    doomed.setDirectoryName("myrc");
    mBoxes->expect();
    doomed.Delete();
    QCOMPARE(mBoxes->only().text,
             QStringLiteral("There was a error while attempting to delete the directory."));
    QCOMPARE(mWorld->read("shared/keep.txt"), QByteArray("mine"));
    QCOMPARE(mWorld->read("game/cars/myrc/shared/keep.txt"), QByteArray("mine"));
    QVERIFY(!QFile::exists(car + "/car.bmp"));
}

void tst_FileFaults::fifosCountAsMissing()
{
    const QString car = mWorld->makeCar("myrc");
    QFile::remove(car + "/car.bmp");
    for (const char* name : {"carinfo.ini", "readme.txt", "myrc.jpg", "parameters.txt", "car.bmp"})
        QCOMPARE(mkfifo(QFile::encodeName(car + '/' + name).constData(), 0644), 0);

    cCar fifos;
    fifos.setDirectoryName("myrc");
    fifos.LoadSettings();
    QVERIFY(!fifos.HasPhoto());
    QVERIFY(!fifos.HasReadMe());
    QCOMPARE(fifos.CarName(), QString());
    QString reason;
    QVERIFY(!FileSystem::ReadPlainFile(car + "/car.bmp", &reason));
    QCOMPARE(reason, QStringLiteral("it is not a plain file"));
    QVERIFY_THROWS_EXCEPTION(modMain::FileError, modMain::ReadWholeFile(car + "/parameters.txt"));
}

void tst_FileFaults::startedWithExactNames()
{
    const QString folder = mWorld->root() + FileSystem::Decode("/dossier\xe9");
    const QString log = mWorld->root() + "/log";
    QString reason;
    QVERIFY(FileSystem::CreateFolder(folder, &reason));
    QVERIFY2(FileSystem::StartDetached(
                 "sh", {"-c", R"(printf '%s|%s|%s' "$1" "$PWD" "$PROBE" > "$2.part"; mv "$2.part" "$2")",
                        "sh", kCafe, log},
                 folder, {"PROBE=on"}, &reason),
             qPrintable(reason));
    QTRY_VERIFY(QFile::exists(log));
    QCOMPARE(ReadFile(log), "caf\xe9|" + FileSystem::Encode(folder) + "|on");

    QVERIFY(!FileSystem::StartDetached(mWorld->root() + "/none", {}, {}, {}, &reason));
    QCOMPARE(reason, QStringLiteral("No such file or directory"));
}

QTEST_GUILESS_MAIN(tst_FileFaults)
#include "tst_FileFaults.moc"
