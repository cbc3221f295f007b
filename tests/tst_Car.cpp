#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "app/cSettings.h"
#include "app/modMain.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"
#include "cars/modCarList.h"
#include "cars/modDirSearch.h"
#include "cars/modMakeCar.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "ui/wizard/frmCreateCarWizard.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>
#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <functional>

namespace {

const QByteArray kInfo = "[Zelmor Car Data]\r\nName=Blue\r\nAuthor=J\xe9r\xf4me\r\n"
                         "OriginalSkin=buggy\r\nDescription=one|two||four\r\n";

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

// A FAT or exFAT image mounted through FUSE as a dual-boot player mounts the Windows data
// partition: for every user, owned by root, keeping no Unix permissions. ok is false where
// FUSE or loop devices are refused.
struct SharedDisk
{
    SharedDisk(const QString& kind, const QString& image, const QString& on)
        : ok(QProcess::execute("/bin/sh", {"-ec", kMount.arg(kind, image, on)}) == 0),
          unmount(kUnmount.arg(on, image))
    {
    }
    ~SharedDisk() { QProcess::execute("/bin/sh", {"-c", unmount}); }
    static inline const QString kMount = QStringLiteral(
        "truncate -s 32M '%2'; o=allow_other,umask=000; if [ %1 = exFAT ]; then "
        "mkfs.exfat '%2'; l=$(losetup -f --show '%2'); mount.exfat-fuse -o $o $l '%3'; else "
        "mkfs.vfat '%2'; fusefat -o rw+,$o '%2' '%3'; fi");
    static inline const QString kUnmount =
        QStringLiteral("umount '%1'; for l in $(losetup -nO NAME -j '%2'); do losetup -d $l; done");
    const bool ok;
    const QString unmount;
};

// File access as an ordinary user while it lives, for the calling thread: root would be let
// through where the player is refused.
struct AsOrdinaryUser
{
    AsOrdinaryUser() { setfsgid(65534), setfsuid(65534); }
    ~AsOrdinaryUser() { setfsuid(0), setfsgid(0); }
};

// What a record shows: classification, name, author, template, description, photo and readme.
QString Record(const cCar& car)
{
    return car.ClassificationText() + '/' + car.CarName() + '/' + car.Author() + '/' +
           car.BasedTemplate() + '/' + car.Description() + '/' + QString::number(car.HasPhoto()) +
           '/' + QString::number(car.HasReadMe());
}

using Save = std::function<void()>;
using Write = std::function<void(const QString& car)>;

} // namespace

// A car folder as a record: its carinfo.ini, its classification and its deletion; the scan that
// makes the records of the whole cars folder; and faults made on purpose, as players meet them:
// a disk that fills up part way through a write, links where files should be, names that are
// not UTF-8, mount points and FIFOs in car folders.
class tst_Car : public QObject
{
    Q_OBJECT
    std::optional<TestWorld> mWorld;
    std::optional<MsgBoxRecorder> mBoxes;

private slots:
    void init()
    {
        mWorld.emplace("[Classify]\r\nrc=original\r\ncoupe=original\r\nmisc=omit\r\nbig=Omit\r\n"
                       "loud=ORIGINAL\r\n[Names]\r\nrc=RC Sprinter\r\n");
        mWorld->loadSettings();
        mBoxes.emplace();
    }
    void cleanup() { VERIFY_BOXES(*mBoxes); }

    void load_data()
    {
        QTest::addColumn<QString>("folder");
        // Each holds kInfo; a trailing "/" makes a folder, a trailing "|" a FIFO.
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("record");
        const QString blue = "Custom/Blue/Jérôme/buggy/one\r\ntwo\r\n\r\nfour/";
        const QString custom = "Custom/////0/0",
                      standard = "/Merrowin/buggy/Original Drovak Car/0/0";
        // clang-format off
        QTest::newRow("custom car") << "blue" << QStringList{"carinfo.ini"} << blue + "0/0";
        QTest::newRow("other letter case") << "blue" << QStringList{"CarInfo.INI", "BLUE.JPG", "ReadMe.TXT"} << blue + "1/1";
        QTest::newRow("other names do not count") << "blue" << QStringList{"car.jpg", "blue.jpeg", "readme.doc"} << custom;
        QTest::newRow("folders do not count") << "blue" << QStringList{"blue.jpg/", "readme.txt/"} << custom;
        QTest::newRow("FIFOs do not count") << "blue" << QStringList{"carinfo.ini|", "blue.jpg|", "readme.txt|"} << custom;
        QTest::newRow("standard car overrules its own file") << "rc" << QStringList{"carinfo.ini"} << "Original/RC Sprinter" + standard;
        QTest::newRow("standard car without a name entry") << "coupe" << QStringList{"carinfo.ini"} << "Original/" + standard;
        QTest::newRow("folder in other letter case") << "RC" << QStringList{} << "Original/RC Sprinter/Merrowin//Original Drovak Car/0/0";
        QTest::newRow("omitted folder") << "misc" << QStringList{} << "Omit/////0/0";
        QTest::newRow("\"Omit\" is not omit") << "big" << QStringList{} << custom;
        QTest::newRow("\"ORIGINAL\" is not original") << "loud" << QStringList{} << custom;
        // clang-format on
    }
    // The photo and readme flags are only ever set by loading, never cleared.
    void load()
    {
        QFETCH(QString, folder);
        QFETCH(QStringList, files);
        QFETCH(QString, record);
        const QString car = mWorld->makeCar(folder);
        for (const QString& file : files)
            mWorld->write("game/cars/" + folder + "/" + file, kInfo);
        const auto loaded = Car(folder);
        QCOMPARE(Record(*loaded), record);
        QVERIFY(QDir(car).removeRecursively());
        mWorld->makeCar(folder);
        loaded->LoadSettings();
        QCOMPARE(Record(*loaded).right(3), record.right(3));
    }

