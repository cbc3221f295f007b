#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "app/cSettings.h"
#include "app/modMain.h"
#include "app/modQuarnIniAPI.h"
#include "platform/Cp1252.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"

#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

using modMain::Run;
using modQuarnIniAPI::ReadProfileString;
using modQuarnIniAPI::WriteProfileString;

// The text the program shares with the game: profile entries, Windows-1252, names in any
// letter case and the rewrites of parameters.txt; torvane.ini beside the program, and the
// start-up it decides.
class tst_TextFiles : public QObject
{
    Q_OBJECT

private slots:
    void readProfile_data()
    {
        QTest::addColumn<QByteArray>("file"); // null: no file; "<folder>": a folder in its place
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const QString d = QStringLiteral("<default>");
        QByteArray table("[Classify]\r\n");
        for (int i = 0; i < 40; ++i)
            table += "car" + QByteArray::number(i) + "=v" + QByteArray::number(i) + "\r\n";
        // clang-format off
        QTest::newRow("CR lines") << QByteArray("[A]\rx=1\rk=v") << "A" << "k" << "v";
        QTest::newRow("blanks trimmed") << QByteArray(" \t[ A ] \r\n\t k \t=  v w \x1a\r\n") << "A" << "k" << "v w";
        QTest::newRow("value holds =") << QByteArray("[A]\r\nk=a=b\r\n") << "A" << "k" << "a=b";
        QTest::newRow("no inline comments") << QByteArray("[A]\r\nk=v ; c\r\n") << "A" << "k" << "v ; c";
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
        QTest::newRow("key of the next section") << QByteArray("[A]\r\n[B]\r\nk=1\r\n") << "A" << "k" << d;
        QTest::newRow("entry before any section") << QByteArray("k=1\r\n[A]\r\n") << "A" << "k" << d;
        QTest::newRow("line without = is no entry") << QByteArray("[A]\r\nk\r\n") << "A" << "k" << d;
        QTest::newRow("section name up to the last bracket") << QByteArray("[A]B]\r\nk=1\r\n") << "A]B" << "k" << "1";
        QTest::newRow("Windows-1252") << QByteArray("[A]\r\nk=J\xe9r\xf4me \x80\r\n") << "A" << "k" << QStringLiteral("Jérôme €");
        QTest::newRow("long section, first of two keys") << table + "CAR5=twin\r\n" << "classify" << "Car5" << "v5";
        QTest::newRow("long section, missing key") << table << "Classify" << "car40" << d;
        QTest::newRow("long section, only capital Z") << table + "carz=zed\r\n" << "Classify" << "carZ" << "zed";
        QTest::newRow("long value") << QByteArray("[A]\r\nk=" + QByteArray(70000, 'y') + "\r\n") << "A" << "k" << QString(70000, QLatin1Char('y'));
        QTest::newRow("no file") << QByteArray() << "A" << "k" << d;
        QTest::newRow("a folder in the file's place") << QByteArray("<folder>") << "A" << "k" << d;
        // clang-format on
    }
    void readProfile()
    {
        QFETCH(QByteArray, file);
        TestWorld world;
        const QString path = world.root() + QStringLiteral("/p.ini");
        if (!file.isNull())
            world.write(file == "<folder>" ? "p.ini/" : "p.ini", file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QTEST(ReadProfileString(section, key, QStringLiteral("<default>"), path), "expected");
    }

    void writeProfile_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file; "<folder>", "<no folder>"
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after"); // null: refused, the file left as it was
        const QByteArray one("[A]\r\nk=1\r\n"), none;
        // clang-format off
        QTest::newRow("new file") << none << "A" << "k" << "v" << QByteArray("[A]\r\nk=v\r\n");
        QTest::newRow("replaced where it stands, other bytes kept") << QByteArray("; head\n[a]\n  KEY = old ; x\nother=1\n") << "A" << "key" << "new" << QByteArray("; head\n[a]\nKEY=new\r\nother=1\n");
        QTest::newRow("added after the section's last entry") << QByteArray("[A]\r\nk=1\r\n\r\n; about B\r\n[B]\r\nx=2\r\n") << "A" << "m" << "3" << QByteArray("[A]\r\nk=1\r\nm=3\r\n\r\n; about B\r\n[B]\r\nx=2\r\n");
        QTest::newRow("added to an empty section") << QByteArray("[A]\r\n[B]\r\n") << "a" << "m" << "3" << QByteArray("[A]\r\nm=3\r\n[B]\r\n");
        QTest::newRow("section header without line end") << QByteArray("[A]") << "A" << "m" << "3" << QByteArray("[A]\r\nm=3\r\n");
        QTest::newRow("last entry without line end") << QByteArray("[A]\r\nk=1") << "A" << "m" << "3" << QByteArray("[A]\r\nk=1\r\nm=3\r\n");
        QTest::newRow("new section after a last line without line end") << QByteArray("[A]\r\nk=1") << "B" << "x" << "v" << QByteArray("[A]\r\nk=1\r\n[B]\r\nx=v\r\n");
        QTest::newRow("first of two sections") << one + one << "A" << "k" << "9" << QByteArray("[A]\r\nk=9\r\n") + one;
        QTest::newRow("first of two keys") << QByteArray("[A]\r\nk=1\r\nk=2\r\n") << "A" << "k" << "9" << QByteArray("[A]\r\nk=9\r\nk=2\r\n");
        QTest::newRow("leading blanks of the value dropped") << QByteArray("[A]\r\n") << "A" << "k" << " \t v " << QByteArray("[A]\r\nk=v \r\n");
        QTest::newRow("empty value kept as an entry") << one << "A" << "k" << "" << QByteArray("[A]\r\nk=\r\n");
        QTest::newRow("long value") << one << "A" << "k" << QString(100000, 'z') << "[A]\r\nk=" + QByteArray(100000, 'z') + "\r\n";
        QTest::newRow("Windows-1252, ? for the rest") << none << "A" << "k" << QStringLiteral("Jérôme € Ā 😀") << QByteArray("[A]\r\nk=J\xe9r\xf4me \x80 ? ?\r\n");
        QTest::newRow("equal value leaves the file untouched") << QByteArray("[A]\n  k =  v\n") << "a" << "K" << "v" << QByteArray("[A]\n  k =  v\n");
        QTest::newRow("missing folder") << QByteArray("<no folder>") << "A" << "k" << "v" << none;
        QTest::newRow("a folder in the file's place") << QByteArray("<folder>") << "A" << "k" << "v" << none;
        // A line break would end the entry early and leave the rest as a line of its own.
        QTest::newRow("line break in the value") << one << "A" << "k" << "one\r\ntwo=x" << none;
        QTest::newRow("line break in the key") << one << "A" << "k\n" << "v" << none;
        // clang-format on
    }
    void writeProfile()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        TestWorld world;
        QString path = world.root() + QStringLiteral("/p.ini");
        if (before == "<no folder>")
            path = world.root() + QStringLiteral("/none/p.ini");
        else if (!before.isNull())
            world.write(before == "<folder>" ? "p.ini/inside/" : "p.ini", before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QCOMPARE(WriteProfileString(section, key, value, path).success(), !after.isNull());
        QCOMPARE(ReadFile(path), after.isNull() && !before.startsWith('<') ? before : after);
        QCOMPARE(QFileInfo(path + QStringLiteral("/inside")).isDir(), before == "<folder>");
    }

