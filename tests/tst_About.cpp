#include "FakeRegistry.h"
#include "LauncherRecorder.h"
#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "ui/about/frmAbout.h"
#include "ui/about/modInternet.h"

#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <memory>

using Registry::kLocalMachine;

class tst_About : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void texts();
    void enterAndEscClose_data();
    void enterAndEscClose();
    void links_data();
    void links();
    void getKeyValue_data();
    void getKeyValue();
    void sysInfo_data();
    void sysInfo();

private:
    frmAbout* open();

    std::unique_ptr<TestWorld> mWorld;
    std::unique_ptr<MsgBoxRecorder> mBoxes;
    std::unique_ptr<LauncherRecorder> mLaunches;
    std::unique_ptr<FakeRegistry> mRegistry;
    QPointer<frmAbout> mAbout;
};

namespace {

const QString kToolKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");

} // namespace

void tst_About::init()
{
    mWorld = std::make_unique<TestWorld>();
    mBoxes = std::make_unique<MsgBoxRecorder>();
    mLaunches = std::make_unique<LauncherRecorder>();
    mRegistry = std::make_unique<FakeRegistry>();
}

void tst_About::cleanup()
{
    if (mAbout)
        mAbout->close();
    const QString problems = mBoxes->problems();
    mRegistry.reset();
    mLaunches.reset();
    mBoxes.reset();
    mWorld.reset();
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
    QTRY_VERIFY(!frmAbout::Shared());
}

frmAbout* tst_About::open()
{
    mAbout = frmAbout::ShowShared();
    if (!QTest::qWaitForWindowActive(mAbout))
        qWarning("the about box did not become active");
    return mAbout;
}

void tst_About::texts()
{
    open();
    const auto text = [this](const char* name) {
        return mAbout->findChild<QLabel*>(QLatin1String(name))->text();
    };
    QCOMPARE(mAbout->windowTitle(), QStringLiteral("About Torvane"));
    QCOMPARE(text("lblTitle"), QStringLiteral("Zelmor Torvane"));
    QCOMPARE(text("lblVersion"), QStringLiteral("Version %1.%2.%3")
                                     .arg(TORVANE_VERSION_MAJOR)
                                     .arg(TORVANE_VERSION_MINOR)
                                     .arg(TORVANE_VERSION_PATCH));
    QVERIFY(!text("lblDisclaimer").isEmpty());
    QCOMPARE(mAbout->findChild<QPushButton*>("cmdSysInfo")->text(),
             QStringLiteral("&System Info..."));
    QCOMPARE(mAbout->findChild<QLabel*>("picIcon")->pixmap().size(), QSize(32, 32));
    QCOMPARE(mAbout->findChildren<QFrame*>("Line1").size(), 2);

    auto* link = mAbout->findChild<QLabel*>("lblZelmor");
    QVERIFY(link->font().underline());
    QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QCOMPARE(QApplication::focusWidget(), mAbout->findChild<QWidget*>("cmdOK"));
}

void tst_About::enterAndEscClose_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
}

void tst_About::enterAndEscClose()
{
    QFETCH(int, key);
    open();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QTRY_VERIFY(!frmAbout::Shared());
}

void tst_About::links_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("game publisher") << modInternet::kMerrowinDrovakPage;
    QTest::newRow("maker") << modInternet::kZelmorPage;
    QTest::newRow("web ring") << modInternet::kDrovakWebRing;
}

void tst_About::links()
{
    QFETCH(QString, address);
    const QUrl url(address);
    QVERIFY2(url.isValid() && url.host().endsWith(QLatin1String(".example")), qPrintable(address));
    if (address == modInternet::kDrovakWebRing)
        QVERIFY(address.endsWith(QLatin1String("/cgi-bin/webring?ring=drovak;list")));

    modInternet::OpenWebPage(address);
    QCOMPARE(mLaunches->calls().size(), 1);
    QCOMPARE(mLaunches->calls().first().kind, LauncherRecorder::Kind::Url);
    QCOMPARE(mLaunches->calls().first().target, address);

    if (address == modInternet::kZelmorPage) { // the about box's link opens the same page
        mLaunches->clear();
        open();
        QTest::mouseClick(mAbout->findChild<QLabel*>("lblZelmor"), Qt::LeftButton);
        QCOMPARE(mLaunches->calls().size(), 1);
        QCOMPARE(mLaunches->calls().first().target, address);
        QVERIFY(frmAbout::Shared());
    }
}

void tst_About::getKeyValue_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("data"); // null: no such value
    QTest::addColumn<bool>("read");
    QTest::addColumn<QString>("text"); // KeyVal afterwards; it held "before"

    const QByteArray path("C:\\Tools\\tool.exe");
    QTest::newRow("string with its terminator") << 1 << path + '\0' << true << QString(path);
    QTest::newRow("string without a terminator") << 1 << path << true << QString(path);
    QTest::newRow("code page text") << 1 << QByteArray("caf\xe9\0", 5) << true << "café";
    QTest::newRow("1024 bytes ending in the terminator")
        << 1 << QByteArray(1023, 'x') + '\0' << true << QString(1023, QLatin1Char('x'));
    QTest::newRow("1024 bytes without a terminator")
        << 1 << QByteArray(1024, 'x') << true << QString(1024, QLatin1Char('x'));
    QTest::newRow("1025 bytes: no room") << 1 << QByteArray(1024, 'x') + '\0' << false << "";
    QTest::newRow("number") << 4 << QByteArray("\x04\x03\x02\x01", 4) << true << "16909060";
    QTest::newRow("another type") << 3 << QByteArray("\x01\x02", 2) << true << "before";
    QTest::newRow("no such value") << 1 << QByteArray() << false << "";
}

