#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "app/cSettings.h"
#include "app/modMain.h"
#include "app/modQuarnIniAPI.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"
#include "ui/wizard/frmCreateCarWizard.h"

#include <QComboBox>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <memory>

#ifdef Q_OS_LINUX
#include <unistd.h>
#endif

class tst_CreateCarWizard : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void controls_data();
    void controls();
    void templateListFromCars();
    void finishEnablement_data();
    void finishEnablement();
    void checks_data();
    void checks();
    void create_data();
    void create();
    void failureInTheMiddle_data();
    void failureInTheMiddle();
    void rewriteFailureStops();
    void cancel();

private:
    std::unique_ptr<TestWorld> mWorld;
    std::unique_ptr<MsgBoxRecorder> mBoxes;
};

namespace {

const QByteArray kTemplateParams("; test car\r\n"
                                 "    Name \"RC Sprinter\" ; old\r\n"
                                 "Obtain\t\t2\r\n"
                                 "Model\t0\t\"cars\\rc\\body.prm\"\r\n"
                                 "TPage\t\t\"cars\\RC\\car.bmp\"\r\n"
                                 "Env\t\"cars\\rcx\\env.bmp\"\r\n");

struct Wizard
{
    QPointer<frmCreateCarWizard> window;
    QComboBox* templates;
    QLineEdit* carName;
    QLineEdit* dirName;
    QPushButton* finish;
    QPushButton* cancel;
};

// Opens a wizard as the main window does: create, show, then preset the template field.
Wizard Open(const QString& preset = {})
{
    auto* window = new frmCreateCarWizard;
    window->show();
    window->setTemplateText(preset);
    return {window,
            window->findChild<QComboBox*>("cboCarNames"),
            window->findChild<QLineEdit*>("txtCarName"),
            window->findChild<QLineEdit*>("txtDirName"),
            window->findChild<QPushButton*>("cmdFinish"),
            window->findChild<QPushButton*>("cmdCancel")};
}

// Types into the fields; what no keyboard gives (control characters, letters beyond Latin-1)
// comes in as a paste would.
void Fill(const Wizard& wizard, const QString& templateText, const QString& carName,
          const QString& dirName)
{
    const std::pair<QLineEdit*, QString> fields[] = {{wizard.templates->lineEdit(), templateText},
                                                     {wizard.carName, carName},
                                                     {wizard.dirName, dirName}};
    for (const auto& [field, text] : fields) {
        if (std::all_of(text.begin(), text.end(), [](QChar c) { return c >= ' ' && c <= '~'; }))
            QTest::keyClicks(field, text);
        else
            field->insert(text);
    }
}

// Every entry under the game folder, to see that nothing was made.
QStringList Everything(const QString& folder)
{
    QStringList all;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        all << it.next();
    all.sort();
    return all;
}

QString Entry(const QString& folder, const QString& key)
{
    return modQuarnIniAPI::ReadProfileString("Zelmor Car Data", key, "<none>",
                                             folder + "/carinfo.ini");
}

QString Success(const QString& carName, const QString& folder)
{
    const QString sep = QDir::separator();
    return carName + " has been created under directory '" + sep + "cars" + sep + folder +
           "'.  Click on the Refresh button to see your new car on the list.";
}

} // namespace

void tst_CreateCarWizard::init()
{
    mWorld = std::make_unique<TestWorld>();
    mWorld->loadSettings();
    modMain::gSettings().setAuthor(QStringLiteral("Jérôme"));
    mWorld->makeCar("rc", "[Zelmor Car Data]\r\nName=RC Sprinter\r\nAuthor=Someone\r\n"
                          "Description=Fast|small\r\n");
    mWorld->write("game/cars/rc/parameters.txt", kTemplateParams);
    mWorld->write("game/cars/rc/readme.txt", "read me");
    mWorld->write("game/cars/rc/sub/body.prm", "not copied");
    mWorld->makeCar("buggy");
    mWorld->write("game/cars/buggy/parameters.txt", "Name x\r\n");
    mWorld->makeCar("noparams");
    mWorld->write("game/cars/notes.txt", "a file, not a car");
    for (const char* folder : {"zeta", "rc", "buggy"}) {
        auto car = std::make_shared<cCar>();
        car->setDirectoryName(folder);
        modMain::gCars().Add(car, folder);
    }
    mBoxes = std::make_unique<MsgBoxRecorder>();
}

