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
    void init();
    void cleanup();
    void load_data();
    void load();
    void photoAndReadMe_data();
    void photoAndReadMe();
    void missingGameFolder();
    void save();
    void deleteFolder_data();
    void deleteFolder();
    void collectionKeysIgnoreCase();

private:
    std::shared_ptr<cCar> Car(const QString& folder, bool load = true)
    {
        auto car = std::make_shared<cCar>();
        car->setDirectoryName(folder);
        if (load)
            car->LoadSettings();
        return car;
    }

    std::unique_ptr<TestWorld> mWorld;
    std::unique_ptr<MsgBoxRecorder> mBoxes;
};

void tst_Car::init()
{
    mWorld = std::make_unique<TestWorld>(
        "[Classify]\r\nrc=original\r\ncoupe=original\r\nmisc=omit\r\nbig=Omit\r\n"
        "loud=ORIGINAL\r\n[Names]\r\nrc=RC Sprinter\r\n");
    mWorld->loadSettings();
    mBoxes = std::make_unique<MsgBoxRecorder>();
}

void tst_Car::cleanup()
{
    VERIFY_BOXES(*mBoxes);
    mBoxes.reset();
    mWorld.reset();
}

void tst_Car::load_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("infoName"); // the information file's name in the folder
    QTest::addColumn<QString>("classification");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("author");
    QTest::addColumn<QString>("description");

    // clang-format off
    const QString jerome = QStringLiteral("Jérôme");
    QTest::newRow("no carinfo.ini") << "plain" << "" << "Custom" << "" << "" << "";
    QTest::newRow("custom car") << "blue" << "carinfo.ini" << "Custom" << "Blue" << jerome << "one\r\ntwo\r\n\r\nfour";
    QTest::newRow("carinfo.ini in other letter case") << "blue" << "CarInfo.INI" << "Custom" << "Blue" << jerome << "one\r\ntwo\r\n\r\nfour";
    QTest::newRow("standard car overrules its own file") << "rc" << "carinfo.ini" << "Original" << "RC Sprinter" << "Merrowin" << "Original Drovak Car";
    QTest::newRow("standard car without a name entry") << "coupe" << "carinfo.ini" << "Original" << "" << "Merrowin" << "Original Drovak Car";
    QTest::newRow("folder in other letter case") << "RC" << "" << "Original" << "RC Sprinter" << "Merrowin" << "Original Drovak Car";
    QTest::newRow("omitted folder") << "misc" << "" << "Omit" << "" << "" << "";
    QTest::newRow("\"Omit\" is not omit") << "big" << "" << "Custom" << "" << "" << "";
    QTest::newRow("\"ORIGINAL\" is not original") << "loud" << "" << "Custom" << "" << "" << "";
    // clang-format on
}

void tst_Car::load()
{
    QFETCH(QString, folder);
    QFETCH(QString, infoName);
    mWorld->makeCar(folder);
    if (!infoName.isEmpty())
        mWorld->write("game/cars/" + folder + "/" + infoName,
                      "[Zelmor Car Data]\r\nName=Blue\r\nAuthor=J\xe9r\xf4me\r\n"
                      "OriginalSkin=buggy\r\nDescription=one|two||four\r\n");
    const auto car = Car(folder);
    QTEST(car->Classification(), "classification");
    QTEST(car->CarName(), "name");
    QTEST(car->Author(), "author");
    QTEST(car->Description(), "description");
    QCOMPARE(car->BasedTemplate(), infoName.isEmpty() ? "" : QStringLiteral("buggy"));
}

void tst_Car::photoAndReadMe_data()
{
    QTest::addColumn<QStringList>("files"); // a trailing "/" makes a folder
    QTest::addColumn<bool>("hasPhoto");
    QTest::addColumn<bool>("hasReadMe");

    // clang-format off
    QTest::newRow("neither") << QStringList{} << false << false;
    QTest::newRow("other letter case") << QStringList{"MYRC.JPG", "ReadMe.TXT"} << true << true;
    QTest::newRow("other names do not count") << QStringList{"car.jpg", "myrc.jpeg", "readme.doc"} << false << false;
    QTest::newRow("folders do not count") << QStringList{"myrc.jpg/", "readme.txt/"} << false << false;
    // clang-format on
}

