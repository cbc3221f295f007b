#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "app/cSettings.h"
#include "app/modErrorHandling.h"
#include "app/modMain.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"

#include <QDir>
#include <QFile>
#include <QTest>

class tst_Car : public QObject
{
    Q_OBJECT

private slots:
    void load_data();
    void load();
    void photoAndReadMe_data();
    void photoAndReadMe();
    void photoFlagIsNeverCleared();
    void missingGameFolder();
    void saveStoresBarsAndKeepsLineBreaks();
    void saveFailureRaises();
    void deleteFolder();
    void deleteFailures_data();
    void deleteFailures();
    void deleteNeverFollowsLinks();
    void collectionKeysIgnoreCase();
};

namespace {

std::shared_ptr<cCar> LoadedCar(const QString& folder)
{
    auto car = std::make_shared<cCar>();
    car->setDirectoryName(folder);
    car->LoadSettings();
    return car;
}

} // namespace

void tst_Car::load_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("infoName"); // the information file's name in the folder
    QTest::addColumn<QByteArray>("carinfo");
    QTest::addColumn<QString>("classification");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("author");
    QTest::addColumn<QString>("basedOn");
    QTest::addColumn<QString>("description");

    const QByteArray blue("[Zelmor Car Data]\r\nName=Blue Buggy\r\nAuthor=J\xe9r\xf4me\r\n"
                          "OriginalSkin=buggy\r\nDescription=one|two||four\r\n");
    QTest::newRow("no carinfo.ini") << "plain"
                                    << "" << QByteArray() << "Custom"
                                    << ""
                                    << ""
                                    << ""
                                    << "";
    QTest::newRow("custom car") << "bluebuggy"
                                << "carinfo.ini" << blue << "Custom"
                                << "Blue Buggy" << QStringLiteral("Jérôme") << "buggy"
                                << "one\r\ntwo\r\n\r\nfour";
    QTest::newRow("carinfo.ini in other letter case")
        << "bluebuggy"
        << "CarInfo.INI" << blue << "Custom"
        << "Blue Buggy" << QStringLiteral("Jérôme") << "buggy"
        << "one\r\ntwo\r\n\r\nfour";
    QTest::newRow("standard car: its own file is overruled") << "rc"
                                                             << "carinfo.ini" << blue << "Original"
                                                             << "RC Sprinter"
                                                             << "Merrowin"
                                                             << "buggy"
                                                             << "Original Drovak Car";
    QTest::newRow("standard car without a name entry") << "coupe"
                                                       << "carinfo.ini" << blue << "Original"
                                                       << ""
                                                       << "Merrowin"
                                                       << "buggy"
                                                       << "Original Drovak Car";
    QTest::newRow("standard car, folder in other letter case") << "RC"
                                                               << "" << QByteArray() << "Original"
                                                               << "RC Sprinter"
                                                               << "Merrowin"
                                                               << ""
                                                               << "Original Drovak Car";
    QTest::newRow("omitted folder") << "misc"
                                    << "" << QByteArray() << "Omit"
                                    << ""
                                    << ""
                                    << ""
                                    << "";
    QTest::newRow("\"Omit\" is not omit") << "big"
                                          << "" << QByteArray() << "Custom"
                                          << ""
                                          << ""
                                          << ""
                                          << "";
    QTest::newRow("\"ORIGINAL\" is not original") << "loud"
                                                  << "" << QByteArray() << "Custom"
                                                  << ""
                                                  << ""
                                                  << ""
                                                  << "";
}

void tst_Car::load()
{
    QFETCH(QString, folder);
    QFETCH(QString, infoName);
    QFETCH(QByteArray, carinfo);

    TestWorld world("[Classify]\r\nrc=original\r\ncoupe=original\r\nmisc=omit\r\nbig=Omit\r\n"
                    "loud=ORIGINAL\r\n[Names]\r\nrc=RC Sprinter\r\n");
    world.loadSettings();
    world.makeCar(folder);
    if (!infoName.isEmpty())
        world.write("game/cars/" + folder + "/" + infoName, carinfo);

    MsgBoxRecorder boxes;
    const auto car = LoadedCar(folder);
    VERIFY_BOXES(boxes);
    QTEST(car->Classification(), "classification");
    QTEST(car->CarName(), "name");
    QTEST(car->Author(), "author");
    QTEST(car->BasedTemplate(), "basedOn");
    QTEST(car->Description(), "description");
}

