#include "Archives.h"
#include "Faults.h"
#include "MainWindowDriver.h"
#include "app/cSettings.h"
#include "app/modMain.h"
#include "app/modQuarnIniAPI.h"
#include "cars/cCarsFolder.h"
#include "cars/install/modInstallCar.h"
#include "platform/FileOpenBox.h"
#include "platform/FileSystem.h"

#include <QtTest>

#include <unistd.h>

// Cars installed from the archives players download: found behind the folders they come in,
// named so that the game under Wine opens them, and never half there or outside the cars
// folder.
class tst_Archive : public QObject, MainWindowDriver, FileOpenBox::Presenter
{
    Q_OBJECT
    QStringList mAsked; // the file-open boxes shown: title and filter
    QString mStart;     // where the last one opened
    QString mPicked;
    const QByteArray mHome = qgetenv("HOME"), mConfig = qgetenv("XDG_CONFIG_HOME");
    QString mSaveStart; // where the last save box proposed to save
    QString mSaveAs;    // what the save boxes answer; empty cancels

    std::optional<QString> presentSave(const QString& start, const QString&,
                                       const QString&) override
    {
        mSaveStart = start;
        return mSaveAs.isEmpty() ? std::nullopt : std::optional(mSaveAs);
    }

    std::optional<QString> present(const QString& start, const QString& title,
                                   const QString& filter) override
    {
        mAsked << title + " " + filter;
        mStart = start;
        return mPicked.isEmpty() ? std::nullopt : std::optional(mPicked);
    }

private slots:
    void initTestCase() { FileOpenBox::SetPresenter(this); }
    // The player's home and desktop folders in the test's own.
    void init()
    {
        open();
        qputenv("HOME", FileSystem::Encode(mWorld->root() + "/home"));
        qputenv("XDG_CONFIG_HOME", FileSystem::Encode(mWorld->root() + "/config"));
    }
    void cleanup()
    {
        close();
        qputenv("HOME", mHome);
        qputenv("XDG_CONFIG_HOME", mConfig);
    }

