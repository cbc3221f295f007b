#include "Archives.h"
#include "Faults.h"
#include "MainWindowDriver.h"
#include "app/cSettings.h"
#include "app/modMain.h"
#include "cars/cCarsFolder.h"
#include "cars/install/InstallPlan.h"
#include "cars/install/modInstallCar.h"
#include "platform/FileSystem.h"
#include "ui/main/modInstallCommand.h"

#include <QtTest>

#include <csignal>
#include <dlfcn.h>
#include <sys/wait.h>

// Installs that meet one another or are cut short: they take turns, and a cars folder never
// loses a car, whenever the program is killed.

namespace {

// In a child process, the calls that change the cars folder are counted, and the one numbered
// gKillAt is never made: the process is killed before it, as by a crash or a power cut.
int gKillAt = 0;
int gCalls = 0;

void Step()
{
    if (gKillAt > 0 && ++gCalls == gKillAt)
        ::raise(SIGKILL);
}

} // namespace

// Each of these calls of the program's counts a step, then is made as the system makes it.
#define COUNTED(Name, Parameters, Arguments)                                                       \
    extern "C" int Name Parameters noexcept                                                        \
    {                                                                                              \
        static const auto real = reinterpret_cast<int(*) Parameters>(::dlsym(RTLD_NEXT, #Name));   \
        Step();                                                                                    \
        return real Arguments;                                                                     \
    }
COUNTED(rename, (const char* a, const char* b), (a, b))
COUNTED(renameat, (int a, const char* b, int c, const char* d), (a, b, c, d))
COUNTED(renameat2, (int a, const char* b, int c, const char* d, unsigned e), (a, b, c, d, e))
COUNTED(unlinkat, (int a, const char* b, int c), (a, b, c))
COUNTED(mkdir, (const char* a, mode_t b), (a, b))

class tst_Interrupted : public QObject, MainWindowDriver, MsgBox::Presenter
{
    Q_OBJECT
    QStringList mShown; // the boxes of the start-up

    MsgBox::Answer present(const MsgBox::Box& box) override
    {
        mShown << box.text;
        return MsgBox::Answer::Yes;
    }

private slots:
    void init() { open(); }
    void cleanup() { close(); }

    // Killed before each change it makes, on a disk that swaps two names in one step and on
    // one that cannot: the next start leaves each car old or new, whole, and no hidden folder.
    void killed_data()
    {
        Columns<QString>("disk");
        QTest::newRow("this disk") << "";
        QTest::newRow("exFAT") << "exFAT";
    }
    void killed()
    {
        QFETCH(QString, disk);
        const QString root = mWorld->root() + "/disk";
        const Mounted shared = disk.isEmpty() ? Mounted({}, {}) : SharedDisk(disk, root);
        if (!shared.ok)
            QSKIP("mounting a file system through FUSE is not allowed here");
        const QString game = disk.isEmpty() ? mWorld->gameDir() : root + "/game";
        const QString cars = game + "/cars";
        mWorld->write("program/torvane.ini", "[Directories]\r\nEXEPath=" + game.toUtf8() +
                                                 "\r\n[Classify]\r\nrc=original\r\n");
        MakeArchive(mWorld->root() + "/new.zip", "zip",
                    {"FastCar/parameters.txt", "FastCar/skins/a.bmp", "other/parameters.txt"});
        const QStringList oldCar{"fastcar/car.bmp=BM"};
        const QStringList newCar{"fastcar/parameters.txt=FastCar/parameters.txt",
                                 "fastcar/skins/a.bmp=FastCar/skins/a.bmp"};
        const QStringList other{"other/parameters.txt"};
        const QList<QStringList> whole{oldCar, oldCar + other, newCar, newCar + other};
        // The home trash, or on the shared disk the one at its top.
        const QString trash =
            disk.isEmpty() ? mWorld->homeTrash() : root + "/.Trash-" + QString::number(::getuid());
        MsgBox::Presenter* const previous = MsgBox::SetPresenter(this);
        const auto restore = qScopeGuard([previous] { MsgBox::SetPresenter(previous); });
        QStringList said;
        int lost = 0;
        for (int at = 1;; ++at) {
            (void)FileSystem::RemoveTree(game, "cars");
            (void)FileSystem::RemoveTree(trash.section('/', 0, -2), trash.section('/', -1));
            mWorld->write(cars.mid(mWorld->root().size() + 1) + "/fastcar/car.bmp", "BM");
            const pid_t child = ::fork();
            if (child == 0) {
                gKillAt = at;
                modMain::gSettings().setDrovakDir(game);
                TestWorld::cars().Install({mWorld->root() + "/new.zip"});
                ::_exit(0);
            }
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            mShown.clear();
            for (int start = 0; start < 2; ++start)
                QCOMPARE(modMain::Main({[] {}, [] {}}), modMain::Run::Normal);
            QVERIFY2(mShown.size() <= 1, qPrintable(mShown.join('\n')));
            said << mShown;
            const QStringList tree = Files(cars);
            QVERIFY2(whole.contains(tree),
                     qPrintable(QString("killed at %1: %2").arg(at).arg(tree.join(", "))));
            // The installed car is in the cars folder or in the trash.
            const QStringList trashed = Files(trash + "/files");
            // Killed after its record was written, the next start records it as fastcar.2.
            QVERIFY2(trashed.size() <= 1 && trashed.filter("/car.bmp=BM").size() == trashed.size(),
                     qPrintable(trashed.join(", ")));
            if (!tree.startsWith(oldCar.first()) && trashed.isEmpty())
                ++lost;
            if (!WIFSIGNALED(status)) {
                QCOMPARE(tree, newCar + other);
                break;
            }
        }
        QCOMPARE(lost, 0);
        // Only a disk without the swap has a replace to finish.
        const QString finished = "An install that was cut short has been finished: 'fastcar' "
                                 "holds the car it installed.";
        const QString inTheTrash = "The car installed as 'fastcar' before an install that was cut "
                                   "short is in the Trash.";
        QCOMPARE(said.join('\n').contains(finished), !disk.isEmpty());
        QVERIFY(said.join('\n').contains(inTheTrash));
        for (const QString& text : said)
            for (const QString& line : text.split('\n'))
                QVERIFY2(line == finished || line == inTheTrash, qPrintable(line));
    }

    // An archive of more entries than any car holds is refused before anything is unpacked.
    void mostEntries()
    {
        InstallPlan plan(QStringLiteral("x.zip"));
        const EntrySource::Entry file{"car/a.bmp", EntrySource::Kind::File, {}, 0, false};
        qint64 added = 0;
        while (plan.add(file).ok)
            ++added;
        QCOMPARE(added, InstallPlan::kMaxEntries);
    }

    // Another install, of this program or another, holds the turn or its hidden folder.
    void turns_data()
    {
        Columns<QString, QString>("held", "report");
        const QString installed = "Installed 'fastcar' from 'fast.zip'.";
        // clang-format off
        QTest::newRow("the turn, then let go") << "turn" << installed;
        QTest::newRow("the turn, canceled while waiting")
            << "turn, cancel" << "Nothing was installed: the install was canceled.";
        QTest::newRow("a hidden folder being unpacked into") << "folder" << installed;
        // clang-format on
    }
    void turns()
    {
        QFETCH(QString, held);
        QFETCH(QString, report);
        MakeArchive(mWorld->root() + "/fast.zip", "zip", {"fastcar/parameters.txt"});
        const QString running = mWorld->carsDir() + "/.torvane-install-12345678";
        mWorld->write("game/cars/.torvane-install-12345678/0/parameters.txt", "x");
        // Its record, on a disk others write to, names the cars folder itself as a car to put back.
        mWorld->write("game/cars/.torvane-install-12345678/replacing.txt", ".. x\n");
        std::optional<FileSystem::FolderHold> hold;
        hold.emplace(held == "folder" ? running : mWorld->carsDir());
        QCOMPARE(hold->state(), FileSystem::FolderHold::State::Held);
        int waits = 0;
        const modInstallCar::Report done = TestWorld::cars().Install(
            {mWorld->root() + "/fast.zip"}, [&](modInstallCar::Stage stage, qint64, qint64) {
                if (stage != modInstallCar::Stage::Waiting)
                    return true;
                if (++waits == 3 && held == "turn")
                    hold.reset();
                return waits < 3 || held != "turn, cancel";
            });
        QCOMPARE(done.text, report);
        QCOMPARE(waits, held == "folder" ? 0 : 3);
        // The hidden folder of a running install stays; a leftover goes.
        QCOMPARE(FileSystem::StatusOf(running).exists, hold.has_value());
    }

    // The progress box of the window: over a wait for another install, and over a dropped
    // folder, whose size is known only once it is read.
    void progressBox_data()
    {
        Columns<QString, QString>("way", "report");
        // clang-format off
        QTest::newRow("waiting") << "wait" << "Nothing was installed: the install was canceled.";
        QTest::newRow("a large dropped folder")
            << "folder" << "'Downloads' was not installed: the install was canceled; nothing of it was kept.";
        // clang-format on
    }
    void progressBox()
    {
        QFETCH(QString, way);
        QFETCH(QString, report);
        const QString source = mWorld->root() + (way == "wait" ? "/fast.zip" : "/Downloads");
        MakeArchive(source, way == "wait" ? "zip" : "folder",
                    {"fastcar/parameters.txt", "fastcar/a.bmp"});
        if (way == "folder")
            QVERIFY(::truncate(FileSystem::Encode(source + "/fastcar/a.bmp").constData(),
                               6 << 20) == 0);
        const FileSystem::FolderHold turn(way == "wait" ? mWorld->carsDir() : mWorld->root());
        openWindow({"rc"});
        QString label;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget())) {
                label = box->labelText();
                box->cancel();
            }
        });
        poll.start(0);
        mBoxes->expect();
        modInstallCommand::InstallInTurn(mWindow.get(), TestWorld::cars(), {source},
                                         [](const auto&) {});
        QCOMPARE(mBoxes->only().text, report);
        QCOMPARE(label,
                 way == "wait" ? "Waiting for another install to finish..." : "Installing...");
    }
};

QTEST_MAIN(tst_Interrupted)
#include "tst_Interrupted.moc"
