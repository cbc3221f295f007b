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
    void profile_data()
    {
        // before: null for no file, "<folder>" for a folder in its place, "<no folder>" for a
        // missing folder. after: read, the value in UTF-8; write, the file after, or null when
        // refused and left as it was.
        Columns<QByteArray, QString, QString, QString, QByteArray>("before", "section", "key",
                                                                   "value", "after");
        const QString read = "<read>";
        const QByteArray d("<default>"), one("[A]\r\nk=1\r\n"), none;
        QByteArray cars; // as many entries as the shipped table of standard cars
        for (int i = 0; i < 16; ++i)
            cars += "car" + QByteArray::number(i) + "=v" + QByteArray::number(i) + "\r\n";
        const QByteArray table = "[Classify]\r\n" + cars;
        // clang-format off
        QTest::newRow("read: CR lines, entry before any section, lone quote kept") << QByteArray("k=1\r[A]\rx=1\rk=\"") << "A" << "k" << read << QByteArray("\"");
        QTest::newRow("read: blanks trimmed, double quotes dropped, Windows-1252, long value") << " \t[ A ] \r\n\t k \t=  \" J\xe9r\xf4me \x80" + QByteArray(70000, 'y') + " \" \x1a\r\n" << "A" << "k" << read << " Jérôme €" + QByteArray(70000, 'y') + " ";
        QTest::newRow("read: value holds =, no inline comments, unmatched quotes kept") << QByteArray("[A]\r\nk='a=b ; c\"\r\n") << "A" << "k" << read << QByteArray("'a=b ; c\"");
        QTest::newRow("read: first of two keys, letter case ignored, single quotes") << QByteArray("[Zelmor Car Data]\r\nNAME='1'\r\nname=2\r\n") << "zelmor car data" << "name" << read << QByteArray("1");
        QTest::newRow("read: empty value is not the default, section name up to the last bracket") << QByteArray("[A]B]\r\nk=\"\"\r\n") << "A]B" << "k" << read << QByteArray("");
        QTest::newRow("read: key of the next section or a later twin, line without = is no entry") << QByteArray("[A]\r\nk\r\n[B]\r\nk=1\r\n[A]\r\nk=2\r\n") << "A" << "k" << read << d;
        QTest::newRow("read: long section, its first key, not a later twin, capital Z") << "[Classify]\r\ncarz=zed\r\n" + cars + "CARZ=twin\r\n" << "classify" << "CarZ" << read << QByteArray("zed");
        QTest::newRow("read: long section, missing key") << table << "Classify" << "car16" << read << d;
        QTest::newRow("read: long section, last key") << table << "Classify" << "car15" << read << QByteArray("v15");
        QTest::newRow("read: no file") << QByteArray() << "A" << "k" << read << d;
        QTest::newRow("write: replaced where it stands, other bytes kept") << QByteArray("; head\n[a]\n  KEY = old ; x\nother=1\n") << "A" << "key" << "new" << QByteArray("; head\n[a]\nKEY=new\r\nother=1\n");
        QTest::newRow("write: added after the section's last entry") << QByteArray("[A]\r\nk=1\r\n\r\n; about B\r\n[B]\r\nx=2\r\n") << "A" << "m" << "3" << QByteArray("[A]\r\nk=1\r\nm=3\r\n\r\n; about B\r\n[B]\r\nx=2\r\n");
        QTest::newRow("write: added to an empty section") << QByteArray("[A]\r\n[B]\r\n") << "a" << "m" << "3" << QByteArray("[A]\r\nm=3\r\n[B]\r\n");
        QTest::newRow("write: last entry without line end") << QByteArray("[A]\r\nk=1") << "A" << "m" << "3" << QByteArray("[A]\r\nk=1\r\nm=3\r\n");
        QTest::newRow("write: new section after a last line without line end") << QByteArray("[A]\r\nk=1") << "B" << "x" << "v" << QByteArray("[A]\r\nk=1\r\n[B]\r\nx=v\r\n");
        QTest::newRow("write: first of two keys and sections") << QByteArray("[A]\r\nk=1\r\nK=2\r\n[a]\r\nk=3\r\n") << "A" << "k" << "9" << QByteArray("[A]\r\nk=9\r\nK=2\r\n[a]\r\nk=3\r\n");
        QTest::newRow("write: long value, leading blanks dropped") << one << "A" << "k" << " \t " + QString(100000, 'z') + " " << "[A]\r\nk=" + QByteArray(100000, 'z') + " \r\n";
        QTest::newRow("write: empty value kept as an entry") << one << "A" << "k" << "" << QByteArray("[A]\r\nk=\r\n");
        QTest::newRow("write: Windows-1252, ? for the rest") << none << "A" << "k" << QStringLiteral("Jérôme € Ā 😀") << QByteArray("[A]\r\nk=J\xe9r\xf4me \x80 ? ?\r\n");
        QTest::newRow("write: equal value leaves the file untouched") << QByteArray("[A]\n  k =  v\n") << "a" << "K" << "v" << QByteArray("[A]\n  k =  v\n");
        QTest::newRow("write: missing folder") << QByteArray("<no folder>") << "A" << "k" << "v" << none;
        QTest::newRow("write: a folder in the file's place") << QByteArray("<folder>") << "A" << "k" << "v" << none;
        // A line break would end the entry early and leave the rest as a line of its own.
        QTest::newRow("write: line break in the value") << one << "A" << "k" << "one\ntwo=x" << none;
        QTest::newRow("write: lone CR in the value") << one << "A" << "k" << "one\rtwo=x" << none;
        QTest::newRow("write: line break in the key") << one << "A" << "k\n" << "v" << none;
        // clang-format on
    }
    void profile()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        TestWorld world;
        const QString path = world.root() + (before == "<no folder>" ? "/none/p.ini" : "/p.ini");
        if (!before.isNull())
            world.write(before == "<folder>" ? "p.ini/inside/" : "p.ini", before);
        if (value == "<read>")
            QCOMPARE(ReadProfileString(section, key, "<default>", path).toUtf8(), after);
        else
            QCOMPARE(WriteProfileString(section, key, value, path).success(), !after.isNull());
        // A read, and a refused write, leave the file as it was.
        const QByteArray kept = before.startsWith('<') ? QByteArray() : before;
        QCOMPARE(ReadFile(path), value == "<read>" || after.isNull() ? kept : after);
        QCOMPARE(QFileInfo(path + QStringLiteral("/inside")).isDir(), before == "<folder>");
    }

    void replaceAll_data()
    {
        Columns<QString, QString, QString, QString>("text", "find", "replacement", "expected");
        // clang-format off
        QTest::newRow("bars to line breaks, two adjacent") << "one||two|three" << "|" << "\r\n" << "one\r\n\r\ntwo\r\nthree";
        QTest::newRow("no overlap, replacement holds find") << "aaa" << "aa" << "aaa" << "aaaa";
        QTest::newRow("letter case matters") << "\\RC\\x \\rc\\y \\RC\\z" << "\\rc\\" << "\\myrc\\" << "\\RC\\x \\myrc\\y \\RC\\z";
        QTest::newRow("empty find") << "abc" << "" << "x" << "abc";
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

    // A text 16 times longer takes at most 32 times as long (its square would take 256): the time
    // grows with the text (a description of a megabyte of bars froze the window for minutes).
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
        // Both sizes are allocated the same way (mapped, not from the heap), and a time far off
        // the bound is not measured again.
        constexpr qsizetype kSmall = 40000;
        qint64 small = time(kSmall), large = time(16 * kSmall);
        for (int run = 0; run < 10 && large > 32 * small && large < 128 * small; ++run) {
            small = std::min({small, time(kSmall), time(kSmall)});
            large = std::min(large, time(16 * kSmall));
        }
        QVERIFY2(large <= 32 * small,
                 qPrintable(QStringLiteral("%1 ns, then %2 ns").arg(small).arg(large)));
    }

    // File names keep their bytes, shown as UTF-8 where they are, else as Windows-1252, whose
    // every byte is one character each way.
    void codePage_data()
    {
        Columns<QByteArray, QString>("bytes", "shown");
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        // clang-format off
        QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9 \xd0\x96 \xf0\x9f\x98\x80") << "café Ж 😀";
        QTest::newRow("Windows-1252 bytes") << QByteArray("caf\xe9 \x80\x96\x93\x94\x9f") << "café €–“”Ÿ";
        // Each of these is not UTF-8 on its own: the text shown tells each one's bytes apart.
        QTest::newRow("overlong forms, a surrogate, beyond U+10FFFF, FF, a cut sequence") << QByteArray("\xc0\xaf\xed\xa0\x80" "a\xe0\x80\xaf\xf5\x80\x80\x80\xff\xe2\x82") << QStringLiteral("À¯í\u00a0€aà€¯õ€€€ÿâ‚");
        QTest::newRow("every byte") << all << Cp1252::ToUnicode(all);
        // clang-format on
    }
    void codePage()
    {
        QFETCH(QByteArray, bytes);
        const QString name = FileSystem::Decode(bytes);
        QCOMPARE(FileSystem::Encode(name), bytes);
        QTEST(FileSystem::Shown(name), "shown");
        QCOMPARE(FileSystem::IsUtf8(bytes), name == FileSystem::Shown(name));
        const QString text = Cp1252::ToUnicode(bytes);
        QVERIFY(Cp1252::CanEncode(text));
        QCOMPARE(Cp1252::FromUnicode(text), bytes);
    }

    // Both ways against the code page as another codec defines it; the five bytes it leaves
    // undefined read as the C1 controls of the same value, as the game's platform reads them.
    // Every other character is a "?".
    void codePageTable()
    {
        // The first two lines tell how it was made.
        const QByteArray table = ReadFile(QFINDTESTDATA("data/cp1252.txt"));
        const QByteArrayList codes = table.split('\n').mid(2).join(' ').simplified().split(' ');
        QCOMPARE(codes.size(), 256);
        QHash<char16_t, char> bytes;
        for (int b = 0; b < 256; ++b) {
            const char16_t c = codes[b] == "----" ? char16_t(b) : codes[b].toUShort(nullptr, 16);
            QCOMPARE(Cp1252::ToUnicode(QByteArray(1, char(b))), QString(QChar(c)));
            bytes.insert(c, char(b));
        }
        for (char32_t c = 0; c <= 0xFFFF; ++c) {
            const bool carried = c >= 0xDC80 && c <= 0xDCFF; // a byte of a file name
            QCOMPARE(Cp1252::FromUnicode(QString(QChar(c))),
                     QByteArray(1, carried ? char(c) : bytes.value(char16_t(c), '?')));
        }
    }

    void resolve_data()
    {
        // files: a trailing "/" makes a folder; expected: the real name, or the name asked for
        Columns<QStringList, QString, QString, bool>("files", "name", "expected", "plainFile");
        // clang-format off
        QTest::newRow("exact wins over other case") << QStringList{"README.TXT", "readme.txt"} << "readme.txt" << "readme.txt" << true;
        QTest::newRow("first in byte order") << QStringList{"ReadMe.txt", "README.txt", "readme.TXT"} << "readme.txt" << "README.txt" << true;
        QTest::newRow("nothing matches") << QStringList{"other.txt"} << "readme.txt" << "readme.txt" << false;
        QTest::newRow("a folder is no plain file") << QStringList{"Photo.jpg/"} << "photo.jpg" << "Photo.jpg" << false;
        QTest::newRow("accented name") << QStringList{"ÉTÉ.jpg"} << "été.jpg" << "ÉTÉ.jpg" << true;
        // clang-format on
    }
    void resolve()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        TestWorld world;
        const QString folder = world.root() + QStringLiteral("/car");
        for (const QString& file : files)
            world.write(QStringLiteral("car/") + file, "x");
        const FileNames::FolderListing listing(folder);
        QCOMPARE(listing.path(name), folder + QLatin1Char('/') + expected);
        QTEST(listing.hasPlainFile(name), "plainFile");
        QTEST(FileNames::IsPlainFile(FileNames::Resolve(folder, name)), "plainFile");
    }

    // A whole read drops one line-end character at the end and refuses an empty file; a whole
    // write adds CR LF. A rewrite finds the files in any letter case and keeps the previous file
    // as the backup; one that fails shows a box and returns false, so those expected to succeed
    // need no message box recorder. The wizard's tests cover a final CR LF and leading spaces.
    void parameters_data()
    {
        // before: "<fifo>" for a FIFO; carName: null for the whole read and write, empty for
        // obtain; text: of the whole read, null when unreadable
        Columns<QByteArray, QString, QString, QByteArray>("before", "carName", "text", "after");
        const QString whole, obtain = "", name = "New Car";
        const QByteArray named("Name\t\t\"New Car\"\r\n");
        // clang-format off
        QTest::newRow("whole: final lone CR") << QByteArray("a\rb\r") << whole << "a\rb" << QByteArray("a\rb\r\n");
        QTest::newRow("whole: last character kept, Windows-1252") << QByteArray("J\xe9r\xf4me \x80") << whole << QStringLiteral("Jérôme €") << QByteArray("J\xe9r\xf4me \x80\r\n");
        QTest::newRow("whole: empty file") << QByteArray("") << whole << QString() << QByteArray();
        QTest::newRow("whole: a FIFO, never opened") << QByteArray("<fifo>") << whole << QString() << QByteArray();
        QTest::newRow("name lines: after spaces, twice, a word starting with Name, not after a tab") << QByteArray("  Name a ; x\r\n\tName x\r\nNames 3\r\n") << name << QString() << named + "\tName x\r\n" + named;
        QTest::newRow("CR alone and LF alone end a line, last line one character") << QByteArray("a\rName x\nb\r0") << name << QString() << "a\r\n" + named + "b\r\n0\r\n";
        QTest::newRow("obtain: not in lower case, last line without line end") << QByteArray("obtain 2\r\n Obtain 1") << obtain << QString() << QByteArray("obtain 2\r\nObtain\t0\r\n");
        QTest::newRow("empty file") << QByteArray("") << name << QString() << QByteArray("");
        // clang-format on
    }
    void parameters()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, carName);
        QFETCH(QString, text);
        TestWorld world;
        const QString file = before == "<fifo>" ? "car/Parameters.TXT|" : "car/Parameters.TXT";
        const QString path = world.write(file, before), folder = world.root() + "/car";
        const QString backup = world.write("car/PARAMETERS.BAK", "older");
        if (carName.isNull()) {
            QCOMPARE(modMain::ReadWholeFile(path).result.success(), !text.isNull());
            QCOMPARE(modMain::ReadWholeFile(path).text, text);
            QVERIFY(text.isNull() || modMain::WriteWholeFile(path, text));
            QCOMPARE(FileSystem::ReadPlainFile(path).ok, before != "<fifo>");
        } else {
            QVERIFY(carName.isEmpty() ? modMain::SetParamsObtain(folder)
                                      : modMain::SetParamsName(folder, carName));
            QCOMPARE(ReadFile(backup), before);
            QCOMPARE(QDir(folder).entryList(QDir::Files),
                     QStringList({"PARAMETERS.BAK", "Parameters.TXT"}));
        }
        QTEST(ReadFile(path), "after");
    }

    // Two instances press OK in Options at the same moment, again and again: the file holds
    // the settings of one of them, whole; and an entry that each writes of its own is kept.
    void saveFromTwoInstances()
    {
        TestWorld world;
        world.loadSettings();
        const QStringList instances[] = {{"/one/game", "One"}, {"/second/game", "Two"}};
        for (int round = 0; round < 25; ++round) {
            int start[2], go;
            QCOMPARE(pipe(start), 0);
            for (int i = 0; i < 2; ++i) {
                if (fork() != 0)
                    continue;
                ::close(start[1]);
                (void)!::read(start[0], &go, 1);
                cSettings& settings = modMain::gSettings();
                settings.setDrovakDir(instances[i][0]);
                settings.setAuthor(instances[i][1]);
                const QString seen = QString::number(round), ini = settings.INIPath();
                const bool saved = Raised([&settings] { settings.SaveSettings(); }).isEmpty();
                ::_exit(saved && WriteProfileString("Seen", instances[i][1], seen, ini).ok ? 0 : 1);
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
        // ini: null for no file, "<folder>" for a folder in its place, "<elsewhere>" for one only
        // in the working folder, "<saved>" for the usual one, where Options saved the settings.
        // settings: the game folder, the cars folder, the image and text editors and the author.
        Columns<QByteArray, Run, QStringList>("ini", "run", "settings");
        const QStringList none{"", "/cars", "", "", ""};
        const QByteArray saved("<saved>");
        const auto options = [](const QString& game, const QString& author) {
            return QStringList{game, game + "/cars", "", game + "/edit", author};
        };
        // clang-format off
        QTest::newRow("a folder named like the settings file") << QByteArray("<folder>") << Run::Aborted << none;
        QTest::newRow("a settings file in the working folder only") << QByteArray("<elsewhere>") << Run::Aborted << none;
        QTest::newRow("empty settings file") << QByteArray("") << Run::FirstRun << none;
        QTest::newRow("empty game folder") << QByteArray("[Directories]\r\nEXEPath=\r\n[UserInfo]\r\nName=me\r\n") << Run::FirstRun << QStringList{"", "/cars", "", "", "me"};
        QTest::newRow("all entries, a game folder that does not exist") << QByteArray("[directories]\r\nexepath=/games/Drovak\r\n[Applications]\r\nImageEditor=/usr/bin/paint\r\nTextEditor=/usr/bin/edit\r\n[UserInfo]\r\nName=J\xe9r\xf4me\r\n") << Run::Normal << QStringList{"/games/Drovak", "/games/Drovak/cars", "/usr/bin/paint", "/usr/bin/edit", "Jérôme"};
        QTest::newRow("game folder at the root") << QByteArray("[Directories]\r\nEXEPath=/\r\n") << Run::Normal << QStringList{"/", "//cars", "", "", ""};
        // Every value was Windows-1252 before paths kept their bytes.
        QTest::newRow("a path written in Windows-1252") << QByteArray("[Directories]\r\nEXEPath=<root>/Drovak\xe9\r\n") << Run::Normal << QStringList{"<root>/Drovaké", "<root>/Drovaké/cars", "", "", ""};
        // Names copied from Windows and names beyond its code page come back as they were.
        QTest::newRow("saved: beyond Windows-1252") << saved << Run::Normal << options("/home/michał/Игры", "Michał");
        QTest::newRow("saved: Windows-1252 bytes naming a folder") << saved << Run::Normal << options(FileSystem::Decode("<root>/caf\xe9"), "Zoé");
        // The reader trims blanks and drops a pair of quotes; a Windows-1252 name that reads as
        // UTF-8 is written as UTF-8.
        QTest::newRow("saved: blanks and quotes at the ends, a name that reads as UTF-8") << saved << Run::Normal << options("\t/Game ", QStringLiteral("\"Ã©\""));
        // clang-format on
    }
    // An aborted start and a first run each tell why in one box; a normal start shows none.
    void startup()
    {
        QFETCH(QByteArray, ini);
        QFETCH(Run, run);
        QFETCH(QStringList, settings);
        TestWorld world(ini == "<saved>" ? TestWorld::kDefaultIni : QByteArray());
        settings.replaceInStrings("<root>", world.root());
        if (!ini.isNull() && !ini.startsWith('<'))
            world.write("program/torvane.ini",
                        ini.replace("<root>", FileSystem::Encode(world.root())));
        world.write("Drovaké/", {});
        world.write(FileSystem::Decode("caf\xe9/edit"), {});
        if (ini == "<saved>") {
            cSettings options;
            options.LoadSettings();
            options.setDrovakDir(settings[0]);
            options.setTextEditorPath(settings[3]);
            options.setAuthor(settings[4]);
            options.SaveSettings();
            QVERIFY(ReadFile(world.iniPath()).contains("[Classify]\r\nrc=original\r\n"));
        }
        if (ini == "<folder>")
            world.write("program/torvane.ini/", {});
        const QString previous = QDir::currentPath();
        if (ini == "<elsewhere>")
            QDir::setCurrent(world.write("elsewhere/torvane.ini", "[Directories]\r\nEXEPath=/g")
                                 .section('/', 0, -2));

        MsgBoxRecorder boxes;
        if (run != Run::Normal)
            boxes.expect();
        int options = 0, main = 0;
        const Run result = modMain::Main({[&options] { ++options; }, [&main] { ++main; }});
        QDir::setCurrent(previous);
        QCOMPARE(result, run);
        VERIFY_BOXES(boxes);
        if (run != Run::Normal) {
            const bool aborted = run == Run::Aborted;
            // A part of the text, with every line break it has.
            const QString part = aborted ? "Could not find the TORVANE.INI file!"
                                         : "your custom cars.\r\n\r\nRestart Torvane";
            const MsgBox::Box box = boxes.only();
            QCOMPARE(box.title, aborted ? "Program Aborted" : "Welcome to Zelmor Torvane!");
            QVERIFY2(box.text.contains(part) && box.text.count('\n') == part.count('\n'),
                     qPrintable(box.text));
        }
        QCOMPARE(QList<int>({options, main}),
                 QList<int>({run == Run::FirstRun, run == Run::Normal}));
        const cSettings& loaded = modMain::gSettings();
        QCOMPARE((QStringList{loaded.INIPath(), loaded.DrovakDir(), loaded.CarDir(),
                              loaded.ImageEditorPath(), loaded.TextEditorPath(), loaded.Author()}),
                 QStringList{world.iniPath()} + settings);
    }
};

QTEST_GUILESS_MAIN(tst_TextFiles)
#include "tst_TextFiles.moc"
