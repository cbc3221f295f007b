#include "Faults.h"
#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "app/cSettings.h"
#include "app/modMain.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"
#include "cars/modCarList.h"
#include "cars/modDirSearch.h"
#include "platform/FileSystem.h"

#include <QtTest>

#include <dirent.h>
#include <dlfcn.h>

namespace {

bool gTypesUnknown = false; // as a file system that gives no entry types with the names

const QByteArray kInfo = "[Zelmor Car Data]\r\nName=Blue\r\nAuthor=J\xe9r\xf4me\r\n"
                         "OriginalSkin=buggy\r\nDescription=one|two||four\r\n";

// What a record shows: classification, name, author, template, description, photo and readme.
QString Record(const cCar& car)
{
    return car.ClassificationText() + '/' + car.CarName() + '/' + car.Author() + '/' +
           car.BasedTemplate() + '/' + car.Description() + '/' + QString::number(car.HasPhoto()) +
           '/' + QString::number(car.HasReadMe());
}

} // namespace

extern "C" ssize_t getdents64(int folder, void* buffer, size_t size) noexcept
{
    static const auto real =
        reinterpret_cast<ssize_t (*)(int, void*, size_t)>(::dlsym(RTLD_NEXT, "getdents64"));
    const ssize_t got = real(folder, buffer, size);
    for (ssize_t at = 0; gTypesUnknown && at < got;) {
        auto* entry = reinterpret_cast<dirent64*>(static_cast<char*>(buffer) + at);
        entry->d_type = DT_UNKNOWN;
        at += entry->d_reclen;
    }
    return got;
}