void tst_Car::photoAndReadMe_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("hasPhoto");
    QTest::addColumn<bool>("hasReadMe");

    QTest::newRow("neither") << QStringList{} << false << false;
    QTest::newRow("both") << QStringList{"myrc.jpg", "readme.txt"} << true << true;
    QTest::newRow("other letter case") << QStringList{"MYRC.JPG", "ReadMe.TXT"} << true << true;
    QTest::newRow("other picture names do not count")
        << QStringList{"car.jpg", "myrc.jpeg", "myrc.png", "readme.doc"} << false << false;
    QTest::newRow("folders do not count")
        << QStringList{"myrc.jpg/", "readme.txt/"} << false << false;
}

void tst_Car::photoAndReadMe()
{
    QFETCH(QStringList, files);
    TestWorld world;
    world.loadSettings();
    world.makeCar("myrc");
    for (const QString& file : files) {
        if (file.endsWith('/'))
            QVERIFY(QDir(world.carDir("myrc")).mkdir(file.chopped(1)));
        else
            world.write("game/cars/myrc/" + file, "x");
    }
    const auto car = LoadedCar("myrc");
    QTEST(car->HasPhoto(), "hasPhoto");
    QTEST(car->HasReadMe(), "hasReadMe");
}

void tst_Car::photoFlagIsNeverCleared()
{
    TestWorld world;
    world.loadSettings();
    world.makeCar("myrc");
    const QString photo = world.write("game/cars/myrc/myrc.jpg", "x");
    cCar car;
    car.setDirectoryName("myrc");
    car.LoadSettings();
    QVERIFY(car.HasPhoto());
    QVERIFY(QFile::remove(photo));
    car.LoadSettings();
    QVERIFY(car.HasPhoto());
}

void tst_Car::missingGameFolder()
{
    TestWorld world;
    world.loadSettings();
    world.makeCar("myrc", "[Zelmor Car Data]\r\nName=Mine\r\n");
    modMain::gSettings().setDrovakDir(world.root() + "/gone");

    MsgBoxRecorder boxes;
    boxes.expect();
    boxes.expect();
    cCar car;
    car.setDirectoryName("myrc");
    car.setCarName("Kept");
    car.LoadSettings();
    car.SaveSettings();
    VERIFY_BOXES(boxes);
    QCOMPARE(boxes.boxes().size(), 2);
    QCOMPARE(boxes.boxes()[0].text, QStringLiteral("cCar: Unable to load settings."));
    QCOMPARE(boxes.boxes()[1].text, QStringLiteral("cCar: Unable to save settings."));
    for (const MsgBox::Box& box : boxes.boxes()) {
        QCOMPARE(box.title, QStringLiteral("Error"));
        QCOMPARE(box.icon, MsgBox::Icon::Critical);
    }
    QCOMPARE(car.CarName(), QStringLiteral("Kept"));
    QCOMPARE(car.Classification(), QString());
    QCOMPARE(world.read("game/cars/myrc/carinfo.ini"),
             QByteArray("[Zelmor Car Data]\r\nName=Mine\r\n"));
}

void tst_Car::saveStoresBarsAndKeepsLineBreaks()
{
    TestWorld world;
    world.loadSettings();
    world.makeCar("myrc", "[Zelmor Car Data]\r\nDescription=old\r\nExtra=kept\r\n");
    cCar car;
    car.setDirectoryName("myrc");
    car.setCarName(QStringLiteral("Nuit Câline"));
    car.setAuthor("me");
    car.setBasedTemplate("rc");
    car.setDescription("one\r\ntwo\nthree|four");
    car.SaveSettings();

    QCOMPARE(car.Description(), QStringLiteral("one\r\ntwo\nthree|four"));
    QCOMPARE(world.read("game/cars/myrc/carinfo.ini"),
             QByteArray("[Zelmor Car Data]\r\nDescription=one|two|three|four\r\nExtra=kept\r\n"
                        "Name=Nuit C\xe2line\r\nAuthor=me\r\nOriginalSkin=rc\r\n"));

    const auto again = LoadedCar("myrc");
    QCOMPARE(again->CarName(), QStringLiteral("Nuit Câline"));
    QCOMPARE(again->Description(), QStringLiteral("one\r\ntwo\r\nthree\r\nfour"));
}

void tst_Car::saveFailureRaises()
{
    TestWorld world;
    world.loadSettings();
    cCar car;
    car.setDirectoryName("gone");
    try {
        car.SaveSettings();
        QFAIL("SaveSettings did not raise");
    } catch (const modErrorHandling::AppError& error) {
        QCOMPARE(quint32(error.number()), 0x8004270Fu);
        QCOMPARE(error.source(), QStringLiteral("cCar:SaveSettings Method"));
        QVERIFY2(error.detail().contains(world.carDir("gone")), qPrintable(error.detail()));
    }
}

