#include "TestWorld.h"
#include "app/modMain.h"
#include "platform/Cp1252.h"
#include "platform/FileNames.h"

#include <QDir>
#include <QFile>
#include <QTest>

class tst_TextAndNames : public QObject
{
    Q_OBJECT

private slots:
    void replaceAll_data();
    void replaceAll();
    void codePageRoundTrip();
    void codePage_data();
    void codePage();
    void resolve_data();
    void resolve();
};

void tst_TextAndNames::replaceAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected");

    // clang-format off
    QTest::newRow("bars to line breaks") << "one|two|three" << "|" << "\r\n" << "one\r\ntwo\r\nthree";
    QTest::newRow("line breaks to bars") << "one\r\ntwo\r\nthree" << "\r\n" << "|" << "one|two|three";
    QTest::newRow("adjacent occurrences") << "a||b" << "|" << "\r\n" << "a\r\n\r\nb";
    QTest::newRow("not found") << "abc" << "|" << "\r\n" << "abc";
    QTest::newRow("whole text") << "abc" << "abc" << "xy" << "xy";
    QTest::newRow("no overlap") << "aaa" << "aa" << "b" << "ba";
    QTest::newRow("replacement holds find") << "a-a" << "a" << "aa" << "aa-aa";
    QTest::newRow("letter case matters") << "cars\\RC\\x cars\\rc\\y" << "\\rc\\" << "\\myrc\\" << "cars\\RC\\x cars\\myrc\\y";
    QTest::newRow("empty find") << "abc" << "" << "x" << "abc";
    QTest::newRow("empty text") << "" << "|" << "x" << "";
    // clang-format on
    const QString big(40000, QLatin1Char('.'));
    // clang-format off
    QTest::newRow("beyond 32767 characters") << big + "|" + big + "|" << "|" << "\r\n" << big + "\r\n" + big + "\r\n";
    // clang-format on
}

void tst_TextAndNames::replaceAll()
{
    QFETCH(QString, text);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);

    QCOMPARE(modMain::ReplaceAll(text, find, replacement), expected);
    QCOMPARE(text, expected);
}

void tst_TextAndNames::codePageRoundTrip()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = Cp1252::ToUnicode(all);
    QCOMPARE(text.size(), 256);
    QVERIFY(Cp1252::CanEncode(text));
    QCOMPARE(Cp1252::FromUnicode(text), all);
}

void tst_TextAndNames::codePage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("whole");

    // clang-format off
    QTest::newRow("accents") << QStringLiteral("Jérôme Câline") << QByteArray("J\xe9r\xf4me C\xe2line") << true;
    QTest::newRow("euro, dashes and quotes") << QStringLiteral("€–“”Ÿ") << QByteArray("\x80\x96\x93\x94\x9f") << true;
    QTest::newRow("outside the code page") << QStringLiteral("aĀb") << QByteArray("a?b") << false;
    QTest::newRow("one ? for a pair of surrogates") << QStringLiteral("a😀b") << QByteArray("a?b") << false;
    // clang-format on
}

void tst_TextAndNames::codePage()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, whole);

    QCOMPARE(Cp1252::FromUnicode(text), bytes);
    QCOMPARE(Cp1252::CanEncode(text), whole);
    if (whole)
        QCOMPARE(Cp1252::ToUnicode(bytes), text);
}

void tst_TextAndNames::resolve_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected"); // the real name, or the name asked for
    QTest::addColumn<bool>("plainFile");

    // clang-format off
    QTest::newRow("exact") << QStringList{"car.bmp"} << "car.bmp" << "car.bmp" << true;
    QTest::newRow("other letter case") << QStringList{"CAR.BMP"} << "car.bmp" << "CAR.BMP" << true;
    QTest::newRow("exact wins over other case") << QStringList{"README.TXT", "readme.txt"} << "readme.txt" << "readme.txt" << true;
    QTest::newRow("first in byte order") << QStringList{"ReadMe.txt", "README.txt", "readme.TXT"} << "readme.txt" << "README.txt" << true;
    QTest::newRow("nothing matches") << QStringList{"other.txt"} << "readme.txt" << "readme.txt" << false;
    QTest::newRow("a folder is no plain file") << QStringList{"Photo.jpg/"} << "photo.jpg" << "Photo.jpg" << false;
    QTest::newRow("hidden file") << QStringList{".Hidden"} << ".hidden" << ".Hidden" << true;
    QTest::newRow("accented name") << QStringList{"ÉTÉ.jpg"} << "été.jpg" << "ÉTÉ.jpg" << true;
    // clang-format on
}

void tst_TextAndNames::resolve()
{
    QFETCH(QStringList, files);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QFETCH(bool, plainFile);

    TestWorld world;
    const QString folder = world.root() + QStringLiteral("/car");
    QVERIFY(QDir().mkpath(folder));
    for (const QString& file : files) {
        if (file.endsWith(QLatin1Char('/')))
            QVERIFY(QDir(folder).mkdir(file.chopped(1)));
        else
            world.write(QStringLiteral("car/") + file, "x");
    }

    const FileNames::FolderListing listing(folder);
    QCOMPARE(listing.path(name), folder + QLatin1Char('/') + expected);
    QCOMPARE(FileNames::Resolve(folder, name), folder + QLatin1Char('/') + expected);
    QCOMPARE(listing.hasPlainFile(name), plainFile);
    QCOMPARE(FileNames::IsPlainFile(FileNames::Resolve(folder, name)), plainFile);
}

QTEST_GUILESS_MAIN(tst_TextAndNames)
#include "tst_TextAndNames.moc"
