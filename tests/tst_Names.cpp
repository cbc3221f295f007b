#include "MainWindowDriver.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kParams = "Name\tCaf\xe9\r\nSkin\tcars\\caf\xe9\\skin\xe9.bmp\r\n";
const QString kRenamed = "Renamed to UTF-8, so that the game can open them under Wine:\n",
              kLeft = "Left as they were:\n", kTaken = ": its UTF-8 spelling is already taken.";

// The tooltip's warning after the node's text: the name, and why the game cannot open it.
QString Warning(const QString& name, const QString& why = "is not a UTF-8 name")
{
    return "\nThe game cannot open this car under Wine: " + name + ' ' + why + '.';
}
const QString kNotWindows = "is not a name Windows can hold";

} // namespace

// Names that are not UTF-8, as copied from Windows, which the game under Wine cannot open: the
// tree warns of them, and Repair Names gives a custom car's names their UTF-8 spelling. It warns
// of names Windows cannot hold too, and leaves them to the player.
class tst_Names : public QObject, MainWindowDriver
{
    Q_OBJECT
    // The cars folder at every depth, each byte that is not UTF-8 a "?", as the game sees it,
    // and each file that no longer holds kParams marked.
    QStringList carsTree() const
    {
        QStringList tree;
        for (const QString& path :
             FileSystem::Folder(mWorld->carsDir()).ListTree().value_or(QStringList())) {
            const QString file = mWorld->carDir(path);
            const bool changed = FileSystem::StatusOf(file).plainFile && ReadFile(file) != kParams;
            tree << QString::fromUtf8(FileSystem::Encode(path)).replace(QChar(0xFFFD), '?') +
                        (changed ? " changed" : "");
        }
        tree.sort();
        return tree;
    }

private slots:
    void init() { open(); }
    void cleanup() { close(); }

    // Names as the system holds them, bytes that are not UTF-8 carried: one name to the game
    // when they differ only in letter case or spell a character as its Windows-1252 byte.
    void sameName_data()
    {
        Columns<QByteArray, QByteArray, bool>("a", "b", "same");
        QTest::newRow("letter case") << QByteArray("FastCar") << QByteArray("fASTcAR") << true;
        QTest::newRow("Kelvin sign and k") << QByteArray("\xe2\x84\xaa") << QByteArray("k") << true;
        QTest::newRow("capital sharp s") << QByteArray("STRAẞE") << QByteArray("straße") << true;
        QTest::newRow("sharp s, not ss") << QByteArray("straße") << QByteArray("strasse") << false;
        QTest::newRow("a byte, capital") << QByteArray("CAF\xc9") << QByteArray("café") << true;
        QTest::newRow("two bytes") << QByteArray("a\xe8") << QByteArray("a\xe9") << false;
        QTest::newRow("no character") << QByteArray("a\x81") << QByteArray("a\xc2\x81") << true;
        QTest::newRow("no character, two") << QByteArray("a\x81") << QByteArray("a\x8d") << false;
        QTest::newRow("other names") << QByteArray("car") << QByteArray("car2") << false;
    }
    void sameName()
    {
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        const QString first = FileSystem::Decode(a), second = FileSystem::Decode(b);
        QTEST(FileNames::NameKey(first) == FileNames::NameKey(second), "same");
        QTEST(FileNames::SameName(first, second), "same");
    }