void tst_CreateCarWizard::cleanup()
{
    QList<QPointer<frmCreateCarWizard>> wizards;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* wizard = qobject_cast<frmCreateCarWizard*>(window))
            wizards << wizard;
    }
    for (const auto& wizard : wizards)
        delete wizard.data();
    mBoxes.reset();
    mWorld.reset();
}

void tst_CreateCarWizard::controls_data()
{
    QTest::addColumn<QRect>("place"); // in pixels: twips / 15
    QTest::addColumn<QString>("text");

    QTest::newRow("Label1") << QRect(176, 32, 329, 41)
                            << "You have decided to create a new car from an existing one. "
                               "Please answer the following questions:";
    QTest::newRow("Label2") << QRect(176, 96, 257, 17)
                            << "1) Choose a car directory as your template:";
    QTest::newRow("cboCarNames") << QRect(264, 120, 145, 21) << "";
    QTest::newRow("Label3") << QRect(176, 160, 257, 25) << "2) Choose a name for your new car:";
    QTest::newRow("txtCarName") << QRect(264, 184, 241, 19) << "";
    QTest::newRow("Label4") << QRect(176, 216, 329, 65)
                            << "3) Finally, choose a directory name. It should be a short name "
                               "which uniquely identifies your car in the Drovak car directory. "
                               "It is recommended that you NOT use spaces or special characters "
                               "in this field.";
    QTest::newRow("txtDirName") << QRect(264, 288, 241, 19) << "";
    QTest::newRow("cmdCancel") << QRect(352, 336, 73, 33) << "Cancel";
    QTest::newRow("cmdFinish") << QRect(432, 336, 73, 33) << "Finish";
}

void tst_CreateCarWizard::controls()
{
    const Wizard wizard = Open();
    QCOMPARE(wizard.window->windowTitle(), QStringLiteral("Create Car Wizard"));
    QCOMPARE(wizard.window->size(), QSize(511, 373));
    QCOMPARE(wizard.window->minimumSize(), wizard.window->maximumSize());
    const auto* image = wizard.window->findChild<QLabel*>("Image1");
    QVERIFY(image && !image->pixmap().isNull());
    QVERIFY(image->geometry().right() < 176);

    auto* control = wizard.window->findChild<QWidget*>(QTest::currentDataTag());
    QVERIFY(control);
    QTEST(control->geometry(), "place");
    QFETCH(QString, text);
    if (auto* label = qobject_cast<QLabel*>(control)) {
        QCOMPARE(label->text(), text);
        QVERIFY(label->wordWrap());
        QCOMPARE(label->font(), wizard.window->findChild<QLabel*>("Label1")->font());
        QVERIFY(label->font().pointSizeF() <= 9.75);
        QVERIFY2(label->heightForWidth(label->width()) <= label->height(),
                 "the text does not fit its place");
    } else if (auto* button = qobject_cast<QPushButton*>(control)) {
        QCOMPARE(button->text(), text);
    }
}

void tst_CreateCarWizard::templateListFromCars()
{
    const Wizard first = Open();
    QCOMPARE(first.templates->count(), 3);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(first.templates->itemText(i), QStringList({"zeta", "rc", "buggy"}).at(i));
    QCOMPARE(first.templates->currentText(), QString());

    // A wizard keeps the list it was opened with.
    modMain::ReleaseCars();
    const Wizard second = Open();
    QCOMPARE(second.templates->count(), 0);
    QCOMPARE(first.templates->count(), 3);
}

void tst_CreateCarWizard::finishEnablement_data()
{
    QTest::addColumn<QString>("preset");
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("enabled");
    const auto row = [](const char* name, const char* preset, const char* action, bool enabled) {
        QTest::newRow(name) << QString(preset) << QString(action) << enabled;
    };
    row("at open", "", "", false);
    row("preset template", "rc", "", true);
    row("typed template", "", "type template", true);
    row("opening the list", "", "open list", true);
    row("typing elsewhere", "", "type elsewhere", false);
    row("template typed and erased", "", "type and erase", true);
}