    void replaceAll_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("expected");
        const QString big(40000, QLatin1Char('.'));
        // clang-format off
        QTest::newRow("bars to line breaks") << "one|two|three" << "|" << "\r\n" << "one\r\ntwo\r\nthree";
        QTest::newRow("adjacent occurrences") << "a||b" << "|" << "\r\n" << "a\r\n\r\nb";
        QTest::newRow("no overlap") << "aaa" << "aa" << "b" << "ba";
        QTest::newRow("replacement holds find") << "a-a" << "a" << "aa" << "aa-aa";
        QTest::newRow("letter case matters") << "\\RC\\x \\rc\\y \\RC\\z" << "\\rc\\" << "\\myrc\\" << "\\RC\\x \\myrc\\y \\RC\\z";
        QTest::newRow("empty find") << "abc" << "" << "x" << "abc";
        QTest::newRow("beyond 32767 characters") << big + "|" + big + "|" << "|" << "\r\n" << big + "\r\n" + big + "\r\n";
        // clang-format on
    }
    void replaceAll()
    {
        QFETCH(QString, text);
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QTEST(modMain::ReplaceAll(text, find, replacement), "expected");
        QTEST(text, "expected");
    }

    // A text 16 times longer takes at most 20 times as long: the time grows with the text, not
    // with its square (a description of a megabyte of bars froze the window for minutes).
    void replaceAllIsLinear()
    {
        // This thread's processor time, the least of runs taken in turn: other work on the
        // machine counts for neither size.
        const auto time = [](qsizetype size) {
            QString text(size, QLatin1Char('|'));
            timespec start, end;
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
            modMain::ReplaceAll(text, "|", "\r\n");
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
            return (end.tv_sec - start.tv_sec) * 1000000000LL + end.tv_nsec - start.tv_nsec;
        };
        qint64 small = time(10000), large = time(16 * 10000);
        for (int run = 0; run < 10 && large > 20 * small; ++run) {
            small = std::min({small, time(10000), time(10000)});
            large = std::min(large, time(16 * 10000));
        }
        QVERIFY2(large <= 20 * small,
                 qPrintable(QStringLiteral("%1 ns, then %2 ns").arg(small).arg(large)));
    }

    // The profile tests cover the code page in text; here every byte and the 0x80 to 0x9F table.
    void codePage()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = Cp1252::ToUnicode(all);
        QCOMPARE(text.size(), 256);
        QVERIFY(Cp1252::CanEncode(text));
        QCOMPARE(Cp1252::FromUnicode(text), all);
        QCOMPARE(Cp1252::ToUnicode("\x80\x96\x93\x94\x9f"), QStringLiteral("€–“”Ÿ"));
    }

    void resolve_data()
    {
        QTest::addColumn<QStringList>("files"); // a trailing "/" makes a folder
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected"); // the real name, or the name asked for
        QTest::addColumn<bool>("plainFile");
        // clang-format off
        QTest::newRow("other letter case") << QStringList{"CAR.BMP"} << "car.bmp" << "CAR.BMP" << true;
        QTest::newRow("exact wins over other case") << QStringList{"README.TXT", "readme.txt"} << "readme.txt" << "readme.txt" << true;
        QTest::newRow("first in byte order") << QStringList{"ReadMe.txt", "README.txt", "readme.TXT"} << "readme.txt" << "README.txt" << true;
        QTest::newRow("nothing matches") << QStringList{"other.txt"} << "readme.txt" << "readme.txt" << false;
        QTest::newRow("a folder is no plain file") << QStringList{"Photo.jpg/"} << "photo.jpg" << "Photo.jpg" << false;
        QTest::newRow("hidden file") << QStringList{".Hidden"} << ".hidden" << ".Hidden" << true;
        QTest::newRow("accented name") << QStringList{"ÉTÉ.jpg"} << "été.jpg" << "ÉTÉ.jpg" << true;
        // clang-format on
    }
    void resolve()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QFETCH(bool, plainFile);
        TestWorld world;
        const QString folder = world.root() + QStringLiteral("/car");
        for (const QString& file : files)
            world.write(QStringLiteral("car/") + file, "x");
        const FileNames::FolderListing listing(folder);
        QCOMPARE(listing.path(name), folder + QLatin1Char('/') + expected);
        QCOMPARE(listing.hasPlainFile(name), plainFile);
        QCOMPARE(FileNames::IsPlainFile(FileNames::Resolve(folder, name)), plainFile);
    }

    // The read drops one line-end character at the end and refuses an empty file; the write
    // adds CR LF.
    void wholeFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("text"); // null: unreadable
        QTest::addColumn<QByteArray>("rewritten");
        // clang-format off
        QTest::newRow("final lone CR") << QByteArray("a\rb\r") << "a\rb" << QByteArray("a\rb\r\n");
        QTest::newRow("last character kept, Windows-1252") << QByteArray("J\xe9r\xf4me \x80") << QStringLiteral("Jérôme €") << QByteArray("J\xe9r\xf4me \x80\r\n");
        QTest::newRow("empty file") << QByteArray("") << QString() << QByteArray();
        // clang-format on
    }
    void wholeFile()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, text);
        TestWorld world;
        const QString path = world.write("parameters.txt", file);
        if (text.isNull()) {
            QVERIFY(!modMain::ReadWholeFile(path).result.success());
            return;
        }
        QCOMPARE(modMain::ReadWholeFile(path).text, text);
        QVERIFY(modMain::WriteWholeFile(path, text));
        QTEST(ReadFile(path), "rewritten");
    }

    // With no car name, the obtain rewrite. A failing call shows a box and returns false, so
    // the calls expected to succeed need no message box recorder. The wizard's tests cover a
    // final CR LF and leading spaces.
    void setParams_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("carName");
        QTest::addColumn<QByteArray>("after");
        const QByteArray named("Name\t\t\"New Car\"\r\n");
        // clang-format off
        QTest::newRow("leading tab: not a name line") << QByteArray("\tName x\r\n") << "New Car" << QByteArray("\tName x\r\n");
        QTest::newRow("name lines: after spaces, twice, and a word starting with Name") << QByteArray("  Name a ; x\r\nx\r\nNames 3\r\n") << "New Car" << named + "x\r\n" + named;
        QTest::newRow("lower-case obtain") << QByteArray("obtain 2\r\n") << "" << QByteArray("obtain 2\r\n");
        QTest::newRow("neither entry, final LF") << QByteArray("a\r\nb\n") << "New Car" << QByteArray("a\r\nb\r\n");
        QTest::newRow("CR alone ends a line") << QByteArray("a\rName x\rb\r") << "New Car" << "a\r\n" + named + "b\r\n";
        QTest::newRow("last line without line end") << QByteArray("x\r\n Obtain 1") << "" << QByteArray("x\r\nObtain\t0\r\n");
        QTest::newRow("last line one character") << QByteArray("x\r\n0") << "New Car" << QByteArray("x\r\n0\r\n");
        QTest::newRow("empty file") << QByteArray("") << "New Car" << QByteArray("");
        // clang-format on
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

    void loadSettings_data()
    {
        QTest::addColumn<QByteArray>("ini");
        // The game folder, the cars folder, the image and text editors and the author.
        QTest::addColumn<QStringList>("settings");
        // clang-format off
        QTest::newRow("all entries") << QByteArray("[directories]\r\nexepath=/games/Drovak\r\n[Applications]\r\nImageEditor=/usr/bin/paint\r\nTextEditor=/usr/bin/edit\r\n[UserInfo]\r\nName=J\xe9r\xf4me\r\n") << QStringList{"/games/Drovak", "/games/Drovak/cars", "/usr/bin/paint", "/usr/bin/edit", "Jérôme"};
        QTest::newRow("no Directories section") << QByteArray("[UserInfo]\r\nName=me\r\n") << QStringList{"", "/cars", "", "", "me"};
        QTest::newRow("game folder at the root") << QByteArray("[Directories]\r\nEXEPath=/\r\n") << QStringList{"/", "//cars", "", "", ""};
        // Every value was Windows-1252 before paths kept their bytes.
        QTest::newRow("a path written in Windows-1252") << QByteArray("[Directories]\r\nEXEPath=<root>/Drovak\xe9\r\n") << QStringList{"<root>/Drovaké", "<root>/Drovaké/cars", "", "", ""};
        // clang-format on
    }
    void loadSettings()
    {
        QFETCH(QByteArray, ini);
        TestWorld world;
        world.write("program/torvane.ini", ini.replace("<root>", FileSystem::Encode(world.root())));
        world.write("Drovaké/", {});
        cSettings loaded;
        loaded.LoadSettings();
        QFETCH(QStringList, settings);
        QCOMPARE((QStringList{loaded.DrovakDir(), loaded.CarDir(), loaded.ImageEditorPath(),
                              loaded.TextEditorPath(), loaded.Author()}),
                 settings.replaceInStrings("<root>", world.root()));
    }

    // Names copied from Windows and names beyond its code page come back as they were.
    void saveAndLoadSettings_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("author");
        // clang-format off
        QTest::newRow("beyond Windows-1252") << "/home/michał/Игры" << "Michał";
        QTest::newRow("Windows-1252 bytes naming a folder") << FileSystem::Decode("<root>/caf\xe9") << "Zoé";
        QTest::newRow("a name that reads as UTF-8") << "/g" << QStringLiteral("Ã©");
        // The reader trims blanks and drops a pair of quotes.
        QTest::newRow("blanks and quotes at the ends") << "\t/Game " << "\"Zoé\"";
        // clang-format on
    }
    void saveAndLoadSettings()
    {
        QFETCH(QString, path);
        QFETCH(QString, author);
        TestWorld world;
        world.loadSettings();
        path.replace("<root>", world.root());
        world.write(FileSystem::Decode("caf\xe9/edit"), {});
        cSettings& settings = modMain::gSettings();
        settings.setDrovakDir(path);
        settings.setTextEditorPath(path + "/edit");
        settings.setAuthor(author);
        settings.SaveSettings();
        cSettings restarted;
        restarted.LoadSettings();
        QCOMPARE(
            (QStringList{restarted.DrovakDir(), restarted.TextEditorPath(), restarted.Author()}),
            (QStringList{path, path + "/edit", author}));
        QVERIFY(world.read("program/torvane.ini").contains("[Classify]\r\nrc=original\r\n"));
    }

    // Two instances press OK in Options at the same moment, again and again: the file holds
    // the settings of one of them, whole; and an entry that each writes of its own is kept.
    void saveFromTwoInstances()
    {
        TestWorld world;
        world.loadSettings();
        const QStringList instances[] = {{"/one/game", "One"}, {"/second/game", "Two"}};
        for (int round = 0; round < 25; ++round) {
            int start[2];
            QCOMPARE(pipe(start), 0);
            for (int i = 0; i < 2; ++i) {
                if (fork() != 0)
                    continue;
                char go;
                ::close(start[1]);
                (void)!::read(start[0], &go, 1);
                cSettings& settings = modMain::gSettings();
                settings.setDrovakDir(instances[i][0]);
                settings.setAuthor(instances[i][1]);
                const bool saved = Raised([&settings] { settings.SaveSettings(); }).isEmpty();
                ::_exit(saved && WriteProfileString("Seen", instances[i][1], QString::number(round),
                                                    settings.INIPath())
                                     .success()
                            ? 0
                            : 1);
            }
            ::close(start[0]);
            ::close(start[1]); // both start now
            for (int status = 0, i = 0; i < 2; ++i)
                QVERIFY(wait(&status) > 0 && status == 0);
            cSettings saved;
            saved.LoadSettings();
            const QStringList values{saved.DrovakDir(), saved.Author()};
            QVERIFY2(values == instances[0] || values == instances[1],
                     qPrintable(values.join(' ')));
            for (const QStringList& instance : instances)
                QCOMPARE(ReadProfileString("Seen", instance[1], {}, saved.INIPath()),
                         QString::number(round));
        }
    }

    void startup_data()
    {
        // null: no file; "<folder>": a folder in its place; "<elsewhere>": only one in the
        // working folder
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("run");
        const int aborted = int(Run::Aborted), first = int(Run::FirstRun);
        // clang-format off
        QTest::newRow("no settings file") << QByteArray() << aborted;
        QTest::newRow("a folder named like the settings file") << QByteArray("<folder>") << aborted;
        QTest::newRow("a settings file in the working folder only") << QByteArray("<elsewhere>") << aborted;
        QTest::newRow("empty settings file") << QByteArray("") << first;
        QTest::newRow("empty game folder") << QByteArray("[Directories]\r\nEXEPath=\r\n") << first;
        QTest::newRow("game folder that does not exist") << QByteArray("[Directories]\r\nEXEPath=/no/such/folder\r\n") << int(Run::Normal);
        // clang-format on
    }
    // An aborted start and a first run each tell why in one box; a normal start shows none.
    void startup()
    {
        QFETCH(QByteArray, ini);
        QFETCH(int, run);
        TestWorld world(ini.startsWith('<') ? QByteArray() : ini);
        if (ini == "<folder>")
            QVERIFY(QDir().mkpath(world.iniPath()));
        const QString previous = QDir::currentPath();
        if (ini == "<elsewhere>")
            QDir::setCurrent(world.write("elsewhere/torvane.ini", "[Directories]\r\nEXEPath=/g")
                                 .section('/', 0, -2));

        MsgBoxRecorder boxes;
        if (run != int(Run::Normal))
            boxes.expect();
        int options = 0, main = 0;
        const int result = int(modMain::Main({[&options] { ++options; }, [&main] { ++main; }}));
        QDir::setCurrent(previous);
        QCOMPARE(result, run);
        VERIFY_BOXES(boxes);
        if (run != int(Run::Normal)) {
            const bool aborted = run == int(Run::Aborted);
            // A part of the text, with every line break it has.
            const QString part = aborted ? "Could not find the TORVANE.INI file!"
                                         : "your custom cars.\r\n\r\nRestart Torvane";
            const MsgBox::Box box = boxes.only();
            QCOMPARE(box.title, aborted ? "Program Aborted" : "Welcome to Zelmor Torvane!");
            QVERIFY2(box.text.contains(part) && box.text.count('\n') == part.count('\n'),
                     qPrintable(box.text));
            QCOMPARE(box.icon, aborted ? MsgBox::Icon::Exclamation : MsgBox::Icon::Information);
            QCOMPARE(box.buttons, MsgBox::Buttons::Ok);
        }
        QCOMPARE(options, run == int(Run::FirstRun) ? 1 : 0);
        QCOMPARE(main, run == int(Run::Normal) ? 1 : 0);
        QCOMPARE(modMain::gSettings().INIPath(), world.iniPath());
    }
};

QTEST_GUILESS_MAIN(tst_TextFiles)
#include "tst_TextFiles.moc"
