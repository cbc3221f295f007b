#include "TestWorld.h"
#include "app/modMain.h"

#include <QDir>
#include <QTest>

// A failing call shows a box and returns false, so the calls expected to succeed need no
// message box recorder. The wizard's tests cover a final CR LF and leading spaces.
class tst_ParamsFiles : public QObject
{
    Q_OBJECT

private slots:
    // The read drops one line-end character at the end; the write adds CR LF.
    void wholeFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("rewritten");
        QTest::newRow("final lone CR") << QByteArray("a\rb\r") << "a\rb" << QByteArray("a\rb\r\n");
        QTest::newRow("last character kept, Windows-1252")
            << QByteArray("J\xe9r\xf4me \x80") << QStringLiteral("Jérôme €")
            << QByteArray("J\xe9r\xf4me \x80\r\n");
    }

    void wholeFile()
    {
        QFETCH(QByteArray, file);
        TestWorld world;
        const QString path = world.write("parameters.txt", file);
        const QString text = modMain::ReadWholeFile(path);
        QTEST(text, "text");
        QVERIFY(modMain::WriteWholeFile(path, text));
        QTEST(ReadFile(path), "rewritten");
    }

    void emptyFileUnreadable()
    {
        TestWorld world;
        const QString path = world.write("parameters.txt", "");
        QVERIFY_THROWS_EXCEPTION(modMain::FileError, modMain::ReadWholeFile(path));
    }

    // With no car name, the obtain rewrite.
    void setParams_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("carName");
        QTest::addColumn<QByteArray>("after");
        const auto row = [](const char* name, const QByteArray& before, const QString& carName,
                            const QByteArray& after) {
            QTest::newRow(name) << before << carName << after;
        };
        const QByteArray named("Name\t\t\"New Car\"\r\n");
        row("leading tab: not a name line", "\tName x\r\n", "New Car", "\tName x\r\n");
        row("name lines: after spaces, twice, and a word starting with Name",
            "  Name a ; x\r\nx\r\nNames 3\r\n", "New Car", named + "x\r\n" + named);
        row("lower-case obtain", "obtain 2\r\n", "", "obtain 2\r\n");
        row("neither entry, final LF", "a\r\nb\n", "New Car", "a\r\nb\r\n");
        row("CR alone ends a line", "a\rName x\rb\r", "New Car", "a\r\n" + named + "b\r\n");
        row("last line without line end", "x\r\n Obtain 1", "", "x\r\nObtain\t0\r\n");
        row("empty file", "", "New Car", "");
    }

    // The files are found in any letter case; the previous file is kept as the backup.
    void setParams()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, carName);
        TestWorld world;
        world.write("car/Parameters.TXT", before);
        world.write("car/PARAMETERS.BAK", "older");
        const QString folder = world.root() + "/car";
        QVERIFY(carName.isEmpty() ? modMain::SetParamsObtain(folder)
                                  : modMain::SetParamsName(folder, carName));
        QTEST(world.read("car/Parameters.TXT"), "after");
        QCOMPARE(world.read("car/PARAMETERS.BAK"), before);
        QCOMPARE(QDir(folder).entryList(QDir::Files),
                 QStringList({"PARAMETERS.BAK", "Parameters.TXT"}));
    }
};

QTEST_GUILESS_MAIN(tst_ParamsFiles)
#include "tst_ParamsFiles.moc"
