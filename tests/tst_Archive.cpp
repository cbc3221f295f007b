#include "Archives.h"
#include "Faults.h"
#include "MainWindowDriver.h"
#include "app/cSettings.h"
#include "app/modMain.h"
#include "cars/cCarsFolder.h"
#include "cars/install/modInstallCar.h"
#include "platform/FileOpenBox.h"
#include "platform/FileSystem.h"

#include <QtTest>

// Cars installed from the archives players download: found behind the folders they come in,
// named so that the game under Wine opens them, and never half there or outside the cars
// folder.
class tst_Archive : public QObject, MainWindowDriver, FileOpenBox::Presenter
{
    Q_OBJECT
    QStringList mAsked; // the file-open boxes shown: title and filter
    QString mPicked;

    std::optional<QString> present(const QString&, const QString& title,
                                   const QString& filter) override
    {
        mAsked << title + " " + filter;
        return mPicked.isEmpty() ? std::nullopt : std::optional(mPicked);
    }

    modInstallCar::Report install(const QStringList& paths,
                                  const modInstallCar::Progress& progress = {})
    {
        return TestWorld::cars().Install(paths, progress);
    }

private slots:
    void initTestCase() { FileOpenBox::SetPresenter(this); }
    void init() { open(); }
    void cleanup() { close(); }

