#include "Faults.h"
#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "cars/modPackCar.h"
#include "platform/Cp1252.h"
#include "platform/FileNames.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

#include <clocale>
#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Every file and folder below folder, links and FIFOs left out, each name as its UTF-8
// spelling: "path/" for a folder, "path=SHA-1@modified" for a file.
QStringList Listing(const QString& folder, const QString& prefix = {})
{
    QStringList listing;
    for (const FileSystem::Entry& entry : FileSystem::List(folder).value) {
        const QString path = folder + '/' + entry.name;
        const QString shown = prefix + FileSystem::Shown(entry.name);
        struct stat st;
        ::lstat(FileSystem::Encode(path).constData(), &st);
        if (S_ISDIR(st.st_mode))
            listing << shown + '/' << Listing(path, shown + '/');
        else if (S_ISREG(st.st_mode))
            listing
                << shown + '=' +
                       QCryptographicHash::hash(ReadFile(path), QCryptographicHash::Sha1).toHex() +
                       '@' + QString::number(st.st_mtime);
    }
    listing.sort();
    return listing;
}

// Each name in the zip's central directory, as written, with its general purpose flags.
QMap<QByteArray, quint16> ZipNames(const QByteArray& zip)
{
    QMap<QByteArray, quint16> names;
    const char* end = zip.constData() + zip.size() - 22; // the zip has no comment
    const char* record = zip.constData() + qFromLittleEndian<quint32>(end + 16);
    for (int i = qFromLittleEndian<quint16>(end + 10); i > 0; --i) {
        if (QByteArray(record, 4) != "PK\x01\x02")
            return {};
        const quint16 length = qFromLittleEndian<quint16>(record + 28);
        names.insert(QByteArray(record + 46, length), qFromLittleEndian<quint16>(record + 8));
        record += 46 + length + qFromLittleEndian<quint16>(record + 30) +
                  qFromLittleEndian<quint16>(record + 32);
    }
    return names;
}

} // namespace

class tst_Pack : public QObject
{
    Q_OBJECT
    std::optional<TestWorld> mWorld;

    // A car with a 2 MB file that does not compress, and an empty folder to pack it into.
    QString fastcar()
    {
        QByteArray big(2 << 20, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(big.data()), big.size() / 4);
        mWorld->write("game/cars/fastcar/big.bmp", big);
        mWorld->write("out/", {});
        return mWorld->makeCar("fastcar");
    }

private slots:
    void init() { mWorld.emplace(); }
    void cleanup() { mWorld.reset(); }

    // Packed and installed in another game folder, the car is the same tree, names that are not
    // UTF-8 spelt in UTF-8 as the install keeps them, with the same times; links and a FIFO
    // are left out and named.
    void roundTrip()
    {
        const QString car = mWorld->makeCar(FileSystem::Decode("f\xEAte"));
        QByteArray binary(3 << 20, Qt::Uninitialized);
        QRandomGenerator(1).fillRange(reinterpret_cast<quint32*>(binary.data()), binary.size() / 4);
        int second = 0;
        for (const auto& [name, bytes] : {std::pair("big.bmp", binary),
                                          {"zero", ""},
                                          {"sub/deep/skin\xE9.bmp", "BM"},
                                          {"empty/", ""}}) {
            const QString path = mWorld->write(
                car.mid(mWorld->root().size() + 1) + '/' + FileSystem::Decode(name), bytes);
            // Odd seconds: a zip's own times go by two.
            const timespec times[2] = {{0, UTIME_OMIT}, {1000000001 + 2 * ++second, 0}};
            QCOMPARE(::utimensat(AT_FDCWD, FileSystem::Encode(path).constData(), times, 0), 0);
        }
        QCOMPARE(::symlink("../zero", FileSystem::Encode(car + "/sub/link").constData()), 0);
        QCOMPARE(::symlink("sub", FileSystem::Encode(car + "/linked").constData()), 0);
        mWorld->write(car.mid(mWorld->root().size() + 1) + "/pipe|", {});
        const QStringList expected = Listing(car);
        QCOMPARE(modPackCar::ProposedName(FileSystem::Decode("f\xEAte")), "fête.zip");

        const QString zip = mWorld->root() + "/fête.zip";
        // A player whose locale is not UTF-8 hands on the same zip.
        const QByteArray locale = std::setlocale(LC_CTYPE, nullptr);
        std::setlocale(LC_CTYPE, "C");
        const auto restored = qScopeGuard([&] { std::setlocale(LC_CTYPE, locale.constData()); });
        QList<qint64> told;
        const modPackCar::Report report =
            modPackCar::Pack(car, zip, [&](qint64 done, qint64 total) {
                told << done << total;
                return true;
            });
        QVERIFY2(report.packed, qPrintable(report.text));
        QCOMPARE(report.text, "Packed 'fête' into '" + zip +
                                  "': 5 files.\nLeft out the link linked: a link is not packed."
                                  "\nLeft out pipe: it is neither a file nor a folder.\nLeft out "
                                  "the link sub/link: a link is not packed.");
        QCOMPARE(report.leftOut, (QStringList{"linked", "pipe", "sub/link"}));
        const qint64 total = binary.size() + 2 + 2 + ReadFile(car + "/parameters.txt").size();
        QCOMPARE(told.mid(0, 2), (QList<qint64>{0, total}));
        QCOMPARE(told.mid(told.size() - 2), (QList<qint64>{total, total}));

        // One top folder; each name that is not ASCII marked as UTF-8 (bit 11), the ASCII ones
        // read the same in every code page.
        const QMap<QByteArray, quint16> names = ZipNames(ReadFile(zip));
        QStringList inZip;
        for (auto name = names.begin(); name != names.end(); ++name) {
            inZip << QString::fromUtf8(name.key());
            QVERIFY2(Cp1252::IsAscii(name.key()) || name.value() & 0x800, name.key().constData());
        }
        QStringList wanted{"fête/"};
        for (const QString& entry : expected)
            wanted << "fête/" + entry.section('=', 0, 0);
        QCOMPARE(inZip, wanted);

        TestWorld other;
        other.loadSettings();
        const modInstallCar::Report installed = TestWorld::cars().Install({zip});
        QCOMPARE(installed.installed, QStringList{"fête"});
        QCOMPARE(Listing(other.carDir("fête")), expected);
    }