    void save_data()
    {
        QTest::addColumn<bool>("gameFolder");
        QTest::newRow("saved") << true;
        QTest::newRow("no game folder: the record and the file are kept") << false;
    }
    // The record keeps its line breaks, of any kind; only the file holds the bars.
    void save()
    {
        QFETCH(bool, gameFolder);
        const QByteArray before = "[Zelmor Car Data]\r\nDescription=old\r\nExtra=kept\r\n";
        mWorld->makeCar("myrc", before);
        if (!gameFolder) {
            modMain::gSettings().setDrovakDir(mWorld->root() + "/gone");
            mBoxes->expect();
            mBoxes->expect();
        }
        const auto car = Car("myrc", false);
        car->setCarName(QStringLiteral("Nuit Câline"));
        car->setBasedTemplate("rc");
        car->setDescription("one\r\ntwo\nthree|four\rfive");
        if (!gameFolder)
            car->LoadSettings();
        car->SaveSettings();
        QCOMPARE(car->Description(), QStringLiteral("one\r\ntwo\nthree|four\rfive"));
        if (!gameFolder) {
            QCOMPARE(mBoxes->boxes()[0].text, QStringLiteral("cCar: Unable to load settings."));
            QCOMPARE(mBoxes->boxes()[1].text, QStringLiteral("cCar: Unable to save settings."));
            QCOMPARE(mBoxes->boxes()[1].icon, MsgBox::Icon::Critical);
            QCOMPARE(car->ClassificationText(), QString());
            QCOMPARE(mWorld->read("game/cars/myrc/carinfo.ini"), before);
            return;
        }
        QCOMPARE(mWorld->read("game/cars/myrc/carinfo.ini"),
                 QByteArray("[Zelmor Car Data]\r\nDescription=one|two|three|four|five\r\n"
                            "Extra=kept\r\nName=Nuit C\xe2line\r\nAuthor=\r\nOriginalSkin=rc\r\n"));
        QCOMPARE(Car("myrc")->Description(), QStringLiteral("one\r\ntwo\r\nthree\r\nfour\r\nfive"));
    }

