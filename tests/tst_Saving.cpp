#include "Faults.h"
#include "MainWindowDriver.h"
#include "cars/cCar.h"

#include <sys/fsuid.h>

#include <functional>

namespace {

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

// Every save as players meet it going wrong: a disk that fills up part way through a write,
// links where files should be, a partition shared with Windows; the files are whole or left as
// they were.
class tst_Saving : public QObject, MainWindowDriver
{
    Q_OBJECT

private slots:
    void init() { open(); }
    void cleanup() { close(); }

    // Each save makes its file grow past what the disk takes, at its first write.
    void wholeOrNothing_data()
    {
        Columns<QString, Save, QStringList>("folder", "save", "told");

        // A car made from myrc: the copies are whole, the carinfo.ini copy stays as copied.
        const Save wizard = [this] {
            const auto made = openWizard("myrc", QString(300, 'n'), "neuf");
            QTest::mouseClick(made->findChild<QPushButton*>("cmdFinish"), Qt::LeftButton);
            QCOMPARE(Snapshot(mWorld->carDir("neuf")), Snapshot(mWorld->carDir("myrc")));
        };
        const QString car = "game/cars/myrc", tooLarge = "File too large";
        const QString leftAlone = "The file was left as it was.";
        // A car's Update writes through the same calls as the settings; the disk faults test
        // fails each of its writes in turn.
        // clang-format off
        QTest::newRow("settings") << "program" << Save([] { modMain::gSettings().setDrovakDir(QString(300, 'g')); modMain::gSettings().SaveSettings(); }) << QStringList{tooLarge, "(0x8004270F)\nSource: cSettings:SaveSettings Method\nAn unknown error has occurred!"};
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
            // Room for a whole copy of every file, not for any of them grown.
            const FileSizeLimit limit(200);
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
        Columns<QString>("disk");
        QTest::newRow("exFAT") << "exFAT";
        QTest::newRow("FAT") << "FAT";
    }
    // Options, Update, making a car and the rewrites on a partition shared with Windows, as the
    // player who may write there: each save goes through and each file keeps its spelling.
    void sharedDisks()
    {
        QFETCH(QString, disk);
        const QString root = mWorld->root() + "/disk", car = root + "/game/cars/myrc";
        const Mounted shared = SharedDisk(disk, root);
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
            QVERIFY(TestWorld::cars().Make("myrc", "neuf", "Neuf", "Zoé").result.ok);
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
        QVERIFY(QFile::remove(car + "/parameters.txt"));
        QVERIFY(QFile::link("/proc/self/io", car + "/parameters.txt"));
        mBoxes->expect();
        QVERIFY(!modMain::SetParamsObtain(car));
        QVERIFY2(mBoxes->only().text.endsWith("the copy differs from the file."),
                 qPrintable(mBoxes->only().text));
        QVERIFY(FileSystem::StatusOf(car + "/parameters.txt").link);
    }

    void linksAreReplaced_data()
    {
        // link: in the world; outside: the file it points at, null for a dangling link; written:
        // what the plain file in the link's place holds
        Columns<QString, QByteArray, Save, QByteArray>("link", "outside", "save", "written");

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
};

QTEST_MAIN(tst_Saving)
#include "tst_Saving.moc"
