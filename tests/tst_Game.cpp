#include "TestWorld.h"
#include "app/modGame.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

// The game is started for real, with stand-ins for `wine` and drovak.exe that write down how
// they were started.
class tst_Game : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void start_data();
    void start();
    void prefixDecidedAtEachStart();

private:
    QString startLogged(const QString& gameDir);
    void make(const QStringList& entries);

    std::unique_ptr<TestWorld> mWorld;
    QByteArray mPath;
    QString mWorkingFolder;
};

namespace {

// Its name, its arguments, its working folder and WINEPREFIX, one a line.
QByteArray FakeProgram(const QString& log)
{
    return "#!/bin/sh\n{ printf '%s\\n' \"$0\" \"$@\"; pwd -P; echo \"${WINEPREFIX-unset}\"; "
           "echo end; } >'" +
           QFile::encodeName(log) + "'\n";
}

} // namespace

void tst_Game::init()
{
    mWorld = std::make_unique<TestWorld>();
    mPath = qgetenv("PATH");
    mWorkingFolder = QDir::currentPath();
    // Only the stand-ins: a real wine on this machine must not start.
    QVERIFY(QDir().mkpath(mWorld->root() + "/bin"));
    qputenv("PATH", QFile::encodeName(mWorld->root() + "/bin"));
}

void tst_Game::cleanup()
{
    qputenv("PATH", mPath);
    QDir::setCurrent(mWorkingFolder);
    mWorld.reset();
}

// entries: files under the world's root; "a -> b" is a link a to b; drovak.exe (any letter
// case) and wine are the logging stand-ins.
void tst_Game::make(const QStringList& entries)
{
    for (const QString& entry : entries) {
        const QStringList link = entry.split(QStringLiteral(" -> "));
        if (link.size() == 2) {
            const QString path = mWorld->root() + QLatin1Char('/') + link[0];
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            QVERIFY(QFile::link(link[1], path));
        } else if (entry.endsWith(QLatin1String("drovak.exe"), Qt::CaseInsensitive) ||
                   entry.endsWith(QLatin1String("/wine"))) {
            QFile::setPermissions(mWorld->write(entry, FakeProgram(mWorld->root() + "/log")),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        } else {
            mWorld->write(entry, "REGEDIT4\n");
        }
    }
}

QString tst_Game::startLogged(const QString& gameDir)
{
    QFile::remove(mWorld->root() + "/log");
    const Launcher::Result started = modGame::RunGame(gameDir);
    if (!started.success())
        return started.message;
    if (!QTest::qWaitFor([this] { return mWorld->read("log").endsWith("end\n"); }, 10000))
        return QStringLiteral("started, and never wrote its log");
    return QString::fromLocal8Bit(mWorld->read("log")).chopped(5);
}

void tst_Game::start_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("game");
    QTest::addColumn<bool>("wine");
    QTest::addColumn<QString>("prefix");  // "unset": no WINEPREFIX
    QTest::addColumn<QString>("message"); // not empty: nothing is started

    const QString exe = QStringLiteral("pfx/drive_c/Games/Drovak/drovak.exe");
    const QString reg = QStringLiteral("pfx/system.reg");
    // clang-format off
    QTest::newRow("outside any prefix") << QStringList{"Games/Drovak/drovak.exe"} << "Games/Drovak" << true << "unset" << "";
    QTest::newRow("in a prefix") << QStringList{reg, "pfx/drive_c/drovak.exe"} << "pfx/drive_c" << true << "pfx" << "";
    QTest::newRow("in a nested folder of a prefix") << QStringList{reg, exe} << "pfx/drive_c/Games/Drovak" << true << "pfx" << "";
    QTest::newRow("letter case of drive_c and system.reg") << QStringList{"pfx/SYSTEM.REG", "pfx/Drive_C/Drovak/DROVAK.EXE"} << "pfx/Drive_C/Drovak" << true << "pfx" << "";
    QTest::newRow("through the prefix's drive link") << QStringList{reg, exe, "pfx/dosdevices/c: -> ../drive_c"} << "pfx/dosdevices/c:/Games/Drovak" << true << "pfx" << "";
    QTest::newRow("the nearest prefix") << QStringList{reg, "pfx/drive_c/inner/system.reg", "pfx/drive_c/inner/drive_c/Drovak/drovak.exe"} << "pfx/drive_c/inner/drive_c/Drovak" << true << "pfx/drive_c/inner" << "";
    QTest::newRow("drive_c without system.reg") << QStringList{exe} << "pfx/drive_c/Games/Drovak" << true << "unset" << "";
    QTest::newRow("in a prefix, not under its drive_c") << QStringList{reg, "pfx/drive_c/x", "pfx/Games/Drovak/drovak.exe"} << "pfx/Games/Drovak" << true << "unset" << "";
    QTest::newRow("in a prefix, without wine") << QStringList{reg, exe} << "pfx/drive_c/Games/Drovak" << false << "pfx" << "";
    QTest::newRow("no drovak.exe, with wine") << QStringList{reg, "pfx/drive_c/Games/Drovak/readme.txt"} << "pfx/drive_c/Games/Drovak" << true << "" << "Could not start $game/drovak.exe:\nthe file does not exist.";
    QTest::newRow("no game folder") << QStringList{} << "Drovak" << true << "" << "Could not open the Drovak folder $game.";
    // clang-format on
}

void tst_Game::start()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, game);
    QFETCH(bool, wine);
    QFETCH(QString, prefix);
    QFETCH(QString, message);

    make(entries);
    if (wine)
        make({"bin/wine"});

    const QString gameDir = mWorld->root() + QLatin1Char('/') + game;
    const QString logged = startLogged(gameDir);
    if (!message.isEmpty()) {
        QCOMPARE(logged, QString(message).replace("$game", gameDir));
        return;
    }
    const QString exeName =
        QFileInfo(entries.filter("drovak.exe", Qt::CaseInsensitive).first()).fileName();
    const QString exe = gameDir + QLatin1Char('/') + exeName;
    QStringList expected = wine ? QStringList{mWorld->root() + "/bin/wine", exe} : QStringList{exe};
    expected << QFileInfo(gameDir).canonicalFilePath()
             << (prefix == "unset" ? prefix
                                   : QFileInfo(mWorld->root() + '/' + prefix).canonicalFilePath());
    QCOMPARE(logged.split(QLatin1Char('\n')), expected);
    QCOMPARE(QDir::currentPath(), QFileInfo(gameDir).canonicalFilePath());
}

void tst_Game::prefixDecidedAtEachStart()
{
    make({"pfx/drive_c/drovak.exe"});
    const QString gameDir = mWorld->root() + "/pfx/drive_c";
    QVERIFY(startLogged(gameDir).endsWith("\nunset"));
    make({"pfx/system.reg"});
    QVERIFY(startLogged(gameDir).endsWith(QFileInfo(mWorld->root() + "/pfx").canonicalFilePath()));
}

QTEST_GUILESS_MAIN(tst_Game)
#include "tst_Game.moc"
