#include "Archives.h"
#include "Faults.h"
#include "MainWindowDriver.h"
#include "app/cSettings.h"
#include "app/modMain.h"
#include "cars/cCarsFolder.h"
#include "cars/install/modInstallCar.h"
#include "platform/FileSystem.h"

#include <QtTest>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kUid = QString::number(::getuid());

// A small tmpfs at folder, then the shell's commands in then.
Mounted Tmpfs(const QString& folder, const QString& then = {})
{
    return Mounted(QString("mkdir '%1' && mount -t tmpfs -o size=4M tmpfs '%1'").arg(folder) + then,
                   QString("umount '%1'").arg(folder));
}

} // namespace

// A car that an install replaces goes to the desktop's trash, where the file manager finds it
// and puts it back; where its disk has no trash, the player is told that it is deleted.
class tst_Trash : public QObject, MainWindowDriver
{
    Q_OBJECT

private slots:
    void init() { open(); }
    void cleanup() { close(); }

    // The replaced car goes to the desktop's trash: the home trash on its disk, else the one at
    // the top of the car's disk, named and recorded as file managers do, so that they put it
    // back. Where neither can be had, the question says the car is deleted, and it is.
    void replacedToTrash_data()
    {
        Columns<QString, QString, QString, QString, QStringList, QString>(
            "disk", "setup", "installed", "trash", "files", "path");
        const QString cafe = FileSystem::Decode("caf\xE9");
        const QStringList old{"fastcar/car.bmp=BM"};
        const QString there = "ROOT/game/cars/fastcar";
        // clang-format off
        QTest::newRow("home, twice") << "" << "twice" << "fastcar" << "data/Trash"
            << QStringList{"fastcar.2/parameters.txt=fastcar/parameters.txt", "fastcar/car.bmp=BM"} << there;
        QTest::newRow("home, a name that is not UTF-8") << "" << "" << cafe << "data/Trash"
            << QStringList{cafe + "/car.bmp=BM"} << "ROOT/game/cars/caf%E9";
        QTest::newRow("home, made without XDG_DATA_HOME") << "" << "no XDG_DATA_HOME" << "fastcar"
            << "home/.local/share/Trash" << old << there;
        QTest::newRow("another disk, the administrator's") << "tmpfs" << "sticky" << "fastcar"
            << "disk/.Trash/UID" << old << "game/cars/fastcar";
        QTest::newRow("another disk, .Trash not sticky") << "tmpfs" << "not sticky" << "fastcar"
            << "disk/.Trash-UID" << old << "game/cars/fastcar";
        QTest::newRow("none: a file in the way") << "tmpfs" << "file" << "fastcar" << "" << QStringList() << "";
        QTest::newRow("none: a link in the way") << "tmpfs" << "link" << "fastcar" << "" << QStringList() << "";
        QTest::newRow("none: the home trash cannot be made") << "" << "data file" << "fastcar" << ""
            << QStringList() << "";
        // clang-format on
    }
    void replacedToTrash()
    {
        QFETCH(QString, disk);
        QFETCH(QString, setup);
        QFETCH(QString, installed);
        QFETCH(QString, trash);
        QFETCH(QStringList, files);
        QFETCH(QString, path);
        const QString root = mWorld->root();
        const QString game = disk.isEmpty() ? "game" : "disk/game";
        const Mounted mounted = disk.isEmpty() ? Mounted({}, {}) : Tmpfs(root + "/disk");
        if (!mounted.ok)
            QSKIP("mounting a tmpfs is not allowed here");
        mWorld->write(game + "/cars/" + installed + "/car.bmp", "BM");
        if (setup == "sticky" || setup == "not sticky")
            QVERIFY(::chmod(FileSystem::Encode(mWorld->write("disk/.Trash/", {})).constData(),
                            setup == "sticky" ? 01777 : 0777) == 0);
        if (setup == "file")
            mWorld->write("disk/.Trash-" + kUid, "x");
        if (setup == "link")
            QVERIFY(::symlink("game",
                              FileSystem::Encode(root + "/disk/.Trash-" + kUid).constData()) == 0);
        if (setup == "data file")
            qputenv("XDG_DATA_HOME", FileSystem::Encode(mWorld->write("data", "x")));
        const QByteArray home = qgetenv("HOME");
        const auto restore = qScopeGuard([&] { qputenv("HOME", home); });
        if (setup == "no XDG_DATA_HOME") {
            qunsetenv("XDG_DATA_HOME");
            qputenv("HOME", FileSystem::Encode(root + "/home"));
        }
        modMain::gSettings().setDrovakDir(root + '/' + game);
        const QString zip = root + "/new.zip";
        MakeArchive(zip, "zip-utf8", {(FileSystem::Shown(installed) + "/parameters.txt").toUtf8()});

        const QDateTime before = QDateTime::currentDateTime().addMSecs(-1000);
        for (int time = 0; time < (setup == "twice" ? 2 : 1); ++time) {
            mBoxes->expect(MsgBox::Answer::Yes);
            QCOMPARE(TestWorld::cars().Install({zip}).text,
                     "Replaced '" + FileSystem::Shown(installed) + "' from 'new.zip'.");
        }
        const QDateTime after = QDateTime::currentDateTime();
        for (const MsgBox::Box& box : mBoxes->boxes())
            QCOMPARE(box.text, "A car named '" + FileSystem::Shown(installed) +
                                   "' is already installed. Replace it? " +
                                   (trash.isEmpty() ? "Its files will be PERMANENTLY deleted!"
                                                    : "The installed car goes to the Trash."));
        // Nothing of the installed car is left anywhere but in the trash.
        const QStringList everywhere = Files(root).filter("car.bmp=BM");
        QCOMPARE(everywhere.size(), trash.isEmpty() ? 0 : 1);
        if (trash.isEmpty())
            return;
        trash = root + '/' + trash.replace("UID", kUid);
        QCOMPARE(Files(trash + "/files"), files);
        // Each entry has its record, under the entry's own name and bytes.
        QStringList entries, records;
        for (const QString& file : files)
            entries << file.section('/', 0, 0);
        const QByteArray info =
            "[Trash Info]\nPath=" +
            path.toUtf8().replace("ROOT", FileSystem::Encode(root).toPercentEncoding("/"));
        for (const FileSystem::Entry& entry : FileSystem::List(trash + "/info").value) {
            records << entry.name.chopped(QString(".trashinfo").size());
            QList<QByteArray> lines = ReadFile(trash + "/info/" + entry.name).split('\n');
            QCOMPARE(lines.size(), 4);
            const QByteArray deleted = lines.takeAt(2);
            const QDateTime date = QDateTime::fromString(deleted.mid(13), "yyyy-MM-ddTHH:mm:ss");
            QVERIFY2(deleted.startsWith("DeletionDate=") && date >= before && date <= after,
                     deleted);
            QCOMPARE(lines.join('\n'), info + '\n');
        }
        entries.removeDuplicates(), entries.sort(), records.sort();
        QCOMPARE(records, entries);
    }

