#include "Archives.h"
#include "app/cSettings.h"
#include "app/modMain.h"
#include "cars/CarContext.h"
#include "cars/cCar.h"
#include "cars/modInstallCar.h"
#include "cars/modMakeCar.h"
#include "cars/modRepairNames.h"
#include "platform/FileFaults.h"
#include "platform/MsgBox.h"

#include <QtTest>

// A disk that fails one call, each in turn: every save, install, repair and delete says so
// and keeps what it promises.
class tst_DiskFaults : public QObject, MsgBox::Presenter
{
    Q_OBJECT
    QStringList mShown;

    MsgBox::Answer present(const MsgBox::Box& box) override
    {
        mShown << box.text;
        return MsgBox::DefaultAnswer(box.buttons);
    }

    // What the operation told.
    QString run(const QString& operation, TestWorld& world)
    {
        QString told;
        if (operation == "save a car") {
            const std::shared_ptr<cCar> car = Car("fastcar");
            car->setCarName("New");
            told = Raised([&] { car->SaveSettings(); });
        } else if (operation == "save the settings") {
            modMain::gSettings().setAuthor("New");
            told = Raised([] { modMain::gSettings().SaveSettings(); });
        } else if (operation == "install") {
            told = modInstallCar::Install({world.root() + "/new.zip"}, CarContext::Now()).text;
            // A hidden folder that could not be removed is the next start's to remove.
            told += modInstallCar::Recover(world.carsDir());
        } else if (operation == "repair names") {
            const modRepairNames::Repaired repaired =
                modRepairNames::RepairNames(world.carsDir(), FileSystem::Decode("caf\xE9"));
            told = modRepairNames::Report(repaired);
        } else if (operation == "make a car") {
            told = modMakeCar::MakeCarPath("fastcar", "copy", "Copy", "Me").result.message;
        } else if (operation == "delete") {
            Car("fastcar")->Delete();
        }
        return told + mShown.join('\n');
    }
    // What the operation promises to keep whole: the files it replaces, the cars folder, a
    // template; a repair renames what it can and changes no file's bytes.
    static QStringList Kept(const QString& operation, TestWorld& world)
    {
        if (operation == "save the settings")
            return {QString(world.read("program/torvane.ini")).replace(world.root(), "ROOT")};
        if (operation == "make a car")
            return Tree(world.carDir("fastcar"));
        QStringList tree = Tree(world.carsDir());
        if (operation == "repair names") {
            for (QString& entry : tree)
                entry = entry.section('=', 1);
            tree.sort();
        }
        return operation == "delete" ? QStringList() : tree;
    }

private slots:
    void initTestCase() { MsgBox::SetPresenter(this); }
    void cleanupTestCase() { MsgBox::SetPresenter(nullptr); }

    void failedCall_data()
    {
        Columns<QString>("operation");
        for (const char* operation :
             {"save a car", "save the settings", "install", "repair names", "make a car", "delete"})
            QTest::newRow(operation) << QString(operation);
    }
    void failedCall()
    {
        QFETCH(QString, operation);
        const auto world = [] {
            auto made = std::make_unique<TestWorld>();
            made->loadSettings();
            made->makeCar("fastcar", "[Zelmor Car Data]\r\nName=Old\r\nAuthor=A\r\n"
                                     "OriginalSkin=rc\r\nDescription=D\r\n");
            made->write("game/cars/fastcar/parameters.txt", "\"cars\\fastcar\\body.prm\"\r\n");
            made->write(FileSystem::Decode("game/cars/caf\xE9/skin\xE9.bmp"), "BM");
            MakeArchive(made->root() + "/new.zip", "zip",
                        {"FastCar/parameters.txt", "FastCar/skins/a.bmp"});
            return made;
        };
        for (const FileFaults::Call call : {FileFaults::Call::Flush, FileFaults::Call::Rename,
                                            FileFaults::Call::Write, FileFaults::Call::Remove}) {
            std::unique_ptr<TestWorld> clean = world();
            const QStringList before = Kept(operation, *clean);
            mShown.clear();
            FileFaults::Fail(call, 0, 0);
            run(operation, *clean);
            const int calls = FileFaults::Made(call);
            const QStringList after = Kept(operation, *clean);
            clean.reset();
            for (int n = 1; n <= calls; ++n) {
                std::unique_ptr<TestWorld> now = world();
                mShown.clear();
                FileFaults::Fail(call, n, EIO);
                const QString told = run(operation, *now);
                FileFaults::Fail(call, 0, 0);
                const QStringList kept = Kept(operation, *now);
                const QString where =
                    QString("call %1 of kind %2: %3").arg(n).arg(int(call)).arg(told);
                QVERIFY2(told.contains("Input/output error"), qPrintable(where));
                const bool partly = operation == "repair names" && kept.size() == before.size();
                QVERIFY2(kept == before || kept == after || partly,
                         qPrintable(where + "\n" + kept.join(", ")));
            }
        }
    }
};

QTEST_MAIN(tst_DiskFaults)
#include "tst_DiskFaults.moc"