void tst_About::getKeyValue()
{
    QFETCH(int, type);
    QFETCH(QByteArray, data);
    const QString key = QStringLiteral("SOFTWARE\\Test");
    if (!data.isNull())
        mRegistry->set(kLocalMachine, key, QStringLiteral("Value"), {std::uint32_t(type), data});
    QString keyVal = QStringLiteral("before");
    QTEST(frmAbout::GetKeyValue(kLocalMachine, key, QStringLiteral("value"), keyVal), "read");
    QTEST(keyVal, "text");
    QCOMPARE(mRegistry->lookups().size(), 1);
    QCOMPARE(mRegistry->lookups().first().access, 0x2003Fu);
}

void tst_About::sysInfo_data()
{
    QTest::addColumn<QByteArray>("first");   // the tool's path; null: missing
    QTest::addColumn<bool>("firstReadOnly"); // its key opens for reading only
    QTest::addColumn<QString>("second");     // "with tool", "without tool", "tool is a folder"
    QTest::addColumn<bool>("startFails");
    QTest::addColumn<QString>("started"); // under the world's root; empty: the message instead

    QTest::newRow("first value present, second working too")
        << QByteArray("/sys/tool.exe") << false << "with tool" << false << "=/sys/tool.exe";
    QTest::newRow("first missing, second names the tool's folder")
        << QByteArray() << false << "with tool" << false << "tools/MSINFO32.EXE";
    QTest::newRow("first key refuses write access")
        << QByteArray("/sys/tool.exe") << true << "with tool" << false << "tools/MSINFO32.EXE";
    QTest::newRow("first missing, second folder without the tool")
        << QByteArray() << false << "without tool" << false << "";
    QTest::newRow("first missing, the tool is a folder")
        << QByteArray() << false << "tool is a folder" << false << "";
    QTest::newRow("neither value") << QByteArray() << false << "" << false << "";
    QTest::newRow("first value too long") << QByteArray(1024, 'x') << false << "" << false << "";
    QTest::newRow("the tool does not start")
        << QByteArray("/sys/tool.exe") << false << "" << true << "";
}

void tst_About::sysInfo()
{
    QFETCH(QByteArray, first);
    QFETCH(bool, firstReadOnly);
    QFETCH(QString, second);
    QFETCH(bool, startFails);
    QFETCH(QString, started);

    if (!first.isNull())
        mRegistry->setString(kLocalMachine, kToolKey, QStringLiteral("PATH"), first);
    if (firstReadOnly)
        mRegistry->makeReadOnly(kLocalMachine, kToolKey);
    if (!second.isEmpty()) {
        const QString tools = mWorld->root() + QStringLiteral("/tools");
        QDir().mkpath(tools);
        if (second == QLatin1String("with tool"))
            mWorld->write(QStringLiteral("tools/MSINFO32.EXE"), "MZ");
        else if (second == QLatin1String("tool is a folder"))
            QDir().mkpath(tools + QStringLiteral("/MSINFO32.EXE"));
        mRegistry->setString(kLocalMachine, kLocationKey, QStringLiteral("MSINFO"),
                             QFile::encodeName(tools));
    }
    if (startFails)
        mLaunches->failWith(QStringLiteral("no such program"));
    if (started.isEmpty())
        mBoxes->expect();

    open();
    QTest::mouseClick(mAbout->findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);

    if (started.isEmpty()) {
        const MsgBox::Box box = mBoxes->only();
        QCOMPARE(box.text, kUnavailable);
        QCOMPARE(box.icon, MsgBox::Icon::None);
        QCOMPARE(box.title, QStringLiteral("Torvane"));
        QCOMPARE(box.buttons, MsgBox::Buttons::Ok);
        QCOMPARE(mLaunches->calls().size(), startFails ? 1 : 0);
    } else {
        const QString path = started.startsWith(QLatin1Char('='))
                                 ? started.mid(1)
                                 : mWorld->root() + QLatin1Char('/') + started;
        QCOMPARE(mLaunches->calls().size(), 1);
        QCOMPARE(mLaunches->calls().first().kind, LauncherRecorder::Kind::Program);
        QCOMPARE(mLaunches->calls().first().target, path);
        QVERIFY(mLaunches->calls().first().arguments.isEmpty());
    }
    QVERIFY(frmAbout::Shared() && mAbout->isVisible());
    QVERIFY(!mRegistry->lookups().isEmpty());
    QCOMPARE(mRegistry->lookups().first().keyName, kToolKey);
    QCOMPARE(mRegistry->lookups().first().valueName, QStringLiteral("PATH"));
    QCOMPARE(mRegistry->lookups().first().root, 0x80000002u);
}

QTEST_MAIN(tst_About)
#include "tst_About.moc"