    // An install of the archive made of the entries: the files and empty folders it leaves in
    // the cars folder, written as Files() writes them, and the start of its report.
    static void Row(const char* name, const QString& archive, const QByteArray& kind,
                    const QByteArrayList& entries, const QStringList& files, const QString& report)
    {
        QTest::newRow(name) << archive << kind << entries << files << report;
    }
    void install_data()
    {
        Columns<QString, QByteArray, QByteArrayList, QStringList, QString>(
            "archive", "kind", "entries", "files", "report");
        // clang-format off
        Row("a car at the root, named after the archive", "fastcar.v2.zip", "zip", {"parameters.txt", "car.bmp"},
            {"fastcar.v2/car.bmp=car.bmp", "fastcar.v2/parameters.txt=parameters.txt"},
            "Installed 'fastcar.v2' from 'fastcar.v2.zip'.");
        Row("behind a wrapper, with its sub-folders", "dl.tar.gz", "tar.gz",
            {"Download/", "Download/fastcar/Parameters.TXT", "Download/fastcar/skins/blue.bmp"},
            {"fastcar/Parameters.TXT=Download/fastcar/Parameters.TXT",
             "fastcar/skins/blue.bmp=Download/fastcar/skins/blue.bmp"},
            "Installed 'fastcar' from 'dl.tar.gz'.");
        Row("behind two wrappers, beside a read-me", "x.7z", "7zip",
            {"a/b/fastcar/parameters.txt", "a/readme.txt"},
            {"fastcar/parameters.txt=a/b/fastcar/parameters.txt"}, "Installed 'fastcar' from 'x.7z'.\n"
            "Left out of 'x.7z': 1 entry outside the car folders ('a/readme.txt').");
        Row("three cars, one with a car folder inside", "pack.zip", "zip-utf8",
            {"one/parameters.txt", "two/parameters.txt", "two/old/parameters.txt", "three/parameters.txt"},
            {"one/parameters.txt", "three/parameters.txt", "two/old/parameters.txt", "two/parameters.txt"},
            "Installed 'one' from 'pack.zip'.\nInstalled 'two' from 'pack.zip'.\n"
            "Installed 'three' from 'pack.zip'.");
        Row("a dropped folder", "Downloads", "folder", {"fastcar/parameters.txt"}, {"fastcar/parameters.txt"},
            "Installed 'fastcar' from 'Downloads'.");
        Row("no car", "skins.zip", "zip", {"pics/", "pics/readme.txt"}, {},
            "No car found in 'skins.zip': a car folder holds parameters.txt.");
        Row("an entry climbing out", "evil.zip", "zip", {"car/parameters.txt", "car/../../evil.txt"}, {},
            "'evil.zip' was not installed: the entry 'car/../../evil.txt' climbs out of its folder with "
            "\"..\".");
        Row("an absolute entry", "evil.tar.gz", "tar.gz", {"car/parameters.txt", "/tmp/evil.txt"}, {},
            "'evil.tar.gz' was not installed: the entry '/tmp/evil.txt' has an absolute name.");
        Row("a link pointing out", "evil.zip", "zip",
            {"car/parameters.txt", "car/skin.bmp->../../../etc/passwd"}, {}, "'evil.zip' was not installed: "
            "the link 'car/skin.bmp' points out of its car, at '../../../etc/passwd'.");
        Row("a file behind a link", "evil.tar.gz", "tar.gz",
            {"car/parameters.txt", "car/skins->.", "car/skins/x.bmp"}, {}, "'evil.tar.gz' was not installed: "
            "the entry 'car/skins/x.bmp' would be written through the link 'car/skins'.");
        Row("links and a FIFO inside are left out", "car.tar.gz", "tar.gz",
            {"car/parameters.txt", "car/alias->parameters.txt", "car/hard=>car/parameters.txt", "car/pipe|"},
            {"car/parameters.txt"}, "Installed 'car' from 'car.tar.gz'.\n"
            "Left out of 'car.tar.gz': the link 'car/alias' (links are not installed).\n"
            "Left out of 'car.tar.gz': the hard link 'car/hard' (links are not installed).\n"
            "Left out of 'car.tar.gz': 'car/pipe', a device or FIFO (these are not installed).");
        Row("encrypted", "locked.zip", "zip-crypt", {"car/parameters.txt"}, {},
            "'locked.zip' was not installed: the entry 'car/parameters.txt' is encrypted, and Torvane cannot "
            "unpack encrypted archives.");
        Row("truncated", "cut.tar.gz", "tar.gz-cut", {"car/parameters.txt", "car/car.bmp*9000"}, {},
            "'cut.tar.gz' was not installed: truncated gzip input.");
        Row("a damaged gzip stream", "bad.tar.gz", "tar.gz-crc", {"car/parameters.txt"}, {},
            "'bad.tar.gz' was not installed: its compressed data is damaged (incorrect data check).");
        Row("a FIFO of an archive's name", "pipe.zip", "fifo", {}, {},
            "'pipe.zip' was not installed: it is not a plain file.");
        for (const QByteArray kind : {"zip", "tar.gz"})
            Row("a file where the car's folder is, " + kind, "x.zip", kind, {"car/parameters.txt", "car"}, {},
                "'x.zip' was not installed: it holds 'car' both as a file and as a folder.");
        Row("a file where a folder of the car is, listed first", "x.7z", "7zip",
            {"car/skins", "car/parameters.txt", "car/skins/a.bmp"}, {},
            "'x.7z' was not installed: it holds 'car/skins' both as a file and as a folder.");
        Row("a copy of the car inside it, listed first", "x.zip", "zip",
            {"car/old/parameters.txt", "car/parameters.txt", "car/a.bmp"},
            {"car/a.bmp", "car/old/parameters.txt", "car/parameters.txt"}, "Installed 'car' from 'x.zip'.");
        Row("the name of an install's own folder", "x.zip", "zip", {".Torvane-Install-1/parameters.txt"}, {},
            "Skipped '.Torvane-Install-1' from 'x.zip': The directory name may not begin with "
            "\".torvane-install-\": Torvane unpacks the cars it installs into folders of such names.");
        Row("a code page 437 name without the UTF-8 mark", "cafe.zip", "zip", {"caf\x82/parameters.txt"},
            {"café/parameters.txt=caf\x82/parameters.txt"}, "Installed 'café' from 'cafe.zip'.");
        Row("a UTF-8 name with the mark", "cafe.zip", "zip-utf8", {"café/parameters.txt"},
            {"café/parameters.txt"}, "Installed 'café' from 'cafe.zip'.");
        Row("a Windows-1252 tar name", "cafe.tar.gz", "tar.gz", {"caf\xE9/parameters.txt"},
            {"café/parameters.txt=caf\xE9/parameters.txt"}, "Installed 'café' from 'cafe.tar.gz'.");
        Row("two cars of one name", "x.zip", "zip", {"Car/parameters.txt", "car/parameters.txt"},
            {"Car/parameters.txt"}, "Skipped 'car' from 'x.zip': a car of that name came with it already.");
        Row("a name Windows keeps for a device", "con.zip", "zip", {"Con.txt/parameters.txt"}, {},
            "Skipped 'Con.txt' from 'con.zip': The directory name may not be \"Con.txt\": Windows keeps that "
            "name for a device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9), with any extension.");
        Row("named by its extensions alone", ".tar.gz", "tar.gz", {"parameters.txt"},
            {".tar/parameters.txt=parameters.txt"}, "Installed '.tar' from '.tar.gz'.");
        Row("a link to a drive", "evil.zip", "zip", {"car/parameters.txt", "car/a.bmp->C:/x"}, {},
            "'evil.zip' was not installed: the link 'car/a.bmp' points out of its car, at 'C:/x'.");
        Row("a dropped folder holding the cars folder", "game", "folder", {"x/parameters.txt"}, {},
            "'game' was not installed: it is in the cars folder, or holds it.");
        // clang-format on
    }
    void install()
    {
        QFETCH(QString, archive);
        QFETCH(QByteArray, kind);
        QFETCH(QByteArrayList, entries);
        QFETCH(QStringList, files);
        QFETCH(QString, report);
        const QString path = mWorld->root() + '/' + archive;
        MakeArchive(path, kind, entries);
        // A crash's leftover goes with the next install.
        mWorld->write("game/cars/.torvane-install-0badcafe/half/parameters.txt", "x");

        const modInstallCar::Report done = TestWorld::cars().Install({path});
        QVERIFY2(done.text.startsWith(report), qPrintable(done.text));
        QCOMPARE(Files(mWorld->carsDir()), files);
        QCOMPARE(done.installed.isEmpty(), files.isEmpty());
    }

