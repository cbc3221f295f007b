#include "TestWorld.h"
#include "app/modGame.h"
#include "platform/FileSystem.h"

#include <QtTest>

// The game is started for real, with stand-ins for `wine` and drovak.exe that write down how
// they were started.
class tst_Game : public QObject
{
    Q_OBJECT
    std::optional<TestWorld> mWorld;
    const QByteArray mPath = qgetenv("PATH");
    const QString mWorkingFolder = QDir::currentPath();

    QString real(const QString& path) const
    {
        return FileSystem::RealPath(mWorld->root() + '/' + path);
    }

    // Files under the world's root; "a -> b" is a link a to b; drovak.exe (any letter case) and
    // wine are stand-ins that log their name, arguments, working folder and every WINEPREFIX
    // they were given (the shell itself would keep only one of two).
    void make(const QStringList& entries)
    {
        const QByteArray standIn =
            "#!/bin/sh\n{ printf '%s\\n' \"$0\" \"$@\"; pwd -P; w=$(/usr/bin/tr "
            "'\\0' '\\n' </proc/$$/environ | /usr/bin/sed -n "
            "'s/^WINEPREFIX=//p' | /usr/bin/paste -sd' '); echo \"${w:-unset}\"; echo end; } >'" +
            FileSystem::Encode(mWorld->root() + "/log") + "'\n";
        for (const QString& entry : entries) {
            const bool runs =
                entry.endsWith("drovak.exe", Qt::CaseInsensitive) || entry.endsWith("/wine");
            const QString path = mWorld->write(entry.section(" -> ", 0, 0),
                                               runs ? standIn : "REGEDIT4\n", runs ? 0755 : -1);
            if (entry.contains(" -> "))
                QVERIFY(QFile::remove(path) && QFile::link(entry.section(" -> ", 1), path));
        }
    }
    // What the started program logged, else why nothing started.
    QString startLogged(const QString& gameDir)
    {
        QFile::remove(mWorld->root() + "/log");
        const Launcher::Result started = modGame::RunGame(gameDir);
        if (!started.success())
            return started.message;
        if (!QTest::qWaitFor([this] { return mWorld->read("log").endsWith("end\n"); }, 10000))
            return QStringLiteral("started, and never wrote its log");
        return FileSystem::Decode(mWorld->read("log")).chopped(5);
    }

private slots:
    void init()
    {
        mWorld.emplace();
        // Only the stand-ins: a real wine on this machine must not start.
        QVERIFY(QDir().mkpath(mWorld->root() + "/bin"));
        qputenv("PATH", QFile::encodeName(mWorld->root() + "/bin"));
        // The player's own, which holds outside a prefix and is replaced inside one.
        qputenv("WINEPREFIX", "/home/player/.wine");
    }
    void cleanup()
    {
        qputenv("PATH", mPath);
        qunsetenv("WINEPREFIX");
        QDir::setCurrent(mWorkingFolder);
        mWorld.reset();
    }

    void start_data()
    {
        // entries: "bin/wine" among them for a wine on the PATH; prefix: empty: the player's own
        // WINEPREFIX; message: not empty: nothing is started
        Columns<QStringList, QString, QString, QString>("entries", "game", "prefix", "message");
        const QString exe = "pfx/drive_c/Games/Drovak/drovak.exe", reg = "pfx/system.reg";
        const QString copied = FileSystem::Decode("pfx\xe9/drive_c/jeu\xe9");
        // clang-format off
        QTest::newRow("in a prefix, letter case of drive_c and system.reg") << QStringList{"pfx/SYSTEM.REG", "pfx/Drive_C/Drovak/DROVAK.EXE", "bin/wine"} << "pfx/Drive_C/Drovak" << "pfx" << "";
        QTest::newRow("through the prefix's drive link") << QStringList{reg, exe, "pfx/dosdevices/c: -> ../drive_c", "bin/wine"} << "pfx/dosdevices/c:/Games/Drovak" << "pfx" << "";
        QTest::newRow("the nearest prefix") << QStringList{reg, "pfx/drive_c/inner/system.reg", "pfx/drive_c/inner/drive_c/Drovak/drovak.exe", "bin/wine"} << "pfx/drive_c/inner/drive_c/Drovak" << "pfx/drive_c/inner" << "";
        QTest::newRow("drive_c without system.reg") << QStringList{exe, "bin/wine"} << "pfx/drive_c/Games/Drovak" << "" << "";
        QTest::newRow("in a prefix, not under its drive_c") << QStringList{reg, "pfx/drive_c/x", "pfx/Games/Drovak/drovak.exe", "bin/wine"} << "pfx/Games/Drovak" << "" << "";
        QTest::newRow("in a prefix, without wine") << QStringList{reg, exe} << "pfx/drive_c/Games/Drovak" << "pfx" << "";
        QTest::newRow("no drovak.exe, with wine") << QStringList{reg, "pfx/drive_c/Games/Drovak/readme.txt", "bin/wine"} << "pfx/drive_c/Games/Drovak" << "" << "Could not start $game/drovak.exe:\nthe file does not exist.";
        QTest::newRow("names copied from Windows") << QStringList{FileSystem::Decode("pfx\xe9/system.reg"), copied + "/drovak.exe", "bin/wine"} << copied << FileSystem::Decode("pfx\xe9") << "";
        QTest::newRow("a drovak.exe that cannot run") << QStringList{"Drovak/readme.txt", "Drovak/drovak.exe -> readme.txt"} << "Drovak" << "" << "Could not start $game/drovak.exe:\nPermission denied.";
        QTest::newRow("no game folder") << QStringList{"bin/wine"} << "Drovak" << "" << "Could not open the Drovak folder $game.";
        // clang-format on
    }
    void start()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, game);
        QFETCH(QString, prefix);
        QFETCH(QString, message);
        make(entries);
        const bool wine = entries.contains("bin/wine");
        const QString gameDir = mWorld->root() + '/' + game;
        const QString exe = entries.filter("drovak.exe", Qt::CaseInsensitive).value(0);
        const QString started = (wine ? mWorld->root() + "/bin/wine\n" : QString()) + gameDir +
                                '/' + QFileInfo(exe).fileName() + '\n' + real(game) + '\n' +
                                (prefix.isEmpty() ? "/home/player/.wine" : real(prefix));
        QCOMPARE(startLogged(gameDir),
                 message.isEmpty() ? started : message.replace("$game", gameDir));
        if (message.isEmpty())
            QCOMPARE(FileSystem::RealPath("."), real(game));
        // The prefix is looked for at each start: one made since the last start counts.
        if (QByteArray(QTest::currentDataTag()) == "drive_c without system.reg") {
            make({"pfx/system.reg"});
            QCOMPARE(startLogged(gameDir).section('\n', -1), real("pfx"));
        }
    }
};

QTEST_GUILESS_MAIN(tst_Game)
#include "tst_Game.moc"
