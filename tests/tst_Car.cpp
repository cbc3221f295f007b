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

const QByteArray kInfo = "[Zelmor Car Data]\r\nName=Blue\r\nAuthor=J\xe9r\xf4me\r\n"
                         "OriginalSkin=buggy\r\nDescription=one|two||four\r\n";

// A car folder as a record: its carinfo.ini, its classification and its deletion; and the scan
// that makes the records of the whole cars folder.
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
        QTest::addColumn<QStringList>("files"); // each holding kInfo; a trailing "/" makes a folder
        // Classification, name, author, template and description.
        QTest::addColumn<QStringList>("record");
        QTest::addColumn<bool>("hasPhoto");
        QTest::addColumn<bool>("hasReadMe");
        const QStringList blue{"Custom", "Blue", "Jérôme", "buggy", "one\r\ntwo\r\n\r\nfour"};
        const QStringList custom{"Custom", "", "", "", ""},
            standard{"Original", "RC Sprinter", "Merrowin", "buggy", "Original Drovak Car"};
        // clang-format off
        QTest::newRow("custom car") << "blue" << QStringList{"carinfo.ini"} << blue << false << false;
        QTest::newRow("other letter case") << "blue" << QStringList{"CarInfo.INI", "BLUE.JPG", "ReadMe.TXT"} << blue << true << true;
        QTest::newRow("other names do not count") << "blue" << QStringList{"car.jpg", "blue.jpeg", "readme.doc"} << custom << false << false;
        QTest::newRow("folders do not count") << "blue" << QStringList{"blue.jpg/", "readme.txt/"} << custom << false << false;
        QTest::newRow("standard car overrules its own file") << "rc" << QStringList{"carinfo.ini"} << standard << false << false;
        QTest::newRow("standard car without a name entry") << "coupe" << QStringList{"carinfo.ini"} << QStringList{"Original", "", "Merrowin", "buggy", "Original Drovak Car"} << false << false;
        QTest::newRow("folder in other letter case") << "RC" << QStringList{} << QStringList{"Original", "RC Sprinter", "Merrowin", "", "Original Drovak Car"} << false << false;
        QTest::newRow("omitted folder") << "misc" << QStringList{} << QStringList{"Omit", "", "", "", ""} << false << false;
        QTest::newRow("\"Omit\" is not omit") << "big" << QStringList{} << custom << false << false;
        QTest::newRow("\"ORIGINAL\" is not original") << "loud" << QStringList{} << custom << false << false;
        // clang-format on
    }
    // The photo and readme flags are only ever set by loading, never cleared.
    void load()
    {
        QFETCH(QString, folder);
        QFETCH(QStringList, files);
        mWorld->makeCar(folder);
        for (const QString& file : files)
            mWorld->write("game/cars/" + folder + "/" + file, kInfo);
        const auto car = Car(folder);
        QTEST((QStringList{car->Classification(), car->CarName(), car->Author(),
                           car->BasedTemplate(), car->Description()}),
              "record");
        QTEST(car->HasPhoto(), "hasPhoto");
        QTEST(car->HasReadMe(), "hasReadMe");
        QVERIFY(QDir(mWorld->carDir(folder)).removeRecursively());
        mWorld->makeCar(folder);
        car->LoadSettings();
        QTEST(car->HasPhoto(), "hasPhoto");
        QTEST(car->HasReadMe(), "hasReadMe");
    }

    void missingGameFolder()
    {
        mWorld->makeCar("myrc", "[Zelmor Car Data]\r\nName=Mine\r\n");
        modMain::gSettings().setDrovakDir(mWorld->root() + "/gone");
        mBoxes->expect();
        mBoxes->expect();
        const auto car = Car("myrc", false);
        car->setCarName("Kept");
        car->LoadSettings();
        car->SaveSettings();
        QCOMPARE(mBoxes->boxes()[0].text, QStringLiteral("cCar: Unable to load settings."));
        QCOMPARE(mBoxes->boxes()[1].text, QStringLiteral("cCar: Unable to save settings."));
        QCOMPARE(mBoxes->boxes()[1].icon, MsgBox::Icon::Critical);
        QCOMPARE(car->CarName(), QStringLiteral("Kept"));
        QCOMPARE(car->Classification(), QString());
        QCOMPARE(mWorld->read("game/cars/myrc/carinfo.ini"),
                 QByteArray("[Zelmor Car Data]\r\nName=Mine\r\n"));
    }

    // The record keeps its line breaks, of any kind; only the file holds the bars.
    void save()
    {
        mWorld->makeCar("myrc", "[Zelmor Car Data]\r\nDescription=old\r\nExtra=kept\r\n");
        const auto car = Car("myrc", false);
        car->setCarName(QStringLiteral("Nuit Câline"));
        car->setBasedTemplate("rc");
        car->setDescription("one\r\ntwo\nthree|four\rfive");
        car->SaveSettings();
        QCOMPARE(car->Description(), QStringLiteral("one\r\ntwo\nthree|four\rfive"));
        QCOMPARE(mWorld->read("game/cars/myrc/carinfo.ini"),
                 QByteArray("[Zelmor Car Data]\r\nDescription=one|two|three|four|five\r\n"
                            "Extra=kept\r\nName=Nuit C\xe2line\r\nAuthor=\r\nOriginalSkin=rc\r\n"));
        QCOMPARE(Car("myrc")->Description(), QStringLiteral("one\r\ntwo\r\nthree\r\nfour\r\nfive"));
    }

    void deleteFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("folder with a read-only sub-folder and links inside") << "myrc" << true;
        QTest::newRow("folder already gone") << "gone" << false;
        QTest::newRow("a file, not a folder") << "file" << false;
        // None of these names one car folder; each would reach the cars folder or beyond.
        QTest::newRow("empty name") << "" << false;
        QTest::newRow("..") << ".." << false;
        QTest::newRow("a name with a separator") << "myrc/sub" << false;
    }
    void deleteFolder()
    {
        QFETCH(QString, folder);
        QFETCH(bool, deleted);
        const QString outside = mWorld->write("outside/keep.txt", "x");
        mWorld->makeCar("myrc");
        mWorld->write("game/cars/myrc/sub/deeper/.hidden", "x");
        QFile::setPermissions(mWorld->carDir("myrc") + "/sub", QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY(QFile::link(mWorld->root() + "/outside", mWorld->carDir("myrc") + "/folderlink"));
        QVERIFY(QFile::link(outside, mWorld->carDir("myrc") + "/filelink"));
        mWorld->write("game/cars/file", "x");

        mBoxes->expect();
        Car(folder, false)->Delete();
        QCOMPARE(mBoxes->only().text, deleted ? folder + " has been deleted."
                                              : "There was a error while attempting to delete "
                                                "the directory.");
        QCOMPARE(mBoxes->only().title, deleted ? "Car Deleted" : QStringLiteral("Error"));
        QCOMPARE(mBoxes->only().icon, deleted ? MsgBox::Icon::None : MsgBox::Icon::Exclamation);
        QCOMPARE(QFileInfo::exists(mWorld->carDir("myrc")), !deleted);
        QCOMPARE(QFileInfo::exists(mWorld->carDir("myrc/sub/deeper/.hidden")), !deleted);
        QCOMPARE(ReadFile(outside), QByteArray("x"));
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
            if (QStringList{"Original", "Custom"}.contains(car->Classification()) &&
                listed.Add(car, folder.FolderName))
                branches[car->Classification()] << car;
        }
        QCOMPARE(listed.isEmpty(), !gameFolder);
        const auto fields = [](const auto& cars) {
            QStringList all;
            for (const auto& c : cars)
                all << QStringList{c->DirectoryName(),
                                   c->Classification(),
                                   c->CarName(),
                                   c->Author(),
                                   c->BasedTemplate(),
                                   c->Description(),
                                   QString::number(c->HasPhoto()),
                                   QString::number(c->HasReadMe())}
                           .join('/');
            return all;
        };
        const modCarList::ScannedCars scanned = modCarList::ScanCars(mWorld->carsDir());
        QCOMPARE(fields(modMain::gCars()), fields(listed));
        QCOMPARE(fields(scanned.standard), fields(branches["Original"]));
        QCOMPARE(fields(scanned.custom), fields(branches["Custom"]));
    }
};

QTEST_GUILESS_MAIN(tst_Car)
#include "tst_Car.moc"