void tst_CreateCarWizard::finishEnablement()
{
    QFETCH(QString, preset);
    QFETCH(QString, action);
    const Wizard wizard = Open(preset);
    if (action == "type template") {
        QTest::keyClicks(wizard.templates->lineEdit(), "r");
    } else if (action == "open list") {
        QTest::keyClick(wizard.templates, Qt::Key_F4);
        wizard.templates->hidePopup();
    } else if (action == "type elsewhere") {
        Fill(wizard, "", "My Racer", "myrc");
    } else if (action == "type and erase") {
        QTest::keyClicks(wizard.templates->lineEdit(), "r");
        QTest::keyClick(wizard.templates->lineEdit(), Qt::Key_Backspace);
    }
    QTEST(wizard.finish->isEnabled(), "enabled");
}

void tst_CreateCarWizard::checks_data()
{
    QTest::addColumn<QString>("templateText");
    QTest::addColumn<QString>("carName");
    QTest::addColumn<QString>("dirName");
    QTest::addColumn<QString>("message");
    const auto row = [](const char* name, const QString& templateText, const QString& carName,
                        const QString& dirName, const QString& message) {
        QTest::newRow(name) << templateText << carName << dirName << message;
    };

    const QString exists = "This directory already exists!";
    row("all empty", "", "", "", "Please choose a car to base the template on.");
    row("template not in the cars folder", "nosuch", "My Racer", "myrc",
        "Please choose a valid car name from the list.");
    row("blank template is not empty", " ", "", "",
        "Please choose a valid car name from the list.");
    row("no folder name", "rc", "", "", "Please choose a name for the car directory.");
    row("folder exists", "rc", "", "buggy", exists);
    row("folder exists in other letter case", "rc", "", "BUGGY", exists);
    row("a file of that name exists", "rc", "", "notes.txt", exists);
    row("no car name", "rc", "", "myrc", "Please give your new car a name.");

    // The name checks come with the existence checks 2 and 4.
    const QString slashes = " may not contain \"\\\" or \"/\": it names one directory directly "
                            "in the Drovak car directory.";
    const QString dots = " may not be \".\" or \"..\".";
    const QString forbidden = " may not contain any of the characters : * ? \" < > |";
    const QString templ = "The template name";
    row("template ..", "..", "", "", templ + dots);
    row("template path", "../cars/rc", "", "", templ + slashes);
    row("template with a colon", "r:c", "", "", templ + forbidden);
    const QString folder = "The directory name";
    row("folder ..", "rc", "", "..", folder + dots);
    row("folder .", "rc", "", ".", folder + dots);
    row("folder outside the cars folder", "rc", "", "../escape", folder + slashes);
    row("folder with a backslash", "rc", "", "my\\rc", folder + slashes);
    for (const char* c : {":", "*", "?", "\"", "<", ">", "|"})
        row(qPrintable(QString("folder with ") + c), "rc", "", QString("my%1rc").arg(c),
            folder + forbidden);
    row("folder with a tab", "rc", "", "my\trc",
        folder + " may not contain control characters such as a tab.");
    const QString unheld = " may not contain \"%1\": Drovak's files cannot hold that character.";
    row("folder beyond Windows-1252", "rc", "", "my\u0100rc", folder + unheld.arg("\u0100"));
    row("folder with an emoji", "rc", "", "my\U0001F600rc", folder + unheld.arg("\U0001F600"));
}

