#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "app/cSettings.h"
#include "app/modMain.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QTest>

using modMain::Run;

// torvane.ini beside the program, and the start-up it decides.
class tst_Settings : public QObject
{
    Q_OBJECT

private slots:
    void load_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("drovakDir");
        QTest::addColumn<QString>("carDir");
        QTest::addColumn<QString>("imageEditor");
        QTest::addColumn<QString>("textEditor");
        QTest::addColumn<QString>("author");
        // clang-format off
        QTest::newRow("all entries") << QByteArray("[directories]\r\nexepath=/games/Drovak\r\n[Applications]\r\nImageEditor=/usr/bin/paint\r\nTextEditor=/usr/bin/edit\r\n[UserInfo]\r\nName=J\xe9r\xf4me\r\n") << "/games/Drovak" << "/games/Drovak/cars" << "/usr/bin/paint" << "/usr/bin/edit" << QStringLiteral("Jérôme");
        QTest::newRow("no Directories section") << QByteArray("[UserInfo]\r\nName=me\r\n") << "" << "/cars" << "" << "" << "me";
        QTest::newRow("game folder at the root") << QByteArray("[Directories]\r\nEXEPath=/\r\n") << "/" << "//cars" << "" << "" << "";
        // clang-format on
    }
    void load()
    {
        QFETCH(QByteArray, ini);
        TestWorld world(ini);
        cSettings settings;
        settings.LoadSettings();
        QCOMPARE(settings.INIPath(), world.iniPath());
        QTEST(settings.DrovakDir(), "drovakDir");
        QTEST(settings.CarDir(), "carDir");
        QTEST(settings.ImageEditorPath(), "imageEditor");
        QTEST(settings.TextEditorPath(), "textEditor");
        QTEST(settings.Author(), "author");
    }

    // Names copied from Windows and names beyond its code page come back as they were.
    void saveAndLoad_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("author");
        // clang-format off
        QTest::newRow("beyond Windows-1252") << "/home/michał/Игры" << "Michał";
        QTest::newRow("Windows-1252 bytes in a name") << FileSystem::Decode("/data/caf\xe9") << "Zoé";
        QTest::newRow("a name that reads as UTF-8") << "/g" << QStringLiteral("Ã©");
        // clang-format on
    }
    void saveAndLoad()
    {
        QFETCH(QString, path);
        QFETCH(QString, author);
        TestWorld world;
        world.loadSettings();
        cSettings& settings = modMain::gSettings();
        settings.setDrovakDir(path);
        settings.setTextEditorPath(path + "/edit");
        settings.setAuthor(author);
        settings.SaveSettings();
        cSettings restarted;
        restarted.LoadSettings();
        QCOMPARE(restarted.DrovakDir(), path);
        QCOMPARE(restarted.TextEditorPath(), path + "/edit");
        QCOMPARE(restarted.Author(), author);
        QVERIFY(world.read("program/torvane.ini").contains("[Classify]\r\nrc=original\r\n"));
    }

    void startup_data()
    {
        // null: no file; "<folder>": a folder in its place; "<elsewhere>": only one in the
        // working folder
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("run");
        QTest::addColumn<QString>("title"); // of the one box shown, if any
        QTest::addColumn<QString>("text");  // a part of its text, with every line break it has
        QTest::addColumn<int>("icon");
        const int aborted = int(Run::Aborted), first = int(Run::FirstRun);
        const int exclamation = int(MsgBox::Icon::Exclamation);
        const int information = int(MsgBox::Icon::Information);
        const QString abort = "Program Aborted", noFile = "Could not find the TORVANE.INI file!";
        const QString welcome = "Welcome to Zelmor Torvane!";
        const QString restart = "your custom cars.\r\n\r\nRestart Torvane";
        // clang-format off
        QTest::newRow("no settings file") << QByteArray() << aborted << abort << noFile << exclamation;
        QTest::newRow("a folder named like the settings file") << QByteArray("<folder>") << aborted << abort << noFile << exclamation;
        QTest::newRow("a settings file in the working folder only") << QByteArray("<elsewhere>") << aborted << abort << noFile << exclamation;
        QTest::newRow("empty settings file") << QByteArray("") << first << welcome << restart << information;
        QTest::newRow("empty game folder") << QByteArray("[Directories]\r\nEXEPath=\r\n") << first << welcome << restart << information;
        QTest::newRow("game folder that does not exist") << QByteArray("[Directories]\r\nEXEPath=/no/such/folder\r\n") << int(Run::Normal) << "" << "" << 0;
        // clang-format on
    }
    void startup()
    {
        QFETCH(QByteArray, ini);
        QFETCH(int, run);
        QFETCH(QString, title);
        QFETCH(QString, text);
        TestWorld world(ini.startsWith('<') ? QByteArray() : ini);
        if (ini == "<folder>")
            QVERIFY(QDir().mkpath(world.iniPath()));
        const QString previous = QDir::currentPath();
        if (ini == "<elsewhere>")
            QDir::setCurrent(world.write("elsewhere/torvane.ini", "[Directories]\r\nEXEPath=/g")
                                 .section('/', 0, -2));

        MsgBoxRecorder boxes;
        if (!title.isEmpty())
            boxes.expect();
        int options = 0, main = 0;
        const int result = int(modMain::Main({[&options] { ++options; }, [&main] { ++main; }}));
        QDir::setCurrent(previous);
        QCOMPARE(result, run);
        VERIFY_BOXES(boxes);
        if (!title.isEmpty()) {
            const MsgBox::Box box = boxes.only();
            QCOMPARE(box.title, title);
            QVERIFY2(box.text.contains(text) && box.text.count('\n') == text.count('\n'),
                     qPrintable(box.text));
            QTEST(int(box.icon), "icon");
            QCOMPARE(box.buttons, MsgBox::Buttons::Ok);
        }
        QCOMPARE(options, run == int(Run::FirstRun) ? 1 : 0);
        QCOMPARE(main, run == int(Run::Normal) ? 1 : 0);
        QCOMPARE(modMain::gSettings().INIPath(), world.iniPath());
    }
};

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_Settings.moc"
