#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "app/cSettings.h"
#include "app/modMain.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"
#include "cars/modCarList.h"
#include "cars/modDirSearch.h"
#include "cars/modMakeCar.h"
#include "platform/FileSystem.h"
#include "ui/wizard/frmCreateCarWizard.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>
#include <sys/fsuid.h>
#include <sys/resource.h>

#include <functional>

namespace {

const QByteArray kInfo = "[Zelmor Car Data]\r\nName=Blue\r\nAuthor=J\xe9r\xf4me\r\n"
                         "OriginalSkin=buggy\r\nDescription=one|two||four\r\n";

// A file system mounted by a shell command for one test and unmounted by another at its end;
// ok is false where mounting is not allowed. Empty commands mount nothing.
struct Mounted
{
    Mounted(const QString& mount, const QString& unmountBy)
        : ok(QProcess::execute("/bin/sh", {"-ec", mount}) == 0), unmount(unmountBy)
    {
    }
    ~Mounted() { QProcess::execute("/bin/sh", {"-c", unmount}); }
    const bool ok;
    const QString unmount;
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

// What a record shows: classification, name, author, template, description, photo and readme.
QString Record(const cCar& car)
{
    return car.ClassificationText() + '/' + car.CarName() + '/' + car.Author() + '/' +
           car.BasedTemplate() + '/' + car.Description() + '/' + QString::number(car.HasPhoto()) +
           '/' + QString::number(car.HasReadMe());
}

using Save = std::function<void()>;

// Update: the record of myrc saved with a new name.
Save Update(const QString& name)
{
    return [name] {
        const auto car = Car("myrc", false);
        car->setCarName(name);
        car->SaveSettings();
    };
}

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
        QTest::newRow("folders and FIFOs do not count") << "blue" << QStringList{"carinfo.ini|", "blue.jpg/", "readme.txt|"} << custom;
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
        }
        const auto car = Car("myrc", false);
        car->setCarName(QStringLiteral("Nuit Câline"));
        car->setBasedTemplate("rc");
        car->setDescription("one\r\ntwo\nthree|four\rfive");
        car->SaveSettings();
        QCOMPARE(car->Description(), QStringLiteral("one\r\ntwo\nthree|four\rfive"));
        QCOMPARE(mWorld->read("game/cars/myrc/carinfo.ini"),
                 gameFolder ? "[Zelmor Car Data]\r\nDescription=one|two|three|four|five\r\n"
                              "Extra=kept\r\nName=Nuit C\xe2line\r\nAuthor=\r\nOriginalSkin=rc\r\n"
                            : before);
        if (!gameFolder)
            QCOMPARE(mBoxes->only().text, QStringLiteral("cCar: Unable to save settings."));
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
        const QString car = mWorld->makeCar("myrc"), outside = mWorld->root() + "/outside";
        mWorld->write("outside/keep.txt", "x");
        mWorld->write("game/cars/myrc/sub/deeper/.hidden", "x");
        mWorld->write("game/cars/file", "x");
        QFile::setPermissions(car + "/sub", QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY(QFile::link(outside, car + "/folderlink"));
        QVERIFY(QFile::link(outside + "/keep.txt", car + "/filelink"));
        const Mounted bind(
            mount ? QString("mkdir '%1/shared'; mount --bind '%2' '%1/shared'").arg(car, outside)
                  : "",
            mount ? "umount '" + car + "/shared'" : "");
        if (!bind.ok)
            QSKIP("bind mounts are not allowed here");

        mBoxes->expect();
        Car(folder, false)->Delete();
        QCOMPARE(mBoxes->only().title + ": " + mBoxes->only().text.section('\n', 0, 0),
                 deleted ? "Car Deleted: " + folder + " has been deleted."
                         : "Error: There was a error while attempting to delete the directory.");
        QCOMPARE(mBoxes->only().icon, deleted ? MsgBox::Icon::None : MsgBox::Icon::Exclamation);
        QCOMPARE(QFileInfo::exists(car), !deleted);
        QCOMPARE(QFileInfo::exists(car + "/sub/deeper/.hidden"), folder != "myrc");
        QCOMPARE(mWorld->read("outside/keep.txt"), QByteArray("x"));
        if (mount)
            QCOMPARE(mBoxes->only().text.section('\n', 1),
                     "shared is a mount point of another file system, which is left alone");
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
            mWorld->makeCar(name, i % 3 ? QByteArray(kInfo).replace("Blue", name.toLatin1()) : "");
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
        QTest::addColumn<Save>("save");
        QTest::addColumn<QStringList>("told");

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
        const QString leftAlone = "The file was left as it was.";
        // clang-format off
        QTest::newRow("settings") << "program" << Save([] { modMain::gSettings().setDrovakDir(QString(300, 'g')); modMain::gSettings().SaveSettings(); }) << QStringList{tooLarge, "(0x8004270F)\nSource: cSettings:SaveSettings Method\nAn unknown error has occurred!"};
        QTest::newRow("Update") << car << Update(QString(300, 'n')) << QStringList{tooLarge};
        QTest::newRow("whole-file write") << car << Save([this] { QVERIFY(!modMain::WriteWholeFile(mWorld->carDir("myrc") + "/parameters.txt", QString(300, 'p'))); }) << QStringList{tooLarge, leftAlone};
        QTest::newRow("rewrite, after the backup") << car << Save([this] { QVERIFY(!modMain::SetParamsName(mWorld->carDir("myrc") + '/', QString(100, 'n'))); }) << QStringList{tooLarge, leftAlone};
        QTest::newRow("wizard, at carinfo.ini") << car << wizard << QStringList{tooLarge, "left in the Drovak car directory as '" + QDir::toNativeSeparators("/cars/neuf'")};
        // clang-format on
    }
    void wholeOrNothing()
    {
        QFETCH(QString, folder);
        QFETCH(Save, save);
        QFETCH(QStringList, told);
        mWorld->makeCar("myrc",
                        "[Zelmor Car Data]\r\nName=Mine\r\n" + QByteArray(150, ';') + "\r\n");
        // The backup already holds what a whole copy would write, so nothing may differ after.
        const QByteArray params = "Name \"Old\"\r\n" + QByteArray(150, 'x');
        mWorld->write("game/cars/myrc/parameters.txt", params);
        mWorld->write("game/cars/myrc/parameters.bak", params);
        const QStringList before = Snapshot(mWorld->root() + '/' + folder);
        QString message; // the report of the error the save raises, or its box
        {
            // Room for a whole copy of every file, not for any of them grown: a write past it
            // fails part way, as on a full disk (EFBIG, with the signal that would end the run
            // ignored).
            rlimit old{};
            getrlimit(RLIMIT_FSIZE, &old);
            const rlimit limit{200, old.rlim_max};
            std::signal(SIGXFSZ, SIG_IGN);
            setrlimit(RLIMIT_FSIZE, &limit);
            const auto unlimited = qScopeGuard([old] { setrlimit(RLIMIT_FSIZE, &old); });
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
        // Mounted as a dual-boot player mounts the Windows data partition: for every user, owned
        // by root, keeping no Unix permissions; the player reaches it through the test's folder.
        const Mounted shared(
            QString("mkdir '%2'; chmod o+x '%2/..'; i='%2.img'; truncate -s 32M $i; "
                    "o=allow_other,umask=000; if [ %1 = exFAT ]; then mkfs.exfat $i; "
                    "l=$(losetup -f --show $i); mount.exfat-fuse -o $o $l '%2'; else mkfs.vfat $i; "
                    "fusefat -o rw+,$o $i '%2'; fi")
                .arg(disk, root),
            QString("umount '%1'; for l in $(losetup -nO NAME -j '%1.img'); do losetup -d $l; done")
                .arg(root));
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
            // As the player: root would be let through where the player is refused.
            setfsgid(65534), setfsuid(65534);
            const auto asRoot = qScopeGuard([] { setfsuid(0), setfsgid(0); });
            modMain::gSettings().setAuthor("Zoé");
            QCOMPARE(Raised([] { modMain::gSettings().SaveSettings(); }), QString());
            Update("Mine")();
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
        QTest::addColumn<Save>("save");
        QTest::addColumn<QByteArray>("written"); // what the plain file in the link's place holds

        const QByteArray theirs("[Zelmor Car Data]\r\nName=Theirs\r\n");
        const QByteArray mine("[Zelmor Car Data]\r\nName=Mine\r\n");
        const QString carinfo = "game/cars/myrc/carinfo.ini";
        // clang-format off
        QTest::newRow("carinfo.ini to a file outside") << carinfo << theirs << Update("Mine") << mine;
        QTest::newRow("carinfo.ini dangling") << carinfo << QByteArray() << Update("Mine") << mine;
        QTest::newRow("parameters.bak to a file outside") << "game/cars/myrc/parameters.bak" << QByteArray("theirs") << Save([this] { QVERIFY(modMain::SetParamsName(mWorld->carDir("myrc"), "N")); }) << QByteArray("Name \"Old\"\r\nObtain 5\r\n");
        QTest::newRow("parameters.txt to a file outside") << "game/cars/myrc/parameters.txt" << QByteArray("Obtain 3\r\n") << Save([this] { QVERIFY(modMain::SetParamsObtain(mWorld->carDir("myrc"))); }) << QByteArray("Obtain\t0\r\n");
        // clang-format on
    }
    void linksAreReplaced()
    {
        QFETCH(QString, link);
        QFETCH(QByteArray, outside);
        QFETCH(Save, save);
        QFETCH(QByteArray, written);
        mWorld->makeCar("myrc");
        mWorld->write("game/cars/myrc/parameters.txt", "Name \"Old\"\r\nObtain 5\r\n");
        const QString target = mWorld->root() + "/outside/target";
        if (!outside.isNull())
            mWorld->write("outside/target", outside);
        QFile::remove(mWorld->root() + '/' + link);
        QVERIFY(QFile::link(target, mWorld->root() + '/' + link));
        save();
        // Nothing reached the file outside, nor made one where the link pointed at nothing.
        QCOMPARE(ReadFile(target), outside);
        QVERIFY2(mWorld->read(link).contains(written), mWorld->read(link).constData());
    }

    // The game, cars and program folders carry Windows-1252 bytes, as copied from Windows.
    void namesAsBytes()
    {
        const QString game = mWorld->root() + FileSystem::Decode("/jeu\xe9");
        const QString cafe = game + FileSystem::Decode("/cars/caf\xe9");
        for (const char* file : {"caf\xe9/carinfo.ini", "caf\xe9/caf\xe9.jpg",
                                 "caf\xe9/skin\xe9.bmp", "a\xe8/car.bmp", "a\xe9/car.bmp"})
            mWorld->write(FileSystem::Decode(QByteArray("jeu\xe9/cars/") + file),
                          "[Zelmor Car Data]\r\nName=Caf\xe9 Racer\r\n");
        mWorld->write(FileSystem::Decode("programme\xe9/torvane.ini"),
                      "[Directories]\r\nEXEPath=" + FileSystem::Encode(game));
        modMain::SetAppPath(mWorld->root() + FileSystem::Decode("/programme\xe9"));
        QCOMPARE(modMain::Main({[] {}, [] {}}), modMain::Run::Normal);

        // a\xe8 and a\xe9 are two cars, as the game sees them.
        QCOMPARE(modCarList::ScanCars(modMain::gSettings().CarDir()).custom.size(), 3);
        const auto car = modMain::gCars().Find(FileSystem::Decode("caf\xe9"));
        QCOMPARE(car ? car->CarName() : QString(), QStringLiteral("Café Racer"));
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
