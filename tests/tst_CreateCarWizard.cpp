#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "app/cSettings.h"
#include "app/modMain.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"
#include "platform/Cp1252.h"
#include "platform/FileSystem.h"
#include "ui/wizard/frmCreateCarWizard.h"

#include <QtTest>
#include <QtWidgets>

#include <unistd.h>

namespace {

// Only the exact "\rc\" refers to the template folder.
const QByteArray kTemplateParams =
    "; test car\r\n    Name \"RC\" ; old\r\nObtain\t\t2\r\n"
    "Model\t0\t\"cars\\rc\\body.prm\"\r\nTPage\t\t\"cars\\RC\\car.bmp\"\r\n"
    "Env\t\"cars\\rcx\\env.bmp\"\r\n";

const QString kLongName = QString(251, 'l') + ".txt";

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class tst_CreateCarWizard : public QObject
{
    Q_OBJECT

    std::optional<TestWorld> mWorld;
    std::optional<MsgBoxRecorder> mBoxes;

    // Opens a wizard as the main window does (show, then preset the template) and fills it in.
    QPointer<frmCreateCarWizard> open(const QString& preset, const QString& carName = {},
                                      const QString& dirName = {})
    {
        auto* wizard = new frmCreateCarWizard;
        wizard->show();
        wizard->setTemplateText(preset);
        wizard->findChild<QLineEdit*>("txtCarName")->insert(carName);
        wizard->findChild<QLineEdit*>("txtDirName")->insert(dirName);
        return wizard;
    }

    // Presses Finish with Enter, which must show that many boxes; gives them as "title: text",
    // one a line.
    QString pressFinish(QWidget* wizard, int boxes = 1)
    {
        for (int i = 0; i < boxes; ++i)
            mBoxes->expect();
        QTest::keyClick(wizard->findChild<QPushButton*>("cmdFinish"), Qt::Key_Return);
        [&] { VERIFY_BOXES(*mBoxes); }();
        QStringList shown;
        for (const MsgBox::Box& box : mBoxes->boxes())
            shown << box.title + ": " + box.text;
        mBoxes->clear();
        return shown.join('\n');
    }

private slots:
    void init()
    {
        mWorld.emplace().loadSettings();
        modMain::gSettings().setAuthor(QStringLiteral("Jérôme"));
        mWorld->makeCar("rc",
                        "[Zelmor Car Data]\r\nName=RC\r\nAuthor=Me\r\nDescription=Fast|small\r\n");
        mWorld->write("game/cars/rc/parameters.txt", kTemplateParams);
        mWorld->write("game/cars/rc/" + kLongName, "as long a name as the system allows");
        mWorld->write("game/cars/rc/sub/body.prm", "not copied");
        mWorld->makeCar("noparams");
        mWorld->write("game/cars/notes.txt", "a file, not a car");
        // Copied from a Windows archive: "café" in Windows-1252.
        mWorld->write(FileSystem::Decode("game/cars/caf\xe9/parameters.txt"),
                      "Model\t\"cars\\caf\xe9\\b.prm\"\r\n");
        mWorld->write(FileSystem::Decode("game/cars/caf\xe9/skin\xe9.bmp"), "BM");
        // The car list, which need not match the cars folder.
        for (const QString& folder :
             QStringList{"zeta", "rc", "buggy", FileSystem::Decode("caf\xe9")})
            modMain::gCars().Add(Car(folder, false), folder);
        mBoxes.emplace();
    }

    void cleanup()
    {
        for (QWidget* window : QApplication::topLevelWidgets())
            window->close();
    }

    // The list holds the car list's folders at opening, in the tree's order; the field starts
    // empty. Finish waits for a change of the template field (presetting it or
    // opening the list, as in checks()), even one that leaves it empty. A typed name is not
    // completed from the list; Esc loses nothing; Cancel makes nothing.
    void openAndCancel()
    {
        const QStringList before = Entries(mWorld->carsDir());
        const auto wizard = open({}, "My Racer", "myrc");
        modMain::ReleaseCars(); // the list stays as it was at opening
        auto* templates = wizard->findChild<QComboBox*>();
        QStringList items;
        for (int i = 0; i < templates->count(); ++i)
            items << templates->itemText(i);
        QCOMPARE(items, (QStringList{"buggy", "café", "rc", "zeta"}));
        QVERIFY(!wizard->windowIcon().isNull());
        QCOMPARE(templates->currentText(), QString());
        auto* finish = wizard->findChild<QPushButton*>("cmdFinish");
        QVERIFY(!finish->isEnabled());
        QApplication::setActiveWindow(wizard);
        templates->lineEdit()->setFocus();
        QTest::keyClicks(templates->lineEdit(), "r");
        QCOMPARE(templates->currentText(), QStringLiteral("r"));
        QTest::keyClick(templates->lineEdit(), Qt::Key_Backspace);
        QVERIFY(finish->isEnabled());
        QTest::keyClick(wizard->findChild<QLineEdit*>("txtCarName"), Qt::Key_Escape);
        QVERIFY(wizard && wizard->isVisible());
        QCOMPARE(wizard->findChild<QLineEdit*>("txtCarName")->text(), QStringLiteral("My Racer"));
        QTest::mouseClick(wizard->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
        QTRY_VERIFY(wizard.isNull());
        QCOMPARE(Entries(mWorld->carsDir()), before);
        VERIFY_BOXES(*mBoxes);
    }

    // The car name stays empty but where named: its checks come last. A refusal keeps the
    // wizard open and makes nothing.
    void checks_data()
    {
        QTest::addColumn<QString>("templateText");
        QTest::addColumn<QString>("dirName");
        QTest::addColumn<QString>("carName");
        QTest::addColumn<QString>("message"); // its telling part
        const auto row = [](const char* name, const QString& templateText, const QString& dirName,
                            const QString& message, const QString& carName = {}) {
            QTest::newRow(name) << templateText << dirName << carName << message;
        };
        // Each field names one entry directly in the cars folder, one the game can open.
        const auto refused = [&row](const char* kind, const QString& name, const QString& why) {
            row(qPrintable(QStringLiteral("template ") + kind), name, "",
                "template name may not " + why);
            row(qPrintable(QStringLiteral("folder ") + kind), "rc", name,
                "directory name may not " + why);
        };
        const QString device = "Windows keeps that name for a device";
        const QString control = "car name may not contain line breaks or other control characters";
        // clang-format off
        row("all empty", "", "", "Please choose a car to base the template on.");
        row("template not in the cars folder", "nosuch", "..", "Please choose a valid car name from the list.");
        row("no folder name", "rc", "", "Please choose a name for the car directory.");
        row("folder exists in other letter case", "rc", "Rc", "This directory already exists!");
        row("file exists in other letter case", "rc", "Notes.TXT", "This directory already exists!");
        row("no car name", "rc", "myrc", "Please give your new car a name.");
        refused("backslash", "my\\rc", "contain \"\\\" or \"/\"");
        refused("slash", "../rc", "contain \"\\\" or \"/\"");
        refused("..", "..", "be \".\" or \"..\"");
        refused(".", ".", "be \".\" or \"..\"");
        // A template is only read and copied: these guard the folder being made.
        row("folder with a forbidden character", "rc", "my?rc", "directory name may not contain any of the characters : * ? \" < > |");
        row("folder with a control character", "rc", "my\trc", "directory name may not contain control characters");
        row("folder beyond Windows-1252", "rc", "my\U0001F600rc", "directory name may not contain \"\U0001F600\": Drovak's files cannot");
        row("folder ending in a blank", "rc", "myrc ", "may not end in a blank or a dot");
        row("folder ending in a dot", "rc", "myrc.", "may not end in a blank or a dot");
        row("device name", "rc", "con", "may not be \"con\": " + device);
        row("device name with an extension", "rc", "Lpt9.txt", "may not be \"Lpt9.txt\": " + device);
        row("device name with a blank before the extension", "rc", "COM1 .bmp", "may not be \"COM1 .bmp\": " + device);
        // A line break would put lines of its own into parameters.txt.
        row("car name of two lines", "rc", "myrc", control, "Line one\nObtain 0");
        // clang-format on
    }
    void checks()
    {
        QFETCH(QString, templateText);
        QFETCH(QString, dirName);
        QFETCH(QString, carName);
        QFETCH(QString, message);
        const QStringList before = Entries(mWorld->carsDir());
        const auto wizard = open(templateText, carName, dirName);
        if (templateText.isEmpty()) { // opening the list enables Finish
            QTest::keyClick(wizard->findChild<QComboBox*>(), Qt::Key_F4);
            wizard->findChild<QComboBox*>()->hidePopup();
        }
        const QString box = pressFinish(wizard);
        QVERIFY2(box.startsWith("Cannot Create Car: ") && box.contains(message), qPrintable(box));
        QVERIFY(wizard && wizard->isVisible());
        QCOMPARE(Entries(mWorld->carsDir()), before);
    }

    // The template given in another letter case stands for the folder's real name; the car name
    // and the author are written in Windows-1252. Every file is copied, with its permissions.
    void create()
    {
        QFile::setPermissions(mWorld->carDir("rc") + "/carinfo.ini",
                              QFile::ReadOwner | QFile::WriteOwner);
        const auto wizard = open("RC", "C\u00e2line \u20ac", "myrc");
        QCOMPARE(pressFinish(wizard),
                 "Success!: C\u00e2line \u20ac has been created under directory '" +
                     QDir::toNativeSeparators("/cars/myrc") +
                     "'.  Click on the Refresh button to see your new car on the list.");
        QTRY_VERIFY(wizard.isNull());

        const QString car = mWorld->carDir("myrc");
        QCOMPARE(Entries(car), QStringList({"car.bmp", "carinfo.ini", kLongName, "parameters.bak",
                                            "parameters.txt"}));
        QCOMPARE(QFile::permissions(car + "/carinfo.ini"),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        QCOMPARE(ReadFile(car + "/carinfo.ini"),
                 QByteArray("[Zelmor Car Data]\r\nName=C\xe2line \x80\r\nAuthor=J\xe9r\xf4me\r\n"
                            "Description=Fast|small\r\nOriginalSkin=rc\r\n"));
        // The whole-file read keeps the CR of the last line end, which becomes an empty line.
        const QByteArray named("; test car\r\nName\t\t\"C\xe2line \x80\"\r\n");
        const QByteArray rest(
            "Model\t0\t\"cars\\myrc\\body.prm\"\r\n"
            "TPage\t\t\"cars\\RC\\car.bmp\"\r\nEnv\t\"cars\\rcx\\env.bmp\"\r\n\r\n");
        QCOMPARE(ReadFile(car + "/parameters.txt"), named + "Obtain\t0\r\n" + rest);
        QCOMPARE(ReadFile(car + "/parameters.bak"), named + "Obtain\t\t2\r\n" + rest);
        QCOMPARE(mWorld->read("game/cars/rc/parameters.txt"), kTemplateParams);
    }

    void templateOfAnyName_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("named in Windows-1252") << FileSystem::Decode("caf\xe9");
        QTest::newRow("a name Windows cannot hold") << "rc:2";
        QTest::newRow("beyond Windows-1252") << QStringLiteral("\u03a9mega");
    }
    // Any listed car is a template, whatever its name, and is made into a car with all its
    // files, whatever theirs.
    void templateOfAnyName()
    {
        QFETCH(QString, folder);
        const QByteArray inFile = Cp1252::FromUnicode(FileSystem::Shown(folder));
        mWorld->write("game/cars/" + folder + "/parameters.txt",
                      "Model\t\"cars\\" + inFile + "\\b.prm\"\r\n");
        mWorld->write("game/cars/" + folder + FileSystem::Decode("/skin\xe9.bmp"), "BM");
        modMain::gCars().Add(Car(folder, false), folder);
        const auto wizard = open({}, "Zo\u00e9", "neuf");
        auto* templates = wizard->findChild<QComboBox*>();
        templates->setCurrentIndex(templates->findText(FileSystem::Shown(folder)));
        QVERIFY(pressFinish(wizard).startsWith("Success!: "));
        const QString made = mWorld->carDir("neuf");
        QVERIFY(FileSystem::StatusOf(made + FileSystem::Decode("/skin\xe9.bmp")).plainFile);
        QVERIFY(ReadFile(made + "/carinfo.ini").contains("OriginalSkin=" + inFile + "\r\n"));
        QVERIFY(ReadFile(made + "/parameters.txt").contains("\"cars\\neuf\\b.prm\""));
    }

    // The failure ends the creation where it happened; nothing made so far is undone.
    void templateWithoutParameters()
    {
        const auto wizard = open("noparams", "My Racer", "myrc");
        const QString box = pressFinish(wizard);
        QVERIFY2(box.startsWith("Doh!: An error occurred while attempting to create the "
                                "directory.\r\n") &&
                     box.contains("parameters.txt") &&
                     box.endsWith("\r\nThe unfinished car was left in the Drovak car directory "
                                  "as '" +
                                  QDir::toNativeSeparators("/cars/myrc") +
                                  "': delete that directory, or choose another directory name."),
                 qPrintable(box));
        QVERIFY(wizard && wizard->isVisible());
        QCOMPARE(Entries(mWorld->carDir("myrc")), QStringList({"car.bmp", "carinfo.ini"}));
    }

    // The template's read-only files, as a player (not an administrator) meets them: the
    // whole-file write replaces a read-only parameters.txt, and the name rewrite, which may not
    // overwrite a read-only parameters.bak, fails and ends the creation there.
    void rewriteFailureStops()
    {
        mWorld->write("game/cars/rc/parameters.bak", "old backup");
        for (const char* file : {"/parameters.txt", "/parameters.bak"})
            QFile::setPermissions(mWorld->carDir("rc") + file, QFile::ReadOwner | QFile::ReadOther);
        for (const QString& d : {mWorld->root(), mWorld->gameDir(), mWorld->carsDir()})
            QFile::setPermissions(d, QFile::permissions(d) | QFile::WriteOther | QFile::ExeOther);
        const auto wizard = open("rc", "My Racer", "myrc");

        // Both the real and the effective ids change: access checks go by the real one. The
        // saved id stays, to come back.
        const bool administrator = geteuid() == 0;
        if (administrator && (setresgid(65534, 65534, 0) || setresuid(65534, 65534, 0))) {
            QVERIFY(setresgid(0, 0, 0) == 0);
            QSKIP("cannot act as an ordinary user here");
        }
        const QString box = pressFinish(wizard, 2);
        if (administrator)
            QVERIFY(setresuid(0, 0, 0) == 0 && setresgid(0, 0, 0) == 0);

        // The rewrite tells what failed, then the wizard what it left.
        QVERIFY2(box.startsWith("Torvane: ") && box.contains("parameters.bak") &&
                     box.contains("\nDoh!: The new car was not finished.\r\nThe unfinished car"),
                 qPrintable(box));
        QVERIFY(wizard && wizard->isVisible());
        const QString car = mWorld->carDir("myrc");
        QCOMPARE(ReadFile(car + "/parameters.bak"), QByteArray("old backup"));
        QVERIFY(ReadFile(car + "/parameters.txt").contains("cars\\myrc\\body.prm"));
    }
};

QTEST_MAIN(tst_CreateCarWizard)
#include "tst_CreateCarWizard.moc"
