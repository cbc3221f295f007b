#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "app/modMain.h"

#include <QDir>
#include <QTest>

class tst_ParamsFiles : public QObject
{
    Q_OBJECT

private slots:
    void wholeFile_data();
    void wholeFile();
    void wholeFileFailures_data();
    void wholeFileFailures();
    void setParams_data();
    void setParams();
    void setParamsLetterCase_data();
    void setParamsLetterCase();
    void setParamsFailures_data();
    void setParamsFailures();
};

namespace {

// Something to put in place of a file: bytes, or a folder.
const QByteArray kFolder = QByteArrayLiteral("<folder>");

QString Make(TestWorld& world, const QString& relative, const QByteArray& content)
{
    if (content == kFolder) {
        QDir(world.root()).mkpath(relative);
        return world.root() + '/' + relative;
    }
    return world.write(relative, content);
}

} // namespace

void tst_ParamsFiles::wholeFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");         // what the read gives
    QTest::addColumn<QByteArray>("rewritten"); // the file after writing that text back

    QTest::newRow("final CR LF loses only its LF")
        << QByteArray("abc\r\n") << "abc\r" << QByteArray("abc\r\r\n");
    QTest::newRow("final LF") << QByteArray("a\nb\n") << "a\nb" << QByteArray("a\nb\r\n");
    QTest::newRow("final lone CR") << QByteArray("a\rb\r") << "a\rb" << QByteArray("a\rb\r\n");
    QTest::newRow("last character without line end kept")
        << QByteArray("abc") << "abc" << QByteArray("abc\r\n");
    QTest::newRow("Windows-1252") << QByteArray("J\xe9r\xf4me \x80\x81\r\n")
                                  << QStringLiteral("Jérôme €\u0081\r")
                                  << QByteArray("J\xe9r\xf4me \x80\x81\r\r\n");
    const QByteArray big(70000, 'x');
    QTest::newRow("beyond 16-bit sizes") << big + "\r\n"
                                         << QString::fromLatin1(big + "\r") << big + "\r\r\n";
}

void tst_ParamsFiles::wholeFile()
{
    QFETCH(QByteArray, file);
    TestWorld world;
    const QString path = world.write("parameters.txt", file);
    MsgBoxRecorder boxes;

    const QString text = modMain::ReadWholeFile(path);
    QTEST(text, "text");
    QVERIFY(modMain::WriteWholeFile(path, text));
    QTEST(ReadFile(path), "rewritten");
    VERIFY_BOXES(boxes);
}

void tst_ParamsFiles::wholeFileFailures_data()
{
    QTest::addColumn<QByteArray>("content"); // null: nothing there

    QTest::newRow("empty file") << QByteArray(""); // only the read fails
    QTest::newRow("missing file") << QByteArray();
    QTest::newRow("a folder in its place") << kFolder;
}

// Each failure names the file. A failed write changes nothing and creates nothing.
void tst_ParamsFiles::wholeFileFailures()
{
    QFETCH(QByteArray, content);
    TestWorld world;
    const QString path = content.isNull() ? world.root() + "/parameters.txt"
                                          : Make(world, "parameters.txt", content);
    const QString named = QDir::toNativeSeparators(path);
    try {
        modMain::ReadWholeFile(path);
        QFAIL("the read did not fail");
    } catch (const modMain::FileError& error) {
        QVERIFY2(error.description().contains(named), qPrintable(error.description()));
    }
    if (content.isEmpty() && !content.isNull())
        return;

    MsgBoxRecorder boxes;
    boxes.expect();
    QVERIFY(!modMain::WriteWholeFile(path, "new"));
    const MsgBox::Box box = boxes.only();
    QCOMPARE(box.title, QStringLiteral("Torvane"));
    QCOMPARE(box.icon, MsgBox::Icon::None);
    QVERIFY2(box.text.contains(named), qPrintable(box.text));
    QCOMPARE(QFileInfo::exists(path), !content.isNull());
    QCOMPARE(QFileInfo(path).isDir(), content == kFolder);
    VERIFY_BOXES(boxes);
}

void tst_ParamsFiles::setParams_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("carName"); // empty: the obtain rewrite
    QTest::addColumn<QByteArray>("after");

    const QByteArray named("Name\t\t\"New Car\"\r\n");
    QTest::newRow("leading spaces dropped, with the rest of the line")
        << QByteArray("    Name \"Old Car\" ; mine\r\n") << "New Car" << named;
    QTest::newRow("tab before Name: not a name line")
        << QByteArray("\tName \"Old\"\r\n") << "New Car" << QByteArray("\tName \"Old\"\r\n");
    QTest::newRow("two name lines, and a word starting with Name")
        << QByteArray("Name \"A\"\r\nx\r\nNames 3\r\n") << "New Car" << named + "x\r\n" + named;
    QTest::newRow("lower-case name")
        << QByteArray("name \"A\"\r\n") << "New Car" << QByteArray("name \"A\"\r\n");
    QTest::newRow("name in Windows-1252, quotes not escaped")
        << QByteArray("Name x\r\n") << QStringLiteral("Câline \"€\"")
        << QByteArray("Name\t\t\"C\xe2line \"\x80\"\"\r\n");
    QTest::newRow("Obtain line") << QByteArray("  Obtain 2\r\nObtainable\r\n") << ""
                                 << QByteArray("Obtain\t0\r\nObtain\t0\r\n");
    QTest::newRow("lower-case obtain")
        << QByteArray("obtain 2\r\n") << "" << QByteArray("obtain 2\r\n");
    QTest::newRow("neither entry: only the line ends change")
        << QByteArray("a\nb\r\n\n c") << "New Car" << QByteArray("a\r\nb\r\n\r\n c\r\n");
    QTest::newRow("CR-only line ends") << QByteArray("a\rName x\rb\r") << "New Car"
                                       << "a\r\n" + named + "b\r\n";
    QTest::newRow("stray CR before the final CR LF")
        << QByteArray("Obtain 1\r\r\n") << "" << QByteArray("Obtain\t0\r\n\r\n");
    QTest::newRow("last line without line end")
        << QByteArray("x\r\nObtain 1") << "" << QByteArray("x\r\nObtain\t0\r\n");
    QTest::newRow("empty file") << QByteArray("") << "New Car" << QByteArray("");
}