    // A car of the name is installed, the one the first file is in: replaced when the player
    // says so, a standard car never. On a partition shared with Windows, whose FUSE driver knows
    // only the plain rename; or loses a folder's files when it renames the folder.
    void nameTaken_data()
    {
        Columns<QString, QByteArrayList, int, QStringList, QString>("disk", "entries", "answer",
                                                                    "files", "report");
        const int yes = int(MsgBox::Answer::Yes), no = int(MsgBox::Answer::No);
        const QByteArrayList fastcar{"fastcar/parameters.txt"};
        const QByteArrayList two{"FastCar/parameters.txt", "other/parameters.txt"};
        // clang-format off
        QTest::newRow("replaced") << "" << fastcar << yes
            << QStringList{"FastCar/parameters.txt=fastcar/parameters.txt"}
            << "Replaced 'FastCar' from 'new.zip'.";
        QTest::newRow("kept") << "" << fastcar << no << QStringList{"FastCar/car.bmp=BM"}
            << "Skipped 'fastcar' from 'new.zip': the installed car was kept.";
        QTest::newRow("a standard car") << "" << QByteArrayList{"RC/parameters.txt"} << -1
            << QStringList{"FastCar/car.bmp=BM"}
            << "Skipped 'RC' from 'new.zip': 'rc' is a standard car of the game, which is never replaced.";
        QTest::newRow("installed as bytes") << "" << QByteArrayList{"café/parameters.txt"} << yes
            << QStringList{FileSystem::Decode("CAF\xc9/parameters.txt=café/parameters.txt")}
            << "Replaced 'CAFÉ' from 'new.zip'.";
        QTest::newRow("exFAT") << "exFAT" << two << yes
            << QStringList{"fastcar/parameters.txt=FastCar/parameters.txt", "other/parameters.txt"}
            << "Replaced 'fastcar' from 'new.zip'.\nInstalled 'other' from 'new.zip'.";
        QTest::newRow("FAT") << "FAT" << two << -1 << QStringList{"fastcar/car.bmp=BM"}
            << "'new.zip' was not installed: the driver of the disk that holds the cars folder loses a "
               "folder's files when it renames the folder.";
        // clang-format on
    }
    void nameTaken()
    {
        QFETCH(QString, disk);
        QFETCH(QByteArrayList, entries);
        QFETCH(int, answer);
        QFETCH(QStringList, files);
        QFETCH(QString, report);
        const QString game = disk.isEmpty() ? "game" : "disk/game";
        const Mounted shared =
            disk.isEmpty() ? Mounted({}, {}) : SharedDisk(disk, mWorld->root() + "/disk");
        if (!shared.ok)
            QSKIP("mounting a file system through FUSE is not allowed here");
        const QString car = files.first().section('/', 0, 0);
        for (const QString& name : {car, QString("rc")})
            mWorld->write(game + "/cars/" + name + "/car.bmp", "BM");
        modMain::gSettings().setDrovakDir(mWorld->root() + '/' + game);
        const QString zip = mWorld->root() + "/new.zip";
        MakeArchive(zip, "zip-utf8", entries);
        if (answer >= 0)
            mBoxes->expect(MsgBox::Answer(answer));
        QCOMPARE(TestWorld::cars().Install({zip}).text, report);
        QCOMPARE(Files(mWorld->root() + '/' + game + "/cars"),
                 files + QStringList{"rc/car.bmp=BM"});
        if (answer >= 0)
            QCOMPARE(mBoxes->only().text, "A car named '" + FileSystem::Shown(car) +
                                              "' is already installed. Replace it? The installed "
                                              "car goes to the Trash.");
        // The home trash, or on the shared disk the one at its top.
        const QString trash = disk.isEmpty()
                                  ? mWorld->homeTrash()
                                  : mWorld->root() + "/disk/.Trash-" + QString::number(::getuid());
        QCOMPARE(Files(trash + "/files"), answer == int(MsgBox::Answer::Yes)
                                              ? QStringList{car + "/car.bmp=BM"}
                                              : QStringList());
    }