    // files: under the cars folder, each holding kParams, ',' between; a trailing "@" makes a
    // link to a folder outside instead, a leading "-" one removed with its car folder once the
    // car is shown. warning: what the tooltip says after the node's text; after: the cars
    // folder's tree, ", " between; now: the car's key after, when it is not the car's own.
    static void Row(const char* name, const QByteArray& files, const QByteArray& car,
                    const QString& warning, const QString& after, const QString& message,
                    const QByteArray& now = {})
    {
        QTest::newRow(name) << files.split(',') << car << warning << after << message
                            << (now.isEmpty() ? car : now);
    }
    void repair_data()
    {
        Columns<QByteArrayList, QByteArray, QString, QString, QString, QByteArray>(
            "files", "car", "warning", "after", "message", "now");
        const QByteArray cafe = "caf\xe9", dash = "\xf0\x9f\x92\xa8";
        // clang-format off
        Row("in a sub-folder, a link not walked", "cafe/skins/blue\xe9/car.bmp,cafe/link@", "cafe",
            Warning("skins/blueé"), "cafe, cafe/link, cafe/skins, cafe/skins/blueé, cafe/skins/blueé/car.bmp",
            kRenamed + "cafe/skins/blueé");
        Row("contents before their folder, links as names, a car the game loads",
            cafe + "/skins\xe9/blue\xe9.bmp," + cafe + "/link\xe9@," + cafe + "/parameters.txt", cafe, Warning("café"),
            "café, café/linké, café/parameters.txt, café/skinsé, café/skinsé/blueé.bmp",
            kRenamed + "café/linké\ncafé/skinsé/blueé.bmp\ncafé/skinsé\ncafé", "café");
        Row("new name taken", cafe + "/skin\xe9.bmp,café/car.bmp", cafe, Warning("café"),
            "caf?, caf?/skiné.bmp, café, café/car.bmp", kRenamed + "café/skiné.bmp\n" + kLeft + "café" + kTaken);
        Row("taken in other letter case", cafe + "/car.bmp,CAFÉ/car.bmp", cafe, Warning("café"),
            "CAFÉ, CAFÉ/car.bmp, caf?, caf?/car.bmp", kLeft + "café" + kTaken);
        Row("beyond U+FFFF", cafe + dash + "/car.bmp", cafe + dash, Warning("café💨"), "café💨, café💨/car.bmp",
            kRenamed + "café💨", "café💨");
        Row("standard car", "rc/skin\xe9.bmp", "rc", Warning("skiné.bmp"), "rc, rc/skin?.bmp", "");
        Row("UTF-8 names only", dash + "café/skin é.bmp", dash + "café", "", "💨café, 💨café/skin é.bmp", "");
        Row("a character Windows forbids, not repaired", "cafe/skin:blue.bmp", "cafe",
            Warning("skin:blue.bmp", kNotWindows), "cafe, cafe/skin:blue.bmp", "");
        Row("a closing dot in a sub-folder", "cafe/skins/blue./car.bmp", "cafe",
            Warning("skins/blue.", kNotWindows), "cafe, cafe/skins, cafe/skins/blue., cafe/skins/blue./car.bmp", "");
        Row("not UTF-8 deeper, before a name Windows cannot hold", "cafe/a|b.bmp,cafe/skins/blue\xe9.bmp", "cafe",
            Warning("skins/blueé.bmp"), "cafe, cafe/a|b.bmp, cafe/skins, cafe/skins/blueé.bmp",
            kRenamed + "cafe/skins/blueé.bmp");
        Row("car folder gone", "-" + cafe + "/car.bmp", cafe, Warning("café"), "",
            kLeft + "café: the names in it could not be read: No such file or directory.");
        // clang-format on
    }
    // The tooltip names the first name that is not UTF-8, the folder's own first, else the first
    // that Windows cannot hold; the files' contents and what a link points at are left alone,
    // and the car is shown again under its new name.
    void repair()
    {
        QFETCH(QByteArrayList, files);
        QFETCH(QByteArray, car);
        QFETCH(QString, warning);
        QFETCH(QString, message);
        const QString outside = mWorld->write(FileSystem::Decode("outside/keep\xe9"), kParams);
        QByteArray gone;
        for (QByteArray file : files) {
            if (file.startsWith('-'))
                gone = (file = file.mid(1)).left(file.indexOf('/'));
            if (!file.endsWith('@'))
                mWorld->write(FileSystem::Decode("game/cars/" + file), kParams);
            else
                QCOMPARE(::symlink("../../../outside",
                                   FileSystem::Encode(mWorld->carsDir()) + '/' + file.chopped(1)),
                         0);
        }
        openWindow();
        const QModelIndex shown = node(FileSystem::Decode(car));
        // The checks' lines come first: most of these cars have no parameters.txt.
        const bool loads = files.contains(car + "/parameters.txt");
        QCOMPARE(shown.data(Qt::ToolTipRole).toString(),
                 shown.data().toString() +
                     (loads ? "" : "\nThe game cannot load this car: it has no parameters.txt.") +
                     warning);
        clickNode(shown);
        // Repair is offered exactly where it has something to do, and tells what it did.
        QCOMPARE(control<QAction>("mnuPopUpRepair")->isEnabled(), !message.isEmpty());
        if (!gone.isEmpty())
            QVERIFY(FileSystem::RemoveTree(mWorld->carsDir(), FileSystem::Decode(gone)).success());
        if (!message.isEmpty())
            mBoxes->expect();
        act("mnuPopUpRepair");

        QTEST(carsTree().join(", "), "after");
        QTEST(FileSystem::Encode(mWindow->SelectedKey()), "now");
        QCOMPARE(carState(), gone.isEmpty() ? "+++++ shown" : "+----");
        QCOMPARE(mBoxes->said(), message.isEmpty() ? "" : "Repair Names: " + message);
        QCOMPARE(ReadFile(outside), kParams);
    }

    // When each entry named last changed, a link's target's, 0 for none: in a list long enough
    // to be shared out among threads too, every place is looked at.
    void modifiedTimes()
    {
        const QString names[] = {"a", "b", "none", "l"};
        const qint64 times[] = {1000000, 2000000, 0, 1000000};
        mWorld->write("game/cars/a/", {});
        mWorld->write("game/cars/b/", {});
        QVERIFY(QFile::link(mWorld->carDir("a"), mWorld->carDir("l")));
        for (int i = 0; i < 2; ++i) {
            const timespec set[2] = {{times[i], 0}, {times[i], 0}};
            QCOMPARE(utimensat(AT_FDCWD, FileSystem::Encode(mWorld->carDir(names[i])), set, 0), 0);
        }
        for (const int count : {4, 5001}) {
            QStringList asked;
            QList<qint64> expected;
            for (int i = 0; i < count; ++i) {
                asked << names[i % 4];
                expected << times[i % 4];
            }
            QCOMPARE(FileSystem::Folder(mWorld->carsDir()).ModifiedTimes(asked), expected);
        }
    }
};

QTEST_MAIN(tst_Names)
#include "tst_Names.moc"