// A failed check shows its message and leaves everything as it was.
void tst_CreateCarWizard::checks()
{
    QFETCH(QString, templateText);
    QFETCH(QString, carName);
    QFETCH(QString, dirName);
    const QStringList before = Everything(mWorld->root());
    const Wizard wizard = Open();
    Fill(wizard, templateText, carName, dirName);
    mBoxes->expect();

    if (templateText.isEmpty()) {
        QTest::keyClick(wizard.templates, Qt::Key_F4); // so that Finish can be pressed
        wizard.templates->hidePopup();
    }
    QTest::mouseClick(wizard.finish, Qt::LeftButton);
    const MsgBox::Box box = mBoxes->only();
    QCOMPARE(box.title, QStringLiteral("Cannot Create Car"));
    QCOMPARE(box.icon, MsgBox::Icon::Exclamation);
    QTEST(box.text, "message");
    VERIFY_BOXES(*mBoxes);
    QVERIFY(wizard.window && wizard.window->isVisible());
    QCOMPARE(wizard.templates->currentText(), templateText);
    QCOMPARE(wizard.dirName->text(), dirName);
    QCOMPARE(Everything(mWorld->root()), before);
}

void tst_CreateCarWizard::create_data()
{
    QTest::addColumn<QString>("preset");
    QTest::addColumn<QString>("typed");
    QTest::newRow("preset template") << QString("rc") << QString();
    QTest::newRow("typed template") << QString() << QString("rc");
    QTest::newRow("template in other letter case") << QString() << QString("RC");
}

void tst_CreateCarWizard::create()
{
    QFETCH(QString, preset);
    QFETCH(QString, typed);
    const Wizard wizard = Open(preset);
    Fill(wizard, typed, "My Racer", "myrc");
    mBoxes->expect();

    QTest::mouseClick(wizard.finish, Qt::LeftButton);
    const MsgBox::Box box = mBoxes->only();
    QCOMPARE(box.title, QStringLiteral("Success!"));
    QCOMPARE(box.icon, MsgBox::Icon::Information);
    QCOMPARE(box.text, Success("My Racer", "myrc"));
    VERIFY_BOXES(*mBoxes);
    QTRY_VERIFY(wizard.window.isNull());

    const QString car = mWorld->carDir("myrc");
    QCOMPARE(
        QDir(car).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
        QStringList({"car.bmp", "carinfo.ini", "parameters.bak", "parameters.txt", "readme.txt"}));
    QCOMPARE(Entry(car, "Name"), QStringLiteral("My Racer"));
    QCOMPARE(Entry(car, "Author"), QStringLiteral("Jérôme"));
    QCOMPARE(Entry(car, "OriginalSkin"), QStringLiteral("rc"));
    QCOMPARE(Entry(car, "Description"), QStringLiteral("Fast|small"));

    // The whole-file read keeps the CR of the last line end, which the rewrites turn into an
    // empty last line.
    const QByteArray rest("Model\t0\t\"cars\\myrc\\body.prm\"\r\n"
                          "TPage\t\t\"cars\\RC\\car.bmp\"\r\n"
                          "Env\t\"cars\\rcx\\env.bmp\"\r\n"
                          "\r\n");
    const QByteArray named("; test car\r\nName\t\t\"My Racer\"\r\n");
    QCOMPARE(ReadFile(car + "/parameters.txt"), named + "Obtain\t0\r\n" + rest);
    QCOMPARE(ReadFile(car + "/parameters.bak"), named + "Obtain\t\t2\r\n" + rest);
    QCOMPARE(mWorld->read("game/cars/rc/parameters.txt"), kTemplateParams);
}

void tst_CreateCarWizard::failureInTheMiddle_data()
{
    QTest::addColumn<QString>("templateText");
    QTest::addColumn<QStringList>("left"); // what the new folder holds afterwards
    QTest::addColumn<QString>("named");    // what the description names

    QTest::newRow("no parameters.txt")
        << "noparams" << QStringList{"car.bmp", "carinfo.ini"} << "parameters.txt";
    QTest::newRow("template without files") << "hollow" << QStringList{} << "hollow";
    QTest::newRow("template is a file") << "notes.txt" << QStringList{} << "notes.txt";
}

