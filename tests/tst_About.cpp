#include "FakeRegistry.h"
#include "LauncherRecorder.h"
#include "MsgBoxRecorder.h"
#include "ui/about/frmAbout.h"

#include <QtTest>
#include <QtWidgets>

class tst_About : public QObject
{
    Q_OBJECT
    QPointer<frmAbout> mAbout;

private slots:
    void init() { mAbout = frmAbout::ShowShared(); }
    void cleanup() { delete mAbout; }

    void captionAndVersion()
    {
        QCOMPARE(mAbout->windowTitle(), "About Torvane");
        QCOMPARE(mAbout->findChild<QLabel*>("lblVersion")->text(), "Version 0.0.43");
    }

    void enterAndEscClose_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::newRow("Enter") << Qt::Key_Return;
        QTest::newRow("Esc") << Qt::Key_Escape;
    }
    void enterAndEscClose()
    {
        QFETCH(Qt::Key, key);
        QTest::keyClick(mAbout, key);
        QVERIFY(!mAbout->isVisible());
    }

    void linkOpensTheMakersPage()
    {
        LauncherRecorder launches;
        QTest::mouseClick(mAbout->findChild<QLabel*>("lblZelmor"), Qt::LeftButton);
        QCOMPARE(launches.calls().size(), 1);
        QCOMPARE(launches.calls().first().target, QStringLiteral("https://www.zelmor.example/"));
    }

    void systemInformation_data()
    {
        QTest::addColumn<QByteArray>("first"); // the tool's path as stored; null: no such value
        QTest::addColumn<QString>("second");   // what the folder named by the second value holds
        QTest::addColumn<QString>("result");   // the program started ('~': that folder) or message
        const QByteArray x(1024, 'x'), tool("/t.exe\0", 7);
        const QString msinfo = "MSINFO32.EXE", fromIt = "~/MSINFO32.EXE";
        const QString message = "System Information Is Unavailable At This Time";
        QTest::newRow("first present") << tool << msinfo << QString("/t.exe");
        QTest::newRow("first missing, second with the tool") << QByteArray() << msinfo << fromIt;
        QTest::newRow("second without the tool") << QByteArray() << "nothing" << message;
        QTest::newRow("neither") << QByteArray() << QString() << message;
        QTest::newRow("1024 bytes fit") << x << QString() << QString(x);
        QTest::newRow("1025 bytes do not") << x + '\0' << msinfo << fromIt;
    }
    void systemInformation()
    {
        QFETCH(QByteArray, first);
        QFETCH(QString, second);
        QFETCH(QString, result);
        MsgBoxRecorder boxes;
        LauncherRecorder launches;
        FakeRegistry registry;
        QTemporaryDir folder;
        if (!first.isNull())
            registry.strings.insert("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO\\PATH", first);
        if (!second.isNull())
            registry.strings.insert("SOFTWARE\\Microsoft\\Shared Tools Location\\MSINFO",
                                    QFile::encodeName(folder.path()) + '\0');
        if (second == "MSINFO32.EXE")
            QVERIFY(QFile(folder.filePath(second)).open(QIODevice::WriteOnly));
        mAbout->findChild<QPushButton*>("cmdSysInfo")->click();
        // What the button did: the program it started, else the message it showed.
        const auto& calls = launches.calls();
        QCOMPARE(calls.isEmpty() ? boxes.only().text : calls.first().target,
                 result.replace('~', folder.path()));
    }
};

QTEST_MAIN(tst_About)
#include "tst_About.moc"
