#include "TestWorld.h"
#include "app/modQuarnIniAPI.h"

#include <QDir>
#include <QTest>

using modQuarnIniAPI::ReadProfileString;
using modQuarnIniAPI::WriteProfileString;

class tst_ProfileFiles : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void readMissingOrNotAFile();
    void write_data();
    void write();
    void writeFailures();
    void writeThenRead();
    void readAgainWhenChanged();
};

void tst_ProfileFiles::read_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString d = QStringLiteral("<default>");
    // clang-format off
    QTest::newRow("CR LF lines") << QByteArray("[A]\r\nk=v\r\n") << "A" << "k" << "v";
    QTest::newRow("LF lines") << QByteArray("[A]\nx=1\nk=v\n") << "A" << "k" << "v";
    QTest::newRow("CR lines") << QByteArray("[A]\rx=1\rk=v") << "A" << "k" << "v";
    QTest::newRow("blanks trimmed") << QByteArray(" \t[ A ] \r\n\t k \t=  v w \x1a\r\n") << "A" << "k" << "v w";
    QTest::newRow("value holds =") << QByteArray("[A]\r\nk=a=b\r\n") << "A" << "k" << "a=b";
    QTest::newRow("double quotes") << QByteArray("[A]\r\nk=\" v \"\r\n") << "A" << "k" << " v ";
    QTest::newRow("single quotes") << QByteArray("[A]\r\nk='v'\r\n") << "A" << "k" << "v";
    QTest::newRow("unmatched quotes kept") << QByteArray("[A]\r\nk='v\"\r\n") << "A" << "k" << "'v\"";
    QTest::newRow("lone quote kept") << QByteArray("[A]\r\nk=\"\r\n") << "A" << "k" << "\"";
    QTest::newRow("letter case ignored") << QByteArray("[Zelmor Car Data]\r\nNAME=Blue\r\n") << "zelmor car data" << "name" << "Blue";
    QTest::newRow("first of two keys") << QByteArray("[A]\r\nk=1\r\nK=2\r\n") << "A" << "k" << "1";
    QTest::newRow("first of two sections") << QByteArray("[A]\r\nk=1\r\n[a]\r\nk=2\r\n") << "A" << "k" << "1";
    QTest::newRow("key only in a later twin section") << QByteArray("[A]\r\nx=1\r\n[A]\r\nk=2\r\n") << "A" << "k" << d;
    QTest::newRow("empty value is not the default") << QByteArray("[A]\r\nk=\r\n") << "A" << "k" << "";
    QTest::newRow("missing key") << QByteArray("[A]\r\nx=1\r\n") << "A" << "k" << d;
    QTest::newRow("missing section") << QByteArray("[B]\r\nk=1\r\n") << "A" << "k" << d;
    QTest::newRow("key of the next section") << QByteArray("[A]\r\n[B]\r\nk=1\r\n") << "A" << "k" << d;
    QTest::newRow("entry before any section") << QByteArray("k=1\r\n[A]\r\n") << "A" << "k" << d;
    QTest::newRow("line without = is no entry") << QByteArray("[A]\r\nk\r\n") << "A" << "k" << d;
    QTest::newRow("comment is no entry") << QByteArray("[A]\r\n;k=1\r\n") << "A" << "k" << d;
    QTest::newRow("section name up to the last bracket") << QByteArray("[A]B]\r\nk=1\r\n") << "A]B" << "k" << "1";
    QTest::newRow("Windows-1252") << QByteArray("[A]\r\nk=J\xe9r\xf4me \x80\r\n") << "A" << "k" << QStringLiteral("Jérôme €");
    QTest::newRow("254 characters") << QByteArray("[A]\r\nk=" + QByteArray(254, 'x')) << "A" << "k" << QString(254, QLatin1Char('x'));
    // clang-format on
    QByteArray table("[Classify]\r\n");
    for (int i = 0; i < 40; ++i)
        table += "car" + QByteArray::number(i) + "=v" + QByteArray::number(i) + "\r\n";
    // clang-format off
    QTest::newRow("long section, first of two keys") << table + "CAR5=twin\r\n" << "classify" << "Car5" << "v5";
    QTest::newRow("long section, missing key") << table << "Classify" << "car40" << d;
    QTest::newRow("long value") << QByteArray("[A]\r\nk=" + QByteArray(70000, 'y') + "\r\n") << "A" << "k" << QString(70000, QLatin1Char('y'));
    // clang-format on
}

void tst_ProfileFiles::read()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    TestWorld world;
    const QString path = world.write(QStringLiteral("p.ini"), file);
    QCOMPARE(ReadProfileString(section, key, QStringLiteral("<default>"), path), expected);
}

void tst_ProfileFiles::readMissingOrNotAFile()
{
    TestWorld world;
    QCOMPARE(ReadProfileString("A", "k", "d", world.root() + "/missing.ini"), QString("d"));
    QCOMPARE(ReadProfileString("A", "k", {}, world.root() + "/missing.ini"), QString());
    QVERIFY(QDir(world.root()).mkdir("folder.ini"));
    QCOMPARE(ReadProfileString("A", "k", "d", world.root() + "/folder.ini"), QString("d"));
}

