#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "app/cSettings.h"
#include "app/modMain.h"

#include <QDir>
#include <QTest>

using modMain::Run;

class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void runs_data();
    void runs();
    void settingsFileInWorkingFolderDoesNotCount();
};

namespace {

const QString kAbortText = QStringLiteral(
    "Could not find the TORVANE.INI file! Please make sure that this file is located in the same "
    "directory as the application!");
const QString kWelcomeText = QStringLiteral(
    "The Drovak program directory has not been specified. Select one now from the Options dialog "
    "box. You may also want to enter your name in the Author box to personalize your custom "
    "cars.\r\n\r\nRestart Torvane when you are finished.");

struct Opened
{
    int options = 0;
    int main = 0;
    modMain::StartupWindows windows()
    {
        return {[this] { ++options; }, [this] { ++main; }};
    }
};

} // namespace

void tst_Startup::runs_data()
{
    QTest::addColumn<QByteArray>("ini"); // null: no file; "<folder>": a folder in its place
    QTest::addColumn<int>("run");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("icon");

    // clang-format off
    QTest::newRow("no settings file") << QByteArray() << int(Run::Aborted) << "Program Aborted" << kAbortText << int(MsgBox::Icon::Exclamation);
    QTest::newRow("a folder named like the settings file") << QByteArray("<folder>") << int(Run::Aborted) << "Program Aborted" << kAbortText << int(MsgBox::Icon::Exclamation);
    QTest::newRow("empty settings file") << QByteArray("") << int(Run::FirstRun) << "Welcome to Zelmor Torvane!" << kWelcomeText << int(MsgBox::Icon::Information);
    QTest::newRow("empty game folder") << QByteArray("[Directories]\r\nEXEPath=\r\n") << int(Run::FirstRun) << "Welcome to Zelmor Torvane!" << kWelcomeText << int(MsgBox::Icon::Information);
    QTest::newRow("game folder that does not exist") << QByteArray("[Directories]\r\nEXEPath=/no/such/folder\r\n") << int(Run::Normal) << "" << "" << 0;
    // clang-format on
}

void tst_Startup::runs()
{
    QFETCH(QByteArray, ini);
    QFETCH(int, run);
    QFETCH(QString, title);

    const bool folder = ini == "<folder>";
    TestWorld world(folder ? QByteArray() : ini);
    if (folder)
        QVERIFY(QDir().mkpath(world.iniPath()));

    MsgBoxRecorder boxes;
    if (!title.isEmpty())
        boxes.expect();
    Opened opened;
    QCOMPARE(int(modMain::Main(opened.windows())), run);
    VERIFY_BOXES(boxes);

    if (!title.isEmpty()) {
        const MsgBox::Box box = boxes.only();
        QCOMPARE(box.title, title);
        QTEST(box.text, "text");
        QTEST(int(box.icon), "icon");
        QCOMPARE(box.buttons, MsgBox::Buttons::Ok);
        QCOMPARE(box.text.count(QStringLiteral("\r\n")), box.text.count(QLatin1Char('\n')));
    }
    QCOMPARE(opened.options, run == int(Run::FirstRun) ? 1 : 0);
    QCOMPARE(opened.main, run == int(Run::Normal) ? 1 : 0);
    QCOMPARE(modMain::gSettings().INIPath(), world.iniPath());
}

void tst_Startup::settingsFileInWorkingFolderDoesNotCount()
{
    TestWorld world(QByteArray{});
    world.write(QStringLiteral("elsewhere/torvane.ini"), "[Directories]\r\nEXEPath=/g\r\n");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(world.root() + QStringLiteral("/elsewhere"));

    MsgBoxRecorder boxes;
    boxes.expect();
    Opened opened;
    const Run run = modMain::Main(opened.windows());
    QDir::setCurrent(previous);
    QCOMPARE(run, Run::Aborted);
    QCOMPARE(boxes.only().title, QStringLiteral("Program Aborted"));
    VERIFY_BOXES(boxes);
}

QTEST_GUILESS_MAIN(tst_Startup)
#include "tst_Startup.moc"