    // Where the archive box opens: the folder of the last archive installed, the desktop's
    // Downloads, the home folder, the first that is there.
    void startFolder_data()
    {
        Columns<QString, QByteArray, QStringList, QString>("last", "userDirs", "folders", "start");
        const QByteArray dl = "XDG_DOWNLOAD_DIR=\"$HOME/Dl\"\n";
        QTest::newRow("the last folder")
            << "cars from the web" << dl << QStringList{"cars from the web", "home/Dl"}
            << "cars from the web";
        QTest::newRow("the last folder is gone")
            << "gone" << dl << QStringList{"home/Dl"} << "home/Dl";
        QTest::newRow("Downloads by default")
            << "" << QByteArray() << QStringList{"home/Downloads"} << "home/Downloads";
        QTest::newRow("no Downloads folder") << "" << dl << QStringList{"home/Downloads"} << "home";
    }
    void startFolder()
    {
        QFETCH(QString, last);
        QFETCH(QByteArray, userDirs);
        QFETCH(QStringList, folders);
        QFETCH(QString, start);
        const QString root = mWorld->root() + "/";
        for (const QString& folder : folders)
            mWorld->write(folder + "/", {});
        if (!userDirs.isNull())
            mWorld->write("config/user-dirs.dirs", userDirs);
        if (!last.isEmpty())
            QVERIFY(modQuarnIniAPI::WriteProfileString("Install", "LastFolder", root + last,
                                                       mWorld->iniPath())
                        .success());
        mWorld->loadSettings();
        openWindow();
        act("mnuFileInstall");
        QCOMPARE(mStart, root + start);
        mAsked.clear();
    }

