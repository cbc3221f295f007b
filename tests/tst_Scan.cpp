#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "app/cSettings.h"
#include "app/modMain.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"
#include "cars/modCarList.h"
#include "cars/modDirSearch.h"
#include "platform/FileSystem.h"

#include <QTest>
#include <QThread>

// The scan reads many car folders at once; what it gives must be what loading one record
// after another, in folder order, gives.
class tst_Scan : public QObject
{
    Q_OBJECT

private slots:
    void sameAsOneByOne_data();
    void sameAsOneByOne();
};

namespace {

class ThreadCheckingBoxes : public MsgBoxRecorder
{
public:
    MsgBox::Answer present(const MsgBox::Box& box) override
    {
        offThread = offThread || QThread::currentThread() != qApp->thread();
        return MsgBoxRecorder::present(box);
    }
    bool offThread = false;
};

QString Fields(const cCar& car)
{
    return QStringList{car.DirectoryName(),
                       car.Classification(),
                       car.CarName(),
                       car.Author(),
                       car.BasedTemplate(),
                       car.Description(),
                       QString::number(car.HasPhoto()),
                       QString::number(car.HasReadMe())}
        .join('/');
}

} // namespace

void tst_Scan::sameAsOneByOne_data()
{
    QTest::addColumn<int>("cars");
    QTest::addColumn<bool>("gameFolder");

    QTest::newRow("one car") << 1 << true;
    QTest::newRow("two batches") << 40 << true;
    QTest::newRow("several hundred") << 700 << true;
    QTest::newRow("no game folder: a message per record") << 100 << false;
}

void tst_Scan::sameAsOneByOne()
{
    QFETCH(int, cars);
    QFETCH(bool, gameFolder);
    QByteArray tables = "[Classify]\r\n";
    for (int i = 0; i < cars; i += 7)
        tables += "car" + QByteArray::number(i) + (i % 14 ? "=omit\r\n" : "=original\r\n");
    tables += "[Names]\r\ncar14=Fourteen\r\n";
    TestWorld world(tables);
    world.loadSettings();
    for (int i = 0; i < cars; ++i) {
        const QString name = QStringLiteral("car%1").arg(i);
        const QByteArray info = "[Zelmor Car Data]\r\nName=N" + QByteArray::number(i) +
                                "\r\nAuthor=A\r\nOriginalSkin=car0\r\nDescription=a|b\r\n";
        world.makeCar(name, i % 3 ? info : QByteArray());
        if (i % 4 == 0)
            world.write("game/cars/" + name + "/" + name.toUpper() + ".JPG", "J");
        if (i % 5 == 0)
            world.write("game/cars/" + name + "/ReadMe.txt", "R");
        if (i % 50 == 10)
            world.makeCar(name.toUpper()); // the game sees one of the two
    }
    if (cars > 1) {
        QString reason;
        const QString cafe = world.carsDir() + FileSystem::Decode("/caf\xe9");
        QVERIFY(FileSystem::CreateFolder(cafe, &reason));
        QVERIFY(FileSystem::ReplaceFile(cafe + "/carinfo.ini",
                                        "[Zelmor Car Data]\r\nName=Caf\xe9\r\n", &reason));
    }
    if (!gameFolder) {
        modMain::gSettings().setDrovakDir(world.root() + "/gone");
        modMain::gSettings().setCarDir(world.carsDir());
    }

    ThreadCheckingBoxes boxes;
    const cDirList folders = modDirSearch::ListCarFolders(world.carsDir());
    for (int box = 0; box < (gameFolder ? 0 : 2 * folders.size()); ++box)
        boxes.expect();
    QStringList expected, standard, custom;
    cCarCollection filed;
    for (const cDir& folder : folders) {
        auto car = std::make_shared<cCar>();
        car->setDirectoryName(folder.FolderName);
        car->LoadSettings();
        QStringList* branch = car->Classification() == "Original" ? &standard
                              : car->Classification() == "Custom" ? &custom
                                                                  : nullptr;
        if (branch && filed.Add(car, folder.FolderName)) {
            *branch << Fields(*car);
            expected << Fields(*car);
        }
    }
    QCOMPARE(expected.isEmpty(), !gameFolder);

    const modCarList::ScannedCars scanned = modCarList::ScanCars(world.carsDir());
    const auto fields = [](const auto& cars) {
        QStringList list;
        for (const auto& car : cars)
            list << Fields(*car);
        return list;
    };
    QCOMPARE(fields(modMain::gCars()), expected);
    QCOMPARE(fields(scanned.standard), standard);
    QCOMPARE(fields(scanned.custom), custom);
    QVERIFY(!boxes.offThread);
    VERIFY_BOXES(boxes);
}

QTEST_GUILESS_MAIN(tst_Scan)
#include "tst_Scan.moc"