void tst_ParamsFiles::setParams()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, carName);
    TestWorld world;
    world.write("car/parameters.txt", before);
    world.write("car/parameters.bak", "older");
    MsgBoxRecorder boxes;

    const QString folder = world.root() + "/car" + QDir::separator();
    QVERIFY(carName.isEmpty() ? modMain::SetParamsObtain(folder)
                              : modMain::SetParamsName(folder, carName));
    QTEST(world.read("car/parameters.txt"), "after");
    QCOMPARE(world.read("car/parameters.bak"), before);
    VERIFY_BOXES(boxes);
}

void tst_ParamsFiles::setParamsLetterCase_data()
{
    QTest::addColumn<QStringList>("files");    // present before
    QTest::addColumn<QStringList>("expected"); // the folder afterwards
    QTest::addColumn<bool>("trailingSeparator");

    QTest::newRow("Parameters.TXT")
        << QStringList{"Parameters.TXT"} << QStringList{"Parameters.TXT", "parameters.bak"} << true;
    QTest::newRow("PARAMETERS.BAK") << QStringList{"PARAMETERS.BAK", "parameters.txt"}
                                    << QStringList{"PARAMETERS.BAK", "parameters.txt"} << true;
    QTest::newRow("folder without trailing separator")
        << QStringList{"parameters.txt"} << QStringList{"parameters.bak", "parameters.txt"}
        << false;
}

void tst_ParamsFiles::setParamsLetterCase()
{
    QFETCH(QStringList, files);
    QFETCH(bool, trailingSeparator);
    TestWorld world;
    for (const QString& file : files)
        world.write("car/" + file, "Obtain 5\r\n");

    const QString folder = world.root() + "/car";
    QVERIFY(modMain::SetParamsObtain(trailingSeparator ? folder + QDir::separator() : folder));
    QTEST(QDir(folder).entryList(QDir::Files, QDir::Name), "expected");
    QCOMPARE(ReadFile(folder + '/' + files.last()), QByteArray("Obtain\t0\r\n"));
}

void tst_ParamsFiles::setParamsFailures_data()
{
    QTest::addColumn<QByteArray>("params");
    QTest::addColumn<QByteArray>("backup");
    QTest::addColumn<QString>("named"); // the file the message names

    QTest::newRow("no parameters.txt") << QByteArray() << QByteArray("old") << "parameters.txt";
    QTest::newRow("a folder named parameters.txt") << kFolder << QByteArray() << "parameters.txt";
    QTest::newRow("a folder named parameters.bak")
        << QByteArray("Name x\r\n") << kFolder << "parameters.bak";
}

// A failed rewrite says which file failed, returns false and changes nothing.
void tst_ParamsFiles::setParamsFailures()
{
    QFETCH(QByteArray, params);
    QFETCH(QByteArray, backup);
    QFETCH(QString, named);
    TestWorld world;
    QDir(world.root()).mkdir("car");
    if (!params.isNull())
        Make(world, "car/parameters.txt", params);
    if (!backup.isNull())
        Make(world, "car/parameters.bak", backup);

    for (const bool name : {true, false}) {
        MsgBoxRecorder boxes;
        boxes.expect();
        const QString folder = world.root() + "/car/";
        QVERIFY(name ? !modMain::SetParamsName(folder, "New") : !modMain::SetParamsObtain(folder));
        const MsgBox::Box box = boxes.only();
        QCOMPARE(box.title, QStringLiteral("Torvane"));
        QCOMPARE(box.icon, MsgBox::Icon::None);
        QVERIFY2(box.text.contains(QDir::toNativeSeparators(folder + named)), qPrintable(box.text));
        VERIFY_BOXES(boxes);
        QCOMPARE(QFileInfo::exists(folder + "parameters.txt"), !params.isNull());
        QCOMPARE(QFileInfo::exists(folder + "parameters.bak"), !backup.isNull());
        if (params != kFolder)
            QCOMPARE(world.read("car/parameters.txt"), params);
        if (backup != kFolder)
            QCOMPARE(world.read("car/parameters.bak"), backup);
    }
}

QTEST_GUILESS_MAIN(tst_ParamsFiles)
#include "tst_ParamsFiles.moc"