    // From a custom car's pop-up menu: the zip proposed in Downloads, given its extension, and
    // given up from either box without a trace.
    void pack_data()
    {
        Columns<QString, QString, QStringList>("answer", "report", "home");
        QTest::newRow("saved, the extension added")
            << "to a friend"
            << "Pack Car: Packed 'myrc' into '%1/home/to a friend.zip': 3 files."
            << QStringList{"Downloads", "to a friend.zip"};
        QTest::newRow("the save box canceled") << ""
                                               << "" << QStringList{"Downloads"};
        QTest::newRow("large, canceled in the progress box")
            << "big.zip"
            << "Pack Car: 'myrc' was not packed: the packing was canceled."
            << QStringList{"Downloads"};
    }
    void pack()
    {
        QFETCH(QString, answer);
        QFETCH(QString, report);
        QFETCH(QStringList, home);
        mWorld->write("home/Downloads/", {});
        openWindow({"myrc=My RC"});
        if (answer == "big.zip")
            mWorld->write("game/cars/myrc/skin.bmp", QByteArray(6 << 20, 'x'));
        clickNode(node("myrc"));
        mSaveAs = answer.isEmpty() ? QString() : mWorld->root() + "/home/" + answer;
        if (!report.isEmpty())
            mBoxes->expect();
        if (answer == "big.zip")
            QTimer::singleShot(0, [] {
                if (auto* box = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget()))
                    box->cancel();
            });
        act("mnuPopUpPack");
        QCOMPARE(mSaveStart, mWorld->root() + "/home/Downloads/myrc.zip");
        QCOMPARE(mBoxes->said(), QString(report).replace("%1", mWorld->root()));
        QCOMPARE(QDir(mWorld->root() + "/home")
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 home);
    }

    // From the File menu or dropped on the window: the car comes, and is shown.
    void fromTheWindow_data()
    {
        Columns<QString, QString, QStringList>("way", "report", "listed");
        const QStringList standard{"Standard Cars", "rc (RC Sprinter)"};
        const QStringList both = standard + QStringList{"Custom Cars", "fastcar"};
        // clang-format off
        QTest::newRow("menu") << "mnuFileInstall" << "Installed 'fastcar' from 'fast.zip'." << both;
        QTest::newRow("menu, canceled") << "" << "" << standard;
        QTest::newRow("menu, a filter hid it") << "filtered" << "Installed 'fastcar' from 'fast.zip'." << both;
        QTest::newRow("dropped") << "drop" << "Installed 'fastcar' from 'fast.zip'." << both;
        QTest::newRow("large, canceled in the progress box")
            << "cancel" << "'fast.zip' was not installed: the install was canceled." << standard;
        // clang-format on
    }
    void fromTheWindow()
    {
        QFETCH(QString, way);
        QFETCH(QString, report);
        QFETCH(QStringList, listed);
        const QString archive = mWorld->root() + "/fast.zip";
        MakeArchive(
            archive, "zip",
            {"fastcar/parameters.txt", way == "cancel" ? "fastcar/car.bmp*6000000" : "fastcar/a"});
        // A crash's leftover is no car.
        mWorld->write("game/cars/.torvane-install-0badcafe/parameters.txt", "x");
        openWindow({"rc"});
        mPicked = way.isEmpty() ? QString() : archive;
        if (!report.isEmpty())
            mBoxes->expect();
        if (way == "drop") {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(archive)});
            QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, {});
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(mWindow.get(), &enter);
            QApplication::sendEvent(mWindow.get(), &drop);
            QVERIFY(enter.isAccepted() && drop.isAccepted());
            QTRY_COMPARE(mBoxes->boxes().size(), 1);
        } else {
            if (way == "filtered")
                control<QLineEdit>("txtFilter")->setText("rc");
            if (way == "cancel")
                QTimer::singleShot(0, [] {
                    if (auto* box =
                            qobject_cast<QProgressDialog*>(QApplication::activeModalWidget()))
                        box->cancel();
                });
            act("mnuFileInstall");
            QCOMPARE(mAsked, QStringList{"Install Car from Archive Car archives (*.zip *.7z *.rar "
                                         "*.tar *.tar.gz *.tgz *.tar.xz *.tar.bz2)"});
        }
        // The next box opens where an archive that brought a car lay.
        QCOMPARE(modQuarnIniAPI::ReadProfileString("Install", "LastFolder", "-", mWorld->iniPath()),
                 listed.size() == 4 ? mWorld->root() : "-");
        mAsked.clear();
        QCOMPARE(mBoxes->boxes().isEmpty() ? QString() : mBoxes->only().text, report);
        QStringList texts;
        for (int row : {0, 1})
            if (cars()->rowCount(branch(row)) > 0)
                texts << branch(row).data().toString() << childTexts(row);
        QCOMPARE(texts, listed);
        if (listed.size() == 4) {
            QCOMPARE(tree()->currentIndex(), node("fastcar"));
            QCOMPARE(carState(), "+++++ shown");
        }
    }
};

QTEST_MAIN(tst_Archive)
#include "tst_Archive.moc"