    void install_data()
    {
        Columns<QString, QByteArray, QByteArrayList, QStringList, QString>(
            "archive", "kind", "entries", "tree", "report");
        QTest::newRow("a car at the root, named after the archive")
            << "fastcar.v2.zip" << QByteArray("zip") << QByteArrayList{"parameters.txt", "car.bmp"}
            << QStringList{"fastcar.v2/", "fastcar.v2/car.bmp=car.bmp",
                           "fastcar.v2/parameters.txt=parameters.txt"}
            << "Installed 'fastcar.v2' from 'fastcar.v2.zip'.";
        QTest::newRow("behind a wrapper, with its sub-folders")
            << "dl.tar.gz" << QByteArray("tar.gz")
            << QByteArrayList{"Download/", "Download/fastcar/Parameters.TXT",
                              "Download/fastcar/skins/blue.bmp"}
            << QStringList{"fastcar/", "fastcar/Parameters.TXT=Download/fastcar/Parameters.TXT",
                           "fastcar/skins/",
                           "fastcar/skins/blue.bmp=Download/fastcar/skins/blue.bmp"}
            << "Installed 'fastcar' from 'dl.tar.gz'.";
        QTest::newRow("behind two wrappers, beside a read-me")
            << "x.7z" << QByteArray("7zip")
            << QByteArrayList{"a/b/fastcar/parameters.txt", "a/readme.txt"}
            << QStringList{"fastcar/", "fastcar/parameters.txt=a/b/fastcar/parameters.txt"}
            << "Installed 'fastcar' from 'x.7z'.\nLeft out of 'x.7z': 1 entry outside the car "
               "folders ('a/readme.txt').";
        QTest::newRow("three cars, one with a car folder inside")
            << "pack.zip" << QByteArray("zip-utf8")
            << QByteArrayList{"one/parameters.txt", "two/parameters.txt", "two/old/parameters.txt",
                              "three/parameters.txt"}
            << QStringList{"one/",
                           "one/parameters.txt=one/parameters.txt",
                           "three/",
                           "three/parameters.txt=three/parameters.txt",
                           "two/",
                           "two/old/",
                           "two/old/parameters.txt=two/old/parameters.txt",
                           "two/parameters.txt=two/parameters.txt"}
            << "Installed 'one' from 'pack.zip'.\nInstalled 'two' from 'pack.zip'.\n"
               "Installed 'three' from 'pack.zip'.";
        QTest::newRow("a dropped folder")
            << "Downloads" << QByteArray("folder") << QByteArrayList{"fastcar/parameters.txt"}
            << QStringList{"fastcar/", "fastcar/parameters.txt=fastcar/parameters.txt"}
            << "Installed 'fastcar' from 'Downloads'.";
        QTest::newRow("no car")
            << "skins.zip" << QByteArray("zip") << QByteArrayList{"pics/", "pics/readme.txt"}
            << QStringList{} << "No car found in 'skins.zip': a car folder holds parameters.txt.";
        QTest::newRow("an entry climbing out")
            << "evil.zip" << QByteArray("zip")
            << QByteArrayList{"car/parameters.txt", "car/../../evil.txt"} << QStringList{}
            << "'evil.zip' was not installed: the entry 'car/../../evil.txt' climbs out of its "
               "folder with \"..\".";
        QTest::newRow("an absolute entry")
            << "evil.tar.gz" << QByteArray("tar.gz")
            << QByteArrayList{"car/parameters.txt", "/tmp/evil.txt"} << QStringList{}
            << "'evil.tar.gz' was not installed: the entry '/tmp/evil.txt' has an absolute name.";
        QTest::newRow("a link pointing out")
            << "evil.zip" << QByteArray("zip")
            << QByteArrayList{"car/parameters.txt", "car/skin.bmp->../../../etc/passwd"}
            << QStringList{}
            << "'evil.zip' was not installed: the link 'car/skin.bmp' points out of its car, at "
               "'../../../etc/passwd'.";
        QTest::newRow("a file behind a link")
            << "evil.tar.gz" << QByteArray("tar.gz")
            << QByteArrayList{"car/parameters.txt", "car/skins->.", "car/skins/x.bmp"}
            << QStringList{}
            << "'evil.tar.gz' was not installed: the entry 'car/skins/x.bmp' would be written "
               "through the link 'car/skins'.";
        QTest::newRow("links and a FIFO inside are left out")
            << "car.tar.gz" << QByteArray("tar.gz")
            << QByteArrayList{"car/parameters.txt", "car/alias->parameters.txt",
                              "car/hard=>car/parameters.txt", "car/pipe|"}
            << QStringList{"car/", "car/parameters.txt=car/parameters.txt"}
            << "Installed 'car' from 'car.tar.gz'.\n"
               "Left out of 'car.tar.gz': the link 'car/alias' (links are not installed).\n"
               "Left out of 'car.tar.gz': the hard link 'car/hard' (links are not installed).\n"
               "Left out of 'car.tar.gz': 'car/pipe', a device or FIFO (these are not installed).";
        QTest::newRow("encrypted")
            << "locked.zip" << QByteArray("zip-crypt") << QByteArrayList{"car/parameters.txt"}
            << QStringList{}
            << "'locked.zip' was not installed: the entry 'car/parameters.txt' is encrypted, and "
               "Torvane cannot unpack encrypted archives.";
        QTest::newRow("truncated")
            << "cut.tar.gz" << QByteArray("tar.gz-cut")
            << QByteArrayList{"car/parameters.txt", "car/car.bmp*9000"} << QStringList{}
            << "'cut.tar.gz' was not installed: truncated gzip input.";
        QTest::newRow("a damaged gzip stream")
            << "bad.tar.gz" << QByteArray("tar.gz-crc") << QByteArrayList{"car/parameters.txt"}
            << QStringList{}
            << "'bad.tar.gz' was not installed: its compressed data is damaged (incorrect data "
               "check).";
        QTest::newRow("a FIFO of an archive's name")
            << "pipe.zip" << QByteArray("fifo") << QByteArrayList{} << QStringList{}
            << "'pipe.zip' was not installed: it is not a plain file.";
        for (const QByteArray kind : {"zip", "tar.gz"})
            QTest::newRow("a file where the car's folder is, " + kind)
                << "x.zip" << kind << QByteArrayList{"car/parameters.txt", "car"} << QStringList{}
                << "'x.zip' was not installed: it holds 'car' both as a file and as a folder.";
        QTest::newRow("a file where a folder of the car is, listed first")
            << "x.7z" << QByteArray("7zip")
            << QByteArrayList{"car/skins", "car/parameters.txt", "car/skins/a.bmp"} << QStringList{}
            << "'x.7z' was not installed: it holds 'car/skins' both as a file and as a folder.";
        QTest::newRow("a copy of the car inside it, listed first")
            << "x.zip" << QByteArray("zip")
            << QByteArrayList{"car/old/parameters.txt", "car/parameters.txt", "car/a.bmp"}
            << QStringList{"car/", "car/a.bmp=car/a.bmp", "car/old/",
                           "car/old/parameters.txt=car/old/parameters.txt",
                           "car/parameters.txt=car/parameters.txt"}
            << "Installed 'car' from 'x.zip'.";
        QTest::newRow("the name of an install's own folder")
            << "x.zip" << QByteArray("zip") << QByteArrayList{".Torvane-Install-1/parameters.txt"}
            << QStringList{}
            << "Skipped '.Torvane-Install-1' from 'x.zip': The directory name may not begin with "
               "\".torvane-install-\": Torvane unpacks the cars it installs into folders of such "
               "names.";
        QTest::newRow("a code page 437 name without the UTF-8 mark")
            << "cafe.zip" << QByteArray("zip") << QByteArrayList{"caf\x82/parameters.txt"}
            << QStringList{"café/", "café/parameters.txt=caf\x82/parameters.txt"}
            << "Installed 'café' from 'cafe.zip'.";
        QTest::newRow("a UTF-8 name with the mark")
            << "cafe.zip" << QByteArray("zip-utf8") << QByteArrayList{"café/parameters.txt"}
            << QStringList{"café/", "café/parameters.txt=café/parameters.txt"}
            << "Installed 'café' from 'cafe.zip'.";
        QTest::newRow("a Windows-1252 tar name")
            << "cafe.tar.gz" << QByteArray("tar.gz") << QByteArrayList{"caf\xE9/parameters.txt"}
            << QStringList{"café/", "café/parameters.txt=caf\xE9/parameters.txt"}
            << "Installed 'café' from 'cafe.tar.gz'.";
        QTest::newRow("two cars of one name")
            << "x.zip" << QByteArray("zip")
            << QByteArrayList{"Car/parameters.txt", "car/parameters.txt"}
            << QStringList{"Car/", "Car/parameters.txt=Car/parameters.txt"}
            << "Skipped 'car' from 'x.zip': a car of that name came with it already.";
        QTest::newRow("a name Windows keeps for a device")
            << "con.zip" << QByteArray("zip") << QByteArrayList{"Con.txt/parameters.txt"}
            << QStringList{}
            << "Skipped 'Con.txt' from 'con.zip': The directory name may not be \"Con.txt\": "
               "Windows keeps that name for a device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to "
               "LPT9), with any extension.";
        QTest::newRow("named by its extensions alone")
            << ".tar.gz" << QByteArray("tar.gz") << QByteArrayList{"parameters.txt"}
            << QStringList{".tar/", ".tar/parameters.txt=parameters.txt"}
            << "Installed '.tar' from '.tar.gz'.";
        QTest::newRow("a link to a drive")
            << "evil.zip" << QByteArray("zip")
            << QByteArrayList{"car/parameters.txt", "car/a.bmp->C:/x"} << QStringList{}
            << "'evil.zip' was not installed: the link 'car/a.bmp' points out of its car, at "
               "'C:/x'.";
        QTest::newRow("a dropped folder holding the cars folder")
            << "game" << QByteArray("folder") << QByteArrayList{"x/parameters.txt"} << QStringList{}
            << "'game' was not installed: it is in the cars folder, or holds it.";
    }
    void install()
    {
        QFETCH(QString, archive);
        QFETCH(QByteArray, kind);
        QFETCH(QByteArrayList, entries);
        QFETCH(QStringList, tree);
        QFETCH(QString, report);
        const QString path = mWorld->root() + '/' + archive;
        MakeArchive(path, kind, entries);
        // A crash's leftover goes with the next install.
        mWorld->write("game/cars/.torvane-install-0badcafe/half/parameters.txt", "x");

        const modInstallCar::Report done = install({path});
        QVERIFY2(done.text.startsWith(report), qPrintable(done.text));
        QCOMPARE(Tree(mWorld->carsDir()), tree);
        QCOMPARE(done.installed.isEmpty(), tree.isEmpty());
    }