void tst_CreateCarWizard::failureInTheMiddle()
{
    QFETCH(QString, templateText);
    QFETCH(QStringList, left);
    QFETCH(QString, named);
    QDir(mWorld->carsDir()).mkdir("hollow");
    const Wizard wizard = Open(templateText);
    Fill(wizard, "", "My Racer", "myrc");
    mBoxes->expect();

    QTest::mouseClick(wizard.finish, Qt::LeftButton);
    const MsgBox::Box box = mBoxes->only();
    QCOMPARE(box.title, QStringLiteral("Doh!"));
    QCOMPARE(box.icon, MsgBox::Icon::Critical);
    const QString lead = "An error occurred while attempting to create the directory.\r\n";
    QVERIFY2(box.text.startsWith(lead) && box.text.contains(named), qPrintable(box.text));
    VERIFY_BOXES(*mBoxes);
    QVERIFY(wizard.window && wizard.window->isVisible());

    const QString car = mWorld->carDir("myrc");
    QTEST(QDir(car).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name), "left");
    if (left.contains("carinfo.ini"))
        QCOMPARE(Entry(car, "OriginalSkin"), templateText);

    // Nothing is undone, so the same folder name is now taken.
    mBoxes->clear();
    mBoxes->expect();
    QTest::mouseClick(wizard.finish, Qt::LeftButton);
    QCOMPARE(mBoxes->only().text, QStringLiteral("This directory already exists!"));
}

// The template's read-only files, as a player (not an administrator) meets them: the whole-file
// write replaces a read-only parameters.txt, and the name rewrite, which may not overwrite a
// read-only parameters.bak, fails and ends the creation there.
void tst_CreateCarWizard::rewriteFailureStops()
{
#ifdef Q_OS_LINUX
    mWorld->write("game/cars/rc/parameters.bak", "old backup");
    for (const char* file : {"parameters.txt", "parameters.bak"})
        QFile::setPermissions(mWorld->carDir("rc") + "/" + file,
                              QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    QFile::setPermissions(mWorld->root(), QFile::permissions(mWorld->root()) | QFile::ExeOther);
    QFile::setPermissions(mWorld->gameDir(),
                          QFile::permissions(mWorld->gameDir()) | QFile::ExeOther);
    QFile::setPermissions(mWorld->carsDir(), QFile::permissions(mWorld->carsDir()) |
                                                 QFile::WriteOther | QFile::ExeOther);
    const Wizard wizard = Open("rc");
    Fill(wizard, "", "My Racer", "myrc");
    mBoxes->expect();

    // Both the real and the effective ids change: access checks go by the real one. The saved
    // id stays, to come back.
    const bool administrator = geteuid() == 0;
    if (administrator && setresgid(65534, 65534, 0) != 0)
        QSKIP("cannot act as an ordinary user here");
    if (administrator && setresuid(65534, 65534, 0) != 0) {
        QVERIFY(setresgid(0, 0, 0) == 0);
        QSKIP("cannot act as an ordinary user here");
    }
    QTest::mouseClick(wizard.finish, Qt::LeftButton);
    if (administrator)
        QVERIFY(setresuid(0, 0, 0) == 0 && setresgid(0, 0, 0) == 0);

    const MsgBox::Box box = mBoxes->only();
    QCOMPARE(box.title, QStringLiteral("Torvane"));
    QVERIFY2(box.text.contains("parameters.bak"), qPrintable(box.text));
    VERIFY_BOXES(*mBoxes);
    QVERIFY(wizard.window && wizard.window->isVisible());
    const QString car = mWorld->carDir("myrc");
    QCOMPARE(ReadFile(car + "/parameters.bak"), QByteArray("old backup"));
    const QByteArray params = ReadFile(car + "/parameters.txt");
    QVERIFY2(params.contains("cars\\myrc\\body.prm") && params.contains("\"RC Sprinter\"") &&
                 params.contains("Obtain\t\t2"),
             params.constData());
#else
    QSKIP("read-only files are tested where the test can act as an ordinary user");
#endif
}

void tst_CreateCarWizard::cancel()
{
    const QStringList before = Everything(mWorld->root());
    const Wizard wizard = Open("rc");
    Fill(wizard, "", "My Racer", "myrc");
    QTest::mouseClick(wizard.cancel, Qt::LeftButton);
    QTRY_VERIFY(wizard.window.isNull());
    QCOMPARE(Everything(mWorld->root()), before);
    VERIFY_BOXES(*mBoxes);
}

QTEST_MAIN(tst_CreateCarWizard)
#include "tst_CreateCarWizard.moc"