void tst_ProfileFiles::write_data()
{
    QTest::addColumn<QByteArray>("before"); // null: no file
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    // clang-format off
    QTest::newRow("new file") << QByteArray() << "A" << "k" << "v" << QByteArray("[A]\r\nk=v\r\n");
    QTest::newRow("replaced where it stands, other bytes kept") << QByteArray("; head\n[a]\n  KEY = old ; x\nother=1\n") << "A" << "key" << "new" << QByteArray("; head\n[a]\nKEY=new\r\nother=1\n");
    QTest::newRow("added after the section's last entry") << QByteArray("[A]\r\nk=1\r\n\r\n; about B\r\n[B]\r\nx=2\r\n") << "A" << "m" << "3" << QByteArray("[A]\r\nk=1\r\nm=3\r\n\r\n; about B\r\n[B]\r\nx=2\r\n");
    QTest::newRow("added to an empty section") << QByteArray("[A]\r\n[B]\r\n") << "a" << "m" << "3" << QByteArray("[A]\r\nm=3\r\n[B]\r\n");
    QTest::newRow("section header without line end") << QByteArray("[A]") << "A" << "m" << "3" << QByteArray("[A]\r\nm=3\r\n");
    QTest::newRow("last entry without line end") << QByteArray("[A]\r\nk=1") << "A" << "m" << "3" << QByteArray("[A]\r\nk=1\r\nm=3\r\n");
    QTest::newRow("new section after a last line without line end") << QByteArray("[A]\r\nk=1") << "B" << "x" << "v" << QByteArray("[A]\r\nk=1\r\n[B]\r\nx=v\r\n");
    QTest::newRow("first of two sections") << QByteArray("[A]\r\nk=1\r\n[A]\r\nk=2\r\n") << "A" << "k" << "9" << QByteArray("[A]\r\nk=9\r\n[A]\r\nk=2\r\n");
    QTest::newRow("first of two keys") << QByteArray("[A]\r\nk=1\r\nk=2\r\n") << "A" << "k" << "9" << QByteArray("[A]\r\nk=9\r\nk=2\r\n");
    QTest::newRow("leading blanks of the value dropped") << QByteArray("[A]\r\n") << "A" << "k" << " \t v " << QByteArray("[A]\r\nk=v \r\n");
    QTest::newRow("empty value kept as an entry") << QByteArray("[A]\r\nk=1\r\n") << "A" << "k" << "" << QByteArray("[A]\r\nk=\r\n");
    QTest::newRow("Windows-1252, ? for the rest") << QByteArray() << "A" << "k" << QStringLiteral("Jérôme € Ā 😀") << QByteArray("[A]\r\nk=J\xe9r\xf4me \x80 ? ?\r\n");
    QTest::newRow("equal value leaves the file untouched") << QByteArray("[A]\n  k =  v\n") << "a" << "K" << "v" << QByteArray("[A]\n  k =  v\n");
    // clang-format on
}

void tst_ProfileFiles::write()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    TestWorld world;
    const QString path = world.root() + QStringLiteral("/p.ini");
    if (!before.isNull())
        world.write(QStringLiteral("p.ini"), before);
    QVERIFY(WriteProfileString(section, key, value, path));
    QCOMPARE(ReadFile(path), after);
}

void tst_ProfileFiles::writeFailures()
{
    TestWorld world;
    QString reason;

    const QString inMissingFolder = world.root() + QStringLiteral("/none/p.ini");
    QVERIFY(!WriteProfileString("A", "k", "v", inMissingFolder, &reason));
    QVERIFY2(reason.contains(inMissingFolder), qPrintable(reason));
    QVERIFY(!QFile::exists(inMissingFolder));

    QVERIFY(QDir(world.root()).mkpath(QStringLiteral("folder.ini/inside")));
    QVERIFY(!WriteProfileString("A", "k", "v", world.root() + QStringLiteral("/folder.ini")));
    QVERIFY(QFileInfo(world.root() + QStringLiteral("/folder.ini/inside")).isDir());

    // A line break would end the entry early and leave the rest as a line of its own.
    const QByteArray original("[A]\r\nk=1\r\n");
    const QString path = world.write(QStringLiteral("p.ini"), original);
    QVERIFY(!WriteProfileString("A", "k", "one\r\ntwo=x", path, &reason));
    QVERIFY(!WriteProfileString("A", "k\n", "v", path));
    QCOMPARE(ReadFile(path), original);
}

void tst_ProfileFiles::writeThenRead()
{
    TestWorld world;
    const QString path = world.root() + QStringLiteral("/p.ini");
    const QString value = QString(100000, QLatin1Char('z')) + QStringLiteral("é=\"q\"");
    QVERIFY(WriteProfileString("Zelmor Car Data", "Description", value, path));
    QVERIFY(WriteProfileString("zelmor car data", "NAME", "n", path));
    QCOMPARE(ReadProfileString("ZELMOR CAR DATA", "description", {}, path), value);
    QCOMPARE(ReadProfileString("Zelmor Car Data", "Name", {}, path), QString("n"));
}

void tst_ProfileFiles::readAgainWhenChanged()
{
    TestWorld world;
    const QString path = world.write(QStringLiteral("p.ini"), "[A]\r\nk=1\r\n");
    QCOMPARE(ReadProfileString("A", "k", {}, path), QString("1"));
    world.write(QStringLiteral("p.ini"), "[A]\r\nk=22\r\n");
    QCOMPARE(ReadProfileString("A", "k", {}, path), QString("22"));
    // Same size, written at once: the writer's own change is never missed.
    QVERIFY(WriteProfileString("A", "k", "33", path));
    QCOMPARE(ReadProfileString("A", "k", {}, path), QString("33"));
    QVERIFY(QFile::remove(path));
    QCOMPARE(ReadProfileString("A", "k", "gone", path), QString("gone"));
}

QTEST_GUILESS_MAIN(tst_ProfileFiles)
#include "tst_ProfileFiles.moc"