void tst_Car::photoAndReadMe()
{
    QFETCH(QStringList, files);
    mWorld->makeCar("myrc");
    for (const QString& file : files) {
        if (file.endsWith('/'))
            QVERIFY(QDir(mWorld->carDir("myrc")).mkdir(file.chopped(1)));
        else
            mWorld->write("game/cars/myrc/" + file, "x");
    }
    const auto car = Car("myrc");
    QTEST(car->HasPhoto(), "hasPhoto");
    QTEST(car->HasReadMe(), "hasReadMe");

    // The flags are only ever set by loading, never cleared.
    QDir(mWorld->carDir("myrc")).removeRecursively();
    mWorld->makeCar("myrc");
    car->LoadSettings();
    QTEST(car->HasPhoto(), "hasPhoto");
}

void tst_Car::missingGameFolder()
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
    QCOMPARE(mBoxes->boxes()[1].title, QStringLiteral("Error"));
    QCOMPARE(mBoxes->boxes()[1].icon, MsgBox::Icon::Critical);
    QCOMPARE(car->CarName(), QStringLiteral("Kept"));
    QCOMPARE(car->Classification(), QString());
    QCOMPARE(mWorld->read("game/cars/myrc/carinfo.ini"), QByteArray("[Zelmor Car Data]\r\nName=Mine\r\n"));
}

void tst_Car::save()
{
    mWorld->makeCar("myrc", "[Zelmor Car Data]\r\nDescription=old\r\nExtra=kept\r\n");
    const auto car = Car("myrc", false);
    car->setCarName(QStringLiteral("Nuit Câline"));
    car->setBasedTemplate("rc");
    car->setDescription("one\r\ntwo\nthree|four");
    car->SaveSettings();

    // The record keeps its line breaks; only the file holds the bars.
    QCOMPARE(car->Description(), QStringLiteral("one\r\ntwo\nthree|four"));
    QCOMPARE(mWorld->read("game/cars/myrc/carinfo.ini"),
             QByteArray("[Zelmor Car Data]\r\nDescription=one|two|three|four\r\nExtra=kept\r\n"
                        "Name=Nuit C\xe2line\r\nAuthor=\r\nOriginalSkin=rc\r\n"));
    QCOMPARE(Car("myrc")->Description(), QStringLiteral("one\r\ntwo\r\nthree\r\nfour"));

    car->setDirectoryName("gone");
    try {
        car->SaveSettings();
        QFAIL("a write into a missing folder passed");
    } catch (const modErrorHandling::AppError& error) {
        QCOMPARE(error.source(), QStringLiteral("cCar:SaveSettings Method"));
        QVERIFY2(error.detail().contains(mWorld->carDir("gone")), qPrintable(error.detail()));
    }
}

void tst_Car::deleteFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("deleted");

    QTest::newRow("folder with a read-only sub-folder and links inside") << "myrc" << true;
    QTest::newRow("a link to a folder outside") << "linked" << true;
    QTest::newRow("folder already gone") << "gone" << false;
    QTest::newRow("a file, not a folder") << "file" << false;
    // None of these names one car folder; each would reach the cars folder or beyond.
    QTest::newRow("empty name") << "" << false;
    QTest::newRow("..") << ".." << false;
    QTest::newRow("a name with a separator") << "myrc/sub" << false;
}

void tst_Car::deleteFolder()
{
    QFETCH(QString, folder);
    QFETCH(bool, deleted);
    const QString outside = mWorld->write("outside/keep.txt", "x");
    mWorld->makeCar("myrc");
    mWorld->write("game/cars/myrc/sub/deeper/.hidden", "x");
    QFile::setPermissions(mWorld->carDir("myrc") + "/sub", QFile::ReadOwner | QFile::ExeOwner);
    QVERIFY(QFile::link(mWorld->root() + "/outside", mWorld->carDir("myrc") + "/folderlink"));
    QVERIFY(QFile::link(outside, mWorld->carDir("myrc") + "/filelink"));
    QVERIFY(QFile::link(mWorld->root() + "/outside", mWorld->carDir("linked")));
    mWorld->write("game/cars/file", "x");

    mBoxes->expect();
    Car(folder, false)->Delete();
    if (deleted) {
        QCOMPARE(mBoxes->only().title, QStringLiteral("Car Deleted"));
        QCOMPARE(mBoxes->only().text, folder + " has been deleted.");
    } else {
        QCOMPARE(mBoxes->only().text,
                 QStringLiteral("There was a error while attempting to delete the directory."));
        QCOMPARE(mBoxes->only().icon, MsgBox::Icon::Exclamation);
    }
    if (deleted) {
        const QFileInfo after(mWorld->carDir(folder));
        QVERIFY(!after.exists() && !after.isSymLink());
    } else {
        QVERIFY(QFileInfo::exists(mWorld->carDir("myrc/sub/deeper/.hidden")));
    }
    QCOMPARE(ReadFile(outside), QByteArray("x"));
}

void tst_Car::collectionKeysIgnoreCase()
{
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