void tst_Car::deleteFolder()
{
    TestWorld world;
    world.loadSettings();
    world.makeCar("myrc", "[Zelmor Car Data]\r\nName=x\r\n");
    world.write("game/cars/myrc/sub/deeper/file.txt", "x");
    world.write("game/cars/myrc/.hidden", "x");
    const QString locked = world.carDir("myrc") + "/sub";
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    world.makeCar("other");

    MsgBoxRecorder boxes;
    boxes.expect();
    cCar car;
    car.setDirectoryName("myrc");
    car.Delete();
    VERIFY_BOXES(boxes);
    QCOMPARE(boxes.only().title, QStringLiteral("Car Deleted"));
    QCOMPARE(boxes.only().text, QStringLiteral("myrc has been deleted."));
    QCOMPARE(boxes.only().icon, MsgBox::Icon::None);
    QVERIFY(!QFileInfo::exists(world.carDir("myrc")));
    QVERIFY(QFileInfo::exists(world.carDir("other") + "/car.bmp"));
}

void tst_Car::deleteFailures_data()
{
    QTest::addColumn<bool>("fileInPlace");
    QTest::newRow("folder already gone") << false;
    QTest::newRow("a file, not a folder") << true;
}

void tst_Car::deleteFailures()
{
    QFETCH(bool, fileInPlace);
    TestWorld world;
    world.loadSettings();
    if (fileInPlace)
        world.write("game/cars/myrc", "x");

    MsgBoxRecorder boxes;
    boxes.expect();
    cCar car;
    car.setDirectoryName("myrc");
    car.Delete();
    VERIFY_BOXES(boxes);
    QCOMPARE(boxes.only().title, QStringLiteral("Error"));
    QCOMPARE(boxes.only().text,
             QStringLiteral("There was a error while attempting to delete the directory."));
    QCOMPARE(boxes.only().icon, MsgBox::Icon::Exclamation);
    QCOMPARE(QFileInfo::exists(world.carDir("myrc")), fileInPlace);
}

void tst_Car::deleteNeverFollowsLinks()
{
    TestWorld world;
    world.loadSettings();
    const QString outside = world.write("outside/keep.txt", "x");
    const QString outsideFolder = world.root() + "/outside";

    // A car folder that is itself a link to a folder outside the cars folder.
    QVERIFY(QFile::link(outsideFolder, world.carDir("linked")));
    // A car folder holding links to a folder and to a file outside it.
    world.makeCar("myrc");
    QVERIFY(QFile::link(outsideFolder, world.carDir("myrc") + "/folderlink"));
    QVERIFY(QFile::link(outside, world.carDir("myrc") + "/filelink"));
    QVERIFY(QFile::link(world.root() + "/nowhere", world.carDir("myrc") + "/dangling"));

    MsgBoxRecorder boxes;
    boxes.expect();
    boxes.expect();
    for (const char* folder : {"linked", "myrc"}) {
        cCar car;
        car.setDirectoryName(folder);
        car.Delete();
    }
    VERIFY_BOXES(boxes);
    QCOMPARE(boxes.boxes()[0].text, QStringLiteral("linked has been deleted."));
    QCOMPARE(boxes.boxes()[1].text, QStringLiteral("myrc has been deleted."));
    QVERIFY(!QFileInfo(world.carDir("linked")).isSymLink());
    QVERIFY(!QFileInfo::exists(world.carDir("myrc")));
    QCOMPARE(ReadFile(outside), QByteArray("x"));
}

void tst_Car::collectionKeysIgnoreCase()
{
    TestWorld world;
    cCarCollection cars;
    auto first = std::make_shared<cCar>();
    QVERIFY(cars.Add(first, QStringLiteral("Été")));
    QVERIFY(!cars.Add(std::make_shared<cCar>(), QStringLiteral("éTÉ")));
    QVERIFY(cars.Add(std::make_shared<cCar>(), QStringLiteral("rc")));
    QCOMPARE(cars.Count(), 2);
    QCOMPARE(cars.Find(QStringLiteral("ÉTÉ")), first);
    QCOMPARE(cars.Find(QStringLiteral("none")), nullptr);
    QCOMPARE(*cars.begin(), first);
}

QTEST_GUILESS_MAIN(tst_Car)
#include "tst_Car.moc"