    void deleteFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<bool>("mount"); // the outside folder mounted inside the car folder
        // clang-format off
        QTest::newRow("folder with a read-only sub-folder and links inside") << "myrc" << true << false;
        QTest::newRow("a mount point inside is left alone") << "myrc" << false << true;
        QTest::newRow("folder already gone") << "gone" << false << false;
        QTest::newRow("a file, not a folder") << "file" << false << false;
        // None of these names one car folder; each would reach the cars folder or beyond.
        QTest::newRow("empty name") << "" << false << false;
        QTest::newRow("..") << ".." << false << false;
        QTest::newRow("a name with a separator") << "myrc/sub" << false << false;
        // clang-format on
    }
    void deleteFolder()
    {
        QFETCH(QString, folder);
        QFETCH(bool, deleted);
        QFETCH(bool, mount);
        const QString outside = mWorld->write("outside/keep.txt", "x");
        mWorld->makeCar("myrc");
        mWorld->write("game/cars/myrc/sub/deeper/.hidden", "x");
        QFile::setPermissions(mWorld->carDir("myrc") + "/sub", QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY(QFile::link(mWorld->root() + "/outside", mWorld->carDir("myrc") + "/folderlink"));
        QVERIFY(QFile::link(outside, mWorld->carDir("myrc") + "/filelink"));
        mWorld->write("game/cars/file", "x");
        const QByteArray source = QFile::encodeName(mWorld->root() + "/outside");
        std::optional<Mount> bind;
        if (mount && !bind.emplace(source.constData(), mWorld->write("game/cars/myrc/shared/", {}),
                                   nullptr, MS_BIND, nullptr)
                          .ok)
            QSKIP("bind mounts are not allowed here");

        mBoxes->expect();
        Car(folder, false)->Delete();
        QCOMPARE(mBoxes->only().text.section('\n', 0, 0),
                 deleted ? folder + " has been deleted."
                         : "There was a error while attempting to delete the directory.");
        QCOMPARE(mBoxes->only().title, deleted ? "Car Deleted" : QStringLiteral("Error"));
        QCOMPARE(mBoxes->only().icon, deleted ? MsgBox::Icon::None : MsgBox::Icon::Exclamation);
        QCOMPARE(QFileInfo::exists(mWorld->carDir("myrc")), !deleted);
        QCOMPARE(QFileInfo::exists(mWorld->carDir("myrc/sub/deeper/.hidden")), folder != "myrc");
        QCOMPARE(ReadFile(outside), QByteArray("x"));
        if (mount) {
            QCOMPARE(mBoxes->only().text.section('\n', 1),
                     "shared is a mount point of another file system, which is left alone");
            QCOMPARE(mWorld->read("game/cars/myrc/shared/keep.txt"), QByteArray("x"));
        }
    }

    void scan_data()
    {
        QTest::addColumn<int>("cars");
        QTest::addColumn<bool>("gameFolder");
        QTest::newRow("several hundred, read on threads") << 700 << true;
        QTest::newRow("no game folder: a message per record") << 100 << false;
    }
    // The scan reads many folders at once; what it gives must be what loading one record after
    // another, in folder order, gives, with the same messages on the calling thread.
    void scan()
    {
        QFETCH(int, cars);
        QFETCH(bool, gameFolder);
        QByteArray tables = "[Classify]\r\n";
        for (int i = 0; i < cars; i += 7)
            tables += "car" + QByteArray::number(i) + (i % 14 ? "=omit\r\n" : "=original\r\n");
        mWorld.emplace(tables + "[Names]\r\ncar14=Fourteen\r\n").loadSettings();
        for (int i = 0; i < cars; ++i) {
            const QString name = QStringLiteral("car%1").arg(i);
            mWorld->makeCar(name,
                            i % 3 ? "[Zelmor Car Data]\r\nName=N" + QByteArray::number(i) +
                                        "\r\nAuthor=A\r\nOriginalSkin=car0\r\nDescription=a|b\r\n"
                                  : "");
            if (i % 4 == 0)
                mWorld->write("game/cars/" + name + "/" + name.toUpper() + ".JPG", "J");
            if (i % 5 == 0)
                mWorld->write("game/cars/" + name + "/ReadMe.txt", "R");
            if (i % 50 == 10)
                mWorld->makeCar(name.toUpper()); // the game sees one of the two
        }
        mWorld->write(FileSystem::Decode("game/cars/caf\xe9/carinfo.ini"),
                      "[Zelmor Car Data]\r\nName=Caf\xe9\r\n");
        if (!gameFolder) {
            modMain::gSettings().setDrovakDir(mWorld->root() + "/gone");
            modMain::gSettings().setCarDir(mWorld->carsDir());
        }

        const cDirList folders = modDirSearch::ListCarFolders(mWorld->carsDir());
        for (int box = 0; box < (gameFolder ? 0 : 2 * folders.size()); ++box)
            mBoxes->expect();
        cCarCollection listed;
        QHash<QString, QList<std::shared_ptr<cCar>>> branches;
        for (const cDir& folder : folders) {
            const auto car = Car(folder.FolderName);
            if (QStringList{"Original", "Custom"}.contains(car->ClassificationText()) &&
                listed.Add(car, folder.FolderName))
                branches[car->ClassificationText()] << car;
        }
        QCOMPARE(listed.isEmpty(), !gameFolder);
        const auto fields = [](const auto& records) {
            QStringList all;
            for (const auto& car : records)
                all << car->DirectoryName() + '/' + Record(*car);
            return all;
        };
        const modCarList::ScannedCars scanned = modCarList::ScanCars(mWorld->carsDir());
        QCOMPARE(fields(modMain::gCars()), fields(listed));
        QCOMPARE(fields(scanned.standard), fields(branches["Original"]));
        QCOMPARE(fields(scanned.custom), fields(branches["Custom"]));
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
            frmCreateCarWizard made;
            made.setTemplateText("myrc");
            made.findChild<QLineEdit*>("txtCarName")->setText(QString(300, 'n'));
            made.findChild<QLineEdit*>("txtDirName")->setText("neuf");
            QTest::mouseClick(made.findChild<QPushButton*>("cmdFinish"), Qt::LeftButton);
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
        QString message; // the report of the error the save raises, or its box
        {
            // Room for a whole copy of every file, not for any of them grown.
            const FileSizeLimit limit(tmpfs ? RLIM_INFINITY : 200);
            MsgBoxRecorder boxes;
            boxes.expect();
            message = Raised(save);
            message += boxes.boxes().value(0).text;
        }
        for (const QString& part : told)
            QVERIFY2(message.contains(part), qPrintable(message));
        QCOMPARE(Snapshot(mWorld->root() + '/' + folder), before);
    }

    void sharedDisks_data()
    {
        QTest::addColumn<QString>("disk");
        QTest::newRow("exFAT") << "exFAT";
        QTest::newRow("FAT") << "FAT";
    }
    // Options, Update, making a car and the rewrites on a partition shared with Windows, as the
    // player who may write there: each save goes through and each file keeps its spelling.
    void sharedDisks()
    {
        QFETCH(QString, disk);
        const QString root = mWorld->root() + "/disk", car = root + "/game/cars/myrc";
        QFile::setPermissions(mWorld->root(), QFile::permissions(mWorld->root()) | QFile::ExeOther);
        QVERIFY(QDir().mkpath(root));
        const SharedDisk shared(disk, mWorld->root() + "/image", root);
        if (!shared.ok)
            QSKIP("mounting a file system through FUSE is not allowed here");
        // The disk takes torvane.ini for TORVANE.INI.
        mWorld->write("disk/program/TORVANE.INI", "[Directories]\r\nEXEPath=x\r\n");
        mWorld->write("disk/game/cars/myrc/CARINFO.INI", "[Zelmor Car Data]\r\nName=A\r\n");
        mWorld->write("disk/game/cars/myrc/Parameters.txt", "Name \"A\"\r\n\\myrc\\car.bmp\r\n");
        modMain::SetAppPath(root + "/program");
        modMain::gSettings().LoadSettings();
        modMain::gSettings().setDrovakDir(root + "/game");
        {
            const AsOrdinaryUser player;
            modMain::gSettings().setAuthor("Zoé");
            QCOMPARE(Raised([] { modMain::gSettings().SaveSettings(); }), QString());
            const auto record = Car("myrc", false);
            record->setCarName("Mine");
            record->SaveSettings();
            QVERIFY(modMakeCar::MakeCarPath("myrc", "neuf", "Neuf", "Zoé").result.ok);
        }
        const auto names = [](const QString& folder) {
            return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        };
        QCOMPARE(names(root + "/program"), QStringList{"TORVANE.INI"});
        QVERIFY(ReadFile(root + "/program/TORVANE.INI").contains("Name=Zo\xe9\r\n"));
        QCOMPARE(names(car), QStringList({"CARINFO.INI", "Parameters.txt"}));
        QVERIFY(ReadFile(car + "/CARINFO.INI").contains("Name=Mine\r\n"));
        const QString made = root + "/game/cars/neuf";
        QCOMPARE(names(made), QStringList({"CARINFO.INI", "Parameters.txt", "parameters.bak"}));
        QVERIFY(ReadFile(made + "/CARINFO.INI").contains("Name=Neuf\r\nAuthor=Zo\xe9\r\n"));
        QVERIFY(ReadFile(made + "/Parameters.txt").startsWith("Name\t\t\"Neuf\"\r\n\\neuf\\"));
    }

    // A parameters.txt that reads differently each time cannot be kept whole in the backup: the
    // rewrite stops before anything is replaced.
    void rewriteNeedsAWholeBackup()
    {
        if (!QFile::exists("/proc/self/io"))
            QSKIP("no /proc/self/io here, which changes at each read");
        const QString car = mWorld->makeCar("myrc");
        QVERIFY(QFile::link("/proc/self/io", car + "/parameters.txt"));
        mBoxes->expect();
        QVERIFY(!modMain::SetParamsObtain(car));
        QVERIFY2(mBoxes->only().text.endsWith("the copy differs from the file."),
                 qPrintable(mBoxes->only().text));
        QVERIFY(FileSystem::StatusOf(car + "/parameters.txt").link);
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
        QCOMPARE(modMain::Main({[] {}, [] {}}), modMain::Run::Normal);
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
        mBoxes->expect();
        car->Delete();
        QCOMPARE(mBoxes->only().text, QStringLiteral("café has been deleted."));
        QVERIFY(!FileSystem::StatusOf(cafe).exists);
    }
};

QTEST_MAIN(tst_Car)
#include "tst_Car.moc"