    // The tree's first car, named alike: replaced when the player says so, a standard car never.
    void nameTaken_data()
    {
        Columns<QString, int, QStringList, QString>("archived", "answer", "tree", "report");
        QTest::newRow("replaced") << "fastcar" << int(MsgBox::Answer::Yes)
                                  << QStringList{"FastCar/",
                                                 "FastCar/parameters.txt=fastcar/parameters.txt"}
                                  << "Replaced 'FastCar' from 'new.zip'.";
        QTest::newRow("kept") << "fastcar" << int(MsgBox::Answer::No)
                              << QStringList{"FastCar/", "FastCar/car.bmp=BM"}
                              << "Skipped 'fastcar' from 'new.zip': the installed car was kept.";
        QTest::newRow("a standard car")
            << "RC" << -1 << QStringList{"FastCar/", "FastCar/car.bmp=BM"}
            << "Skipped 'RC' from 'new.zip': 'rc' is a standard car of the game, which is never "
               "replaced.";
        QTest::newRow("installed as bytes")
            << "café" << int(MsgBox::Answer::Yes)
            << QStringList{FileSystem::Decode("CAF\xc9/"),
                           FileSystem::Decode("CAF\xc9/parameters.txt=café/parameters.txt")}
            << "Replaced 'CAFÉ' from 'new.zip'.";
    }
    void nameTaken()
    {
        QFETCH(QString, archived);
        QFETCH(int, answer);
        QFETCH(QStringList, tree);
        QFETCH(QString, report);
        mWorld->makeCar(tree.first().chopped(1));
        mWorld->makeCar("rc");
        const QString zip = mWorld->root() + "/new.zip";
        MakeArchive(zip, "zip-utf8", {archived.toUtf8() + "/parameters.txt"});
        if (answer >= 0)
            mBoxes->expect(MsgBox::Answer(answer));
        QCOMPARE(install({zip}).text, report);
        QCOMPARE(Tree(mWorld->carsDir()), (tree + QStringList{"rc/", "rc/car.bmp=BM"}));
        if (answer >= 0)
            QCOMPARE(mBoxes->only().text, "A car named '" +
                                              FileSystem::Shown(tree.first().chopped(1)) +
                                              "' is already installed. Replace it? Its files "
                                              "will be PERMANENTLY deleted!");
    }