    // A trash that fails after the question: the installed car stays in the cars folder under a
    // name of its own, and the report says where.
    void trashFailsAfterTheQuestion()
    {
        struct TakingTheTrashAway : MsgBox::Presenter
        {
            QString trash;
            MsgBox::Answer present(const MsgBox::Box&) override
            {
                (void)FileSystem::RemoveTree(trash, "files");
                (void)FileSystem::ReplaceFile(trash + "/files", "x");
                return MsgBox::Answer::Yes;
            }
        } takingAway;
        takingAway.trash = mWorld->homeTrash();
        mWorld->write("game/cars/fastcar/car.bmp", "BM");
        mWorld->write("game/cars/fastcar (old)/car.bmp", "BMP");
        MakeArchive(mWorld->root() + "/new.zip", "zip-utf8", {"fastcar/parameters.txt"});
        MsgBox::Presenter* const previous = MsgBox::SetPresenter(&takingAway);
        const QString report = TestWorld::cars().Install({mWorld->root() + "/new.zip"}).text;
        MsgBox::SetPresenter(previous);
        QCOMPARE(report, "Replaced 'fastcar' from 'new.zip', but the installed car could not be "
                         "moved to the Trash (Not a directory), and is kept in the cars folder as "
                         "'fastcar (old 2)'.");
        QCOMPARE(Files(mWorld->carsDir()),
                 QStringList({"fastcar (old 2)/car.bmp=BM", "fastcar (old)/car.bmp=BMP",
                              "fastcar/parameters.txt"}));
        QVERIFY(FileSystem::List(mWorld->homeTrash() + "/info").value.isEmpty());
    }

    // A read-only disk has no trash, whether one is there or not.
    void noTrashOnReadOnlyDisk()
    {
        const QString disk = mWorld->root() + "/disk";
        const Mounted mounted = Tmpfs(
            disk, QString(" && mkdir -p '%1/.Trash-%2/files' '%1/.Trash-%2/info' '%1/cars/car' "
                          "&& mount -o remount,ro '%1'")
                      .arg(disk, kUid));
        if (!mounted.ok)
            QSKIP("mounting a tmpfs is not allowed here");
        QCOMPARE(FileSystem::TrashFor(disk + "/cars/car"), QString());
    }
};

QTEST_MAIN(tst_Trash)
#include "tst_Trash.moc"