// A car folder as a record: its carinfo.ini, its classification and its deletion, with mount
// points, links and FIFOs in car folders; the scan that makes the records of the whole cars
// folder; and names that are not UTF-8, as copied from Windows.
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
        // files: each holds kInfo; a trailing "/" makes a folder, a trailing "|" a FIFO.
        Columns<QString, QStringList, QString>("folder", "files", "record");
        const QString blue = "Custom/Blue/Jérôme/buggy/one\r\ntwo\r\n\r\nfour/";
        const QString custom = "Custom/////0/0",
                      standard = "/Merrowin/buggy/Original Drovak Car/0/0";
        // clang-format off
        QTest::newRow("custom car, its files in other letter case") << "blue" << QStringList{"CarInfo.INI", "BLUE.JPG", "ReadMe.TXT"} << blue + "1/1";
        QTest::newRow("other names do not count") << "blue" << QStringList{"car.jpg", "blue.jpeg", "readme.doc"} << custom;
        QTest::newRow("folders and FIFOs do not count") << "blue" << QStringList{"carinfo.ini|", "blue.jpg/", "readme.txt|"} << custom;
        QTest::newRow("standard car in other letter case overrules its own file") << "RC" << QStringList{"carinfo.ini"} << "Original/RC Sprinter" + standard;
        QTest::newRow("standard car without a name entry") << "coupe" << QStringList{"carinfo.ini"} << "Original/" + standard;
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

    // The record keeps its line breaks, of any kind; only the file holds the bars. With no game
    // folder the record and the file are kept.
    void save()
    {
        mWorld->makeCar("myrc", "[Zelmor Car Data]\r\nDescription=old\r\nExtra=kept\r\n");
        const QString lines = "one\r\ntwo\nthree|four\rfive";
        const QByteArray saved =
            "[Zelmor Car Data]\r\nDescription=one|two|three|four|five\r\n"
            "Extra=kept\r\nName=Nuit C\xe2line\r\nAuthor=\r\nOriginalSkin=rc\r\n";
        for (const bool gameFolder : {true, false}) {
            if (!gameFolder) {
                modMain::gSettings().setDrovakDir(mWorld->root() + "/gone");
                mBoxes->expect();
            }
            const auto car = Car("myrc", false);
            car->setCarName(QStringLiteral("Nuit Câline"));
            car->setBasedTemplate(gameFolder ? "rc" : "buggy");
            car->setDescription(gameFolder ? lines : "other");
            car->SaveSettings();
            QCOMPARE(car->Description(), gameFolder ? lines : "other");
            QCOMPARE(mWorld->read("game/cars/myrc/carinfo.ini"), saved);
        }
        QCOMPARE(mBoxes->only().text, QStringLiteral("cCar: Unable to save settings."));
    }

    void deleteFolder_data()
    {
        // mount: the outside folder mounted inside the car folder; moved: the game folder
        // changed in Options after the car was listed, to a game with a car of that name
        Columns<QString, bool, bool, bool>("folder", "deleted", "mount", "moved");
        // clang-format off
        QTest::newRow("folder with a read-only sub-folder and links inside") << "myrc" << true << false << false;
        QTest::newRow("the folder it was listed in") << "myrc" << true << false << true;
        QTest::newRow("a mount point inside is left alone") << "myrc" << false << true << false;
        QTest::newRow("folder already gone") << "gone" << false << false << false;
        QTest::newRow("a file, not a folder") << "file" << false << false << false;
        // None of these names one car folder; each would reach the cars folder or beyond.
        QTest::newRow("empty name") << "" << false << false << false;
        QTest::newRow("..") << ".." << false << false << false;
        QTest::newRow("a name with a separator") << "myrc/sub" << false << false << false;
        // clang-format on
    }
    void deleteFolder()
    {
        QFETCH(QString, folder);
        QFETCH(bool, deleted);
        QFETCH(bool, mount);
        QFETCH(bool, moved);
        const QString car = mWorld->makeCar("myrc"), outside = mWorld->root() + "/outside";
        for (const char* file : {"outside/keep.txt", "game/cars/myrc/sub/deeper/.hidden",
                                 "game/cars/file", "other/cars/myrc/parameters.txt"})
            mWorld->write(file, "x");
        QFile::setPermissions(car + "/sub", QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY(QFile::link(outside, car + "/folderlink"));
        QVERIFY(QFile::link(outside + "/keep.txt", car + "/filelink"));
        const Mounted bind(
            mount ? QString("mkdir '%1/shared'; mount --bind '%2' '%1/shared'").arg(car, outside)
                  : "",
            mount ? "umount '" + car + "/shared'" : "");
        if (!bind.ok)
            QSKIP("bind mounts are not allowed here");

        const std::shared_ptr<cCar> record = Car(folder, moved);
        if (moved)
            modMain::gSettings().setDrovakDir(mWorld->root() + "/other");
        mBoxes->expect();
        record->Delete();
        const QString why = "\nshared is a mount point of another file system, which is left alone";
        QCOMPARE(mBoxes->only().title + ": " + mBoxes->only().text.section('\n', 0, mount),
                 deleted ? "Car Deleted: " + folder + " has been deleted."
                         : "Error: There was a error while attempting to delete the directory." +
                               (mount ? why : ""));
        QCOMPARE(QFileInfo::exists(car), !deleted);
        QCOMPARE(QFileInfo::exists(car + "/sub/deeper/.hidden"), folder != "myrc");
        QCOMPARE(mWorld->read("outside/keep.txt"), QByteArray("x"));
        QCOMPARE(mWorld->read("other/cars/myrc/parameters.txt"), QByteArray("x"));
    }

    void scan_data()
    {
        Columns<int, bool, bool>("cars", "gameFolder", "typesKnown");
        QTest::newRow("over a thousand, read on threads") << 1100 << true << true;
        QTest::newRow("no game folder: a message per record") << 100 << false << true;
        QTest::newRow("a file system that gives no entry types") << 100 << true << false;
    }
    // The scan reads many folders at once; what it gives must be what loading one record after
    // another, in folder order, gives, with the same messages on the calling thread.
    void scan()
    {
        QFETCH(int, cars);
        QFETCH(bool, gameFolder);
        QFETCH(bool, typesKnown);
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
        gTypesUnknown = !typesKnown;
        const modCarList::ScannedCars scanned = TestWorld::cars().Scan();
        gTypesUnknown = false;
        QCOMPARE(fields(modMain::gCars()), fields(listed));
        QCOMPARE(fields(scanned.standard), fields(branches["Original"]));
        QCOMPARE(fields(scanned.custom), fields(branches["Custom"]));
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
        QCOMPARE(TestWorld::cars().Scan().custom.size(), 3);
        const auto car = modMain::gCars().Find(FileSystem::Decode("caf\xe9"));
        QCOMPARE(car ? Record(*car) : QString(), QStringLiteral("Custom/Café Racer////1/0"));
        car->setAuthor(QStringLiteral("Zoé"));
        car->SaveSettings();
        QVERIFY(ReadFile(cafe + "/carinfo.ini").contains("Author=Zo\xe9\r\n"));
        mBoxes->expect();
        car->Delete();
        QCOMPARE(mBoxes->only().text, QStringLiteral("café has been deleted."));
        QVERIFY(!FileSystem::StatusOf(cafe).exists);
    }
};

QTEST_GUILESS_MAIN(tst_Car)
#include "tst_Car.moc"