    // On a partition shared with Windows, whose FUSE driver knows only the plain rename; or
    // loses a folder's files when it renames the folder.
    void sharedDisks_data()
    {
        Columns<QString, QString, QStringList>("disk", "report", "tree");
        QTest::newRow("exFAT") << "exFAT"
                               << "Replaced 'fastcar' from 'new.zip'.\nInstalled 'other' from "
                                  "'new.zip'."
                               << QStringList{
                                      "fastcar/", "fastcar/parameters.txt=FastCar/parameters.txt",
                                      "other/", "other/parameters.txt=other/parameters.txt"};
        QTest::newRow("FAT")
            << "FAT"
            << "'new.zip' was not installed: the driver of the disk that holds the "
               "cars folder loses a folder's files when it renames the folder."
            << QStringList{"fastcar/", "fastcar/car.bmp=BM"};
    }
    void sharedDisks()
    {
        QFETCH(QString, disk);
        QFETCH(QString, report);
        QFETCH(QStringList, tree);
        const QString root = mWorld->root() + "/disk";
        const Mounted shared = SharedDisk(disk, root);
        if (!shared.ok)
            QSKIP("mounting a file system through FUSE is not allowed here");
        mWorld->write("disk/game/cars/fastcar/car.bmp", "BM");
        modMain::gSettings().setDrovakDir(root + "/game");
        MakeArchive(mWorld->root() + "/new.zip", "zip",
                    {"FastCar/parameters.txt", "other/parameters.txt"});
        if (report.startsWith("Replaced"))
            mBoxes->expect(MsgBox::Answer::Yes);
        QCOMPARE(install({mWorld->root() + "/new.zip"}).text, report);
        QCOMPARE(Tree(root + "/game/cars"), tree);
    }

    // From the File menu or dropped on the window: the car comes, and is shown.
    void fromTheWindow_data()
    {
        Columns<QString, QString, QStringList>("way", "report", "listed");
        const QStringList both{"Standard Cars", "rc (RC Sprinter)", "Custom Cars", "fastcar"};
        QTest::newRow("menu") << "mnuFileInstall"
                              << "Installed 'fastcar' from 'fast.zip'." << both;
        QTest::newRow("menu, canceled") << ""
                                        << "" << QStringList{"Standard Cars", "rc (RC Sprinter)"};
        QTest::newRow("dropped") << "drop"
                                 << "Installed 'fastcar' from 'fast.zip'." << both;
        QTest::newRow("large, canceled in the progress box")
            << "cancel"
            << "'fast.zip' was not installed: the install was canceled."
            << QStringList{"Standard Cars", "rc (RC Sprinter)"};
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
            if (way == "cancel")
                QTimer::singleShot(0, [] {
                    auto* box = QApplication::activeModalWidget();
                    if (auto* progress = qobject_cast<QProgressDialog*>(box))
                        progress->cancel();
                });
            act("mnuFileInstall");
            QCOMPARE(mAsked, QStringList{"Install Car from Archive Car archives (*.zip *.7z *.rar "
                                         "*.tar *.tar.gz *.tgz *.tar.xz)"});
        }
        mAsked.clear();
        QCOMPARE(mBoxes->boxes().isEmpty() ? QString() : mBoxes->only().text, report);
        QStringList texts;
        for (int row : {0, 1}) {
            if (cars()->rowCount(branch(row)) > 0)
                texts << branch(row).data().toString() << childTexts(row);
        }
        QCOMPARE(texts, listed);
        if (listed.size() == 4) {
            QCOMPARE(tree()->currentIndex(), node("fastcar"));
            QCOMPARE(carState(), "+++++ shown");
        }
    }
};

QTEST_MAIN(tst_Archive)
#include "tst_Archive.moc"
