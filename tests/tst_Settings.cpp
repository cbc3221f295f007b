#include "TestWorld.h"
#include "app/cSettings.h"
#include "app/modErrorHandling.h"
#include "app/modMain.h"

#include <QDir>
#include <QTest>

using modErrorHandling::AppError;

class tst_Settings : public QObject
{
    Q_OBJECT

private slots:
    void load_data();
    void load();
    void saveWritesAllFourEntries();
    void saveFailureRaises();
};

void tst_Settings::load_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("drovakDir");
    QTest::addColumn<QString>("carDir");
    QTest::addColumn<QString>("imageEditor");
    QTest::addColumn<QString>("textEditor");
    QTest::addColumn<QString>("author");

    // clang-format off
    QTest::newRow("all entries") << QByteArray("[directories]\r\nexepath=/games/Drovak\r\n[Applications]\r\n" "ImageEditor=/usr/bin/paint\r\nTextEditor=/usr/bin/edit\r\n" "[UserInfo]\r\nName=J\xe9r\xf4me\r\n") << "/games/Drovak" << "/games/Drovak/cars" << "/usr/bin/paint" << "/usr/bin/edit" << QStringLiteral("Jérôme");
    QTest::newRow("no Directories section") << QByteArray("[UserInfo]\r\nName=me\r\n") << "" << "/cars" << "" << "" << "me";
    QTest::newRow("empty file") << QByteArray("") << "" << "/cars" << "" << "" << "";
    QTest::newRow("game folder at the root") << QByteArray("[Directories]\r\nEXEPath=/\r\n") << "/" << "//cars" << "" << "" << "";
    QTest::newRow("trailing separator kept") << QByteArray("[Directories]\r\nEXEPath=/g/\r\n") << "/g/" << "/g//cars" << "" << "" << "";
    // clang-format on
    // clang-format on
}

void tst_Settings::load()
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

    // The cars folder follows the game folder, not the other way round.
    settings.setCarDir(QStringLiteral("/elsewhere"));
    QTEST(settings.DrovakDir(), "drovakDir");
    settings.setDrovakDir(settings.DrovakDir() + "/");
    QCOMPARE(settings.CarDir(), settings.DrovakDir() + "/cars");
}

void tst_Settings::saveWritesAllFourEntries()
{
    TestWorld world("; shipped\r\n[Directories]\r\nEXEPath=/old\r\n"
                    "[Classify]\r\nrc=original\r\n[Names]\r\nrc=RC Sprinter\r\n");
    cSettings settings;
    settings.LoadSettings();
    settings.setAuthor(QStringLiteral("Zoé"));
    settings.SaveSettings();
    QCOMPARE(world.read("program/torvane.ini"),
             QByteArray("; shipped\r\n[Directories]\r\nEXEPath=/old\r\n"
                        "[Classify]\r\nrc=original\r\n[Names]\r\nrc=RC Sprinter\r\n"
                        "[Applications]\r\nImageEditor=\r\nTextEditor=\r\n"
                        "[UserInfo]\r\nName=Zo\xe9\r\n"));
    QCOMPARE(settings.CarDir(), QStringLiteral("/old/cars"));
}

void tst_Settings::saveFailureRaises()
{
    TestWorld world(QByteArray{});
    const QString path = world.root() + QStringLiteral("/none/torvane.ini");

    cSettings settings;
    settings.setINIPath(path);
    settings.setAuthor(QStringLiteral("me"));
    try {
        settings.SaveSettings();
        QFAIL("SaveSettings did not raise");
    } catch (const AppError& error) {
        QCOMPARE(error.number(), -2147211505);
        QCOMPARE(quint32(error.number()), 0x8004270Fu);
        QCOMPARE(error.source(), QStringLiteral("cSettings:SaveSettings Method"));
        QCOMPARE(error.description(), QStringLiteral("An unknown error has occurred!"));
        QVERIFY2(error.detail().contains(path), qPrintable(error.detail()));
        QVERIFY(error.report().contains(QStringLiteral("0x8004270F")));
    }
}

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_Settings.moc"