    void existingZip_data()
    {
        Columns<MsgBox::Answer>("answer");
        QTest::newRow("Yes replaces it") << MsgBox::Answer::Yes;
        QTest::newRow("No leaves it") << MsgBox::Answer::No;
    }
    void existingZip()
    {
        QFETCH(MsgBox::Answer, answer);
        const QString car = fastcar();
        mWorld->write("out/fastcar.zip", "OLD");
        MsgBoxRecorder boxes;
        boxes.expect(answer);
        const modPackCar::Report report =
            modPackCar::Pack(car, mWorld->root() + "/out/fastcar.zip");
        VERIFY_BOXES(boxes);
        QCOMPARE(boxes.only().text, "'fastcar.zip' exists. Replace it?");
        QCOMPARE(boxes.only().icon, MsgBox::Icon::Question);
        QCOMPARE(boxes.only().buttons, MsgBox::Buttons::YesNo);
        const bool yes = answer == MsgBox::Answer::Yes;
        QCOMPARE(report.packed, yes);
        QCOMPARE(report.canceled, !yes);
        QCOMPARE(report.text.isEmpty(), !yes);
        QCOMPARE(FileSystem::List(mWorld->root() + "/out")->size(), 1);
        QCOMPARE(ReadFile(mWorld->root() + "/out/fastcar.zip").left(3), yes ? "PK\x03" : "OLD");
    }

    // Each leaves the folder of the zip as it was, and says why.
    void leavesNothing_data()
    {
        Columns<QString, bool, QString>("fault", "existing", "report");
        const QString no = "'fastcar' was not packed: ";
        const QString full = no + "'ROOT/out/fastcar.zip' could not be written: File too large.";
        // clang-format off
        QTest::newRow("a full disk") << "full" << false << full;
        QTest::newRow("a full disk, replacing") << "full" << true << full;
        QTest::newRow("an unreadable file") << "unreadable" << false << no + "'ROOT/game/cars/fastcar/big.bmp' could not be read: Permission denied.";
        QTest::newRow("canceled part way") << "cancel" << true << no + "the packing was canceled.";
        QTest::newRow("two names that would be one") << "twice" << false << no + "two names in 'fastcar/sub' would both be 'café' in the zip, as one of them is spelt in Windows-1252 bytes; rename one of them.";
        QTest::newRow("the zip in the car") << "inside" << false << no + "the zip cannot go inside the car's own folder, as it would pack itself.";
        QTest::newRow("no folder for the zip") << "gone" << false << no + "'ROOT/gone/fastcar.zip' could not be written: No such file or directory.";
        // clang-format on
    }
    void leavesNothing()
    {
        QFETCH(QString, fault);
        QFETCH(bool, existing);
        QFETCH(QString, report);
        const QString car = fastcar();
        if (existing)
            mWorld->write("out/fastcar.zip", "OLD");
        if (fault == "twice") {
            mWorld->write("game/cars/fastcar/sub/café", "A");
            mWorld->write(FileSystem::Decode("game/cars/fastcar/sub/caf\xE9"), "B");
        }
        const QString zip = mWorld->root() + (fault == "inside" ? "/game/cars/fastcar/x.zip"
                                              : fault == "gone" ? "/gone/fastcar.zip"
                                                                : "/out/fastcar.zip");
        const QStringList before = Snapshot(mWorld->root() + "/out");
        const QStringList carBefore = Listing(car);
        MsgBoxRecorder boxes;
        if (existing)
            boxes.expect(MsgBox::Answer::Yes);
        std::optional<FileSizeLimit> full;
        if (fault == "full")
            full.emplace(1 << 20);
        // Root would be let through where the player is refused.
        if (fault == "unreadable") {
            QCOMPARE(::chmod(FileSystem::Encode(mWorld->root()).constData(), 0755), 0);
            QCOMPARE(::chmod(FileSystem::Encode(mWorld->root() + "/out").constData(), 0777), 0);
            QCOMPARE(::chmod(FileSystem::Encode(car + "/big.bmp").constData(), 0), 0);
            setfsgid(65534), setfsuid(65534);
        }
        const modPackCar::Report told = modPackCar::Pack(
            car, zip, [&](qint64 done, qint64) { return fault != "cancel" || done == 0; });
        setfsuid(0), setfsgid(0);
        full.reset();
        VERIFY_BOXES(boxes);
        QCOMPARE(QString(told.text).replace(mWorld->root(), "ROOT"), report);
        QVERIFY(!told.packed);
        QCOMPARE(told.canceled, fault == "cancel");
        QCOMPARE(Snapshot(mWorld->root() + "/out"), before);
        QCOMPARE(Listing(car), carBefore);
    }
};

QTEST_MAIN(tst_Pack)
#include "tst_Pack.moc"
