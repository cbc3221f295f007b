#include "MainWindowDriver.h"
#include "platform/Cp1252.h"
#include "platform/FileNames.h"

#include <unistd.h>

namespace {

// Only the exact "\rc\" refers to the template folder.
const QByteArray kTemplateParams =
    "; test car\r\n    Name \"RC\" ; old\r\nObtain\t\t2\r\n"
    "Model\t0\t\"cars\\rc\\body.prm\"\r\nTPage\t\t\"cars\\RC\\car.bmp\"\r\n"
    "Env\t\"cars\\rcx\\env.bmp\"\r\n";

const QString kLongName = QString(251, 'l') + ".txt";

// The folder's entries by the names the program gives them, sorted; Qt's own listing leaves
// out a name that is not UTF-8.
QStringList Entries(const QString& folder)
{
    QStringList names;
    for (const FileNames::Entry& entry : FileSystem::List(folder).value)
        names << entry.name;
    names.sort();
    return names;
}

// Whether the text is the pattern, where each * stands for any text.
bool Matches(const QString& text, const QString& pattern)
{
    const QString any = QRegularExpression::escape(pattern).replace("\\*", ".*");
    return QRegularExpression("(?s)\\A" + any + "\\z").match(text).hasMatch();
}

} // namespace

class tst_CreateCarWizard : public QObject, MainWindowDriver
{
    Q_OBJECT

private slots:
    void init()
    {
        open();
        modMain::gSettings().setAuthor(QStringLiteral("Jérôme"));
        mWorld->makeCar("rc");
        // Only its owner may write it, and the new car's copy keeps that.
        mWorld->write("game/cars/rc/carinfo.ini",
                      "[Zelmor Car Data]\r\nName=RC\r\nAuthor=Me\r\nDescription=Fast|small\r\n",
                      0604);
        mWorld->write("game/cars/rc/parameters.txt", kTemplateParams);
        mWorld->write("game/cars/rc/" + kLongName, "as long a name as the system allows");
        mWorld->write("game/cars/rc/sub/body.prm", "not copied");
        QFile::remove(mWorld->makeCar("noparams") + "/parameters.txt");
        mWorld->write("game/cars/com0.txt", "a file, not a car");
        // Templates of any name: copied from a Windows archive ("café" in Windows-1252), one that
        // Windows cannot hold and one beyond its code page; their files too.
        const QStringList anyName{FileSystem::Decode("caf\xe9"), "rc:2", "\u03a9mega"};
        for (const QString& folder : anyName) {
            const QByteArray inFile = Cp1252::FromUnicode(FileSystem::Shown(folder));
            mWorld->write("game/cars/" + folder + "/parameters.txt",
                          "Model\t\"cars\\" + inFile + "\\b.prm\"\r\n");
            mWorld->write("game/cars/" + folder + FileSystem::Decode("/skin\xe9.bmp"), "BM");
        }
        // The car list, which need not match the cars folder.
        for (const QString& folder : QStringList{"zeta", "rc", "buggy"} + anyName)
            modMain::gCars().Add(Car(folder, false), folder);
    }
    void cleanup() { close(); }

    // The list holds the car list's folders at opening, in the tree's order; the field starts
    // empty. Finish waits for a change of the template field (presetting it or opening the
    // list, as in finish()), even one that leaves it empty. A typed name is not completed from
    // the list; Esc loses nothing; Cancel shows no box (cleanup() checks that none showed).
    void openAndCancel()
    {
        const auto wizard = openWizard({}, "My Racer", "myrc");
        modMain::ReleaseCars(); // the list stays as it was at opening
        auto* templates = wizard->findChild<QComboBox*>();
        QCOMPARE(Texts(templates->model()),
                 (QStringList{"buggy", "café", "rc", "rc:2", "zeta", "\u03a9mega"}));
        QCOMPARE(templates->currentText(), QString());
        auto* finish = wizard->findChild<QPushButton*>("cmdFinish");
        QVERIFY(!finish->isEnabled());
        QApplication::setActiveWindow(wizard);
        templates->lineEdit()->setFocus();
        QTest::keyClicks(templates->lineEdit(), "r");
        QCOMPARE(templates->currentText(), QStringLiteral("r"));
        QTest::keyClick(templates->lineEdit(), Qt::Key_Backspace);
        QVERIFY(finish->isEnabled());
        // Enter in a field presses nothing; Esc leaves as Cancel does.
        QTest::keyClick(wizard->findChild<QLineEdit*>("txtCarName"), Qt::Key_Return);
        QVERIFY(wizard->isVisible());
        QTest::keyClick(wizard->findChild<QLineEdit*>("txtCarName"), Qt::Key_Escape);
        QTRY_VERIFY(wizard.isNull());
    }

    // Finish with the fields as given. A refusal keeps the wizard open and makes nothing; the
    // car name stays empty but where named, as its checks come last. A failure ends the creation
    // where it happened and keeps the wizard open; nothing made so far is undone. A success
    // closes it. The template is never changed.
    void finish_data()
    {
        // templateText: as typed, or the item picked from the list after a "|". box: the boxes
        // shown, "title: text" one a line, where * stands for any text. made: the new folder's
        // entries (none: nothing was made); files: its carinfo.ini, parameters.txt and
        // parameters.bak. asPlayer: the template's read-only files, as a player (not an
        // administrator) meets them.
        Columns<QString, QString, QString, QString, QStringList, QByteArrayList, bool>(
            "templateText", "dirName", "carName", "box", "made", "files", "asPlayer");
        const auto refused = [](const char* name, const QString& templateText, const QString& dir,
                                const QString& why, const QString& car = {}) {
            QTest::newRow(name) << templateText << dir << car << "Cannot Create Car: *" + why + "*"
                                << QStringList() << QByteArrayList(3) << false;
        };
        // Any listed car is a template, whatever its name, and is made into a car with all its
        // files, whatever theirs.
        const QString neuf = "Success!: Zo\u00e9 has been created under directory '/cars/neuf'.*";
        const QStringList neufFiles{"carinfo.ini", "parameters.bak", "parameters.txt",
                                    FileSystem::Decode("skin\xe9.bmp")};
        const QByteArray zoe(
            "[Zelmor Car Data]\r\nName=Zo\xe9\r\nAuthor=J\xe9r\xf4me\r\nOriginalSkin=");
        const QByteArray neufParams("Model\t\"cars\\neuf\\b.prm\"\r\n\r\n");
        // clang-format off
        refused("all empty", "", "", "Please choose a car to base the template on.");
        refused("template not in the cars folder", "nosuch", "..", "Please choose a valid car name from the list.");
        // Each field names one entry directly in the cars folder, one the game can open.
        refused("template ..", "..", "", "template name may not be \".\" or \"..\"");
        refused("no folder name", "rc", "", "Please choose a name for the car directory.");
        refused("a file of that name in other letter case, no device for its 0", "rc", "COM0.TXT", "This directory already exists!");
        refused("no car name", "rc", "myrc", "Please give your new car a name.");
        refused("folder with a backslash", "rc", "my\\rc", "directory name may not contain \"\\\" or \"/\"");
        refused("folder with a slash", "rc", "../rc", "directory name may not contain \"\\\" or \"/\"");
        refused("folder ..", "rc", "..", "directory name may not be \".\" or \"..\"");
        refused("folder .", "rc", ".", "directory name may not be \".\" or \"..\"");
        // A template is only read and copied: these guard the folder being made.
        refused("folder with a forbidden character", "rc", "my?rc", "directory name may not contain any of the characters : * ? \" < > |");
        refused("folder with a control character", "rc", "my\trc", "directory name may not contain control characters");
        refused("folder beyond Windows-1252", "rc", "my\U0001F600rc", "directory name may not contain \"\U0001F600\": Drovak's files cannot");
        refused("folder ending in a blank", "rc", "myrc ", "may not end in a blank or a dot");
        refused("folder ending in a dot", "rc", "myrc.", "may not end in a blank or a dot");
        refused("device name", "rc", "con", "may not be \"con\": Windows keeps that name for a device");
        refused("device name with an extension", "rc", "Lpt9.txt", "may not be \"Lpt9.txt\": Windows keeps that name for a device");
        refused("device name with a blank before the extension", "rc", "COM1 .bmp", "may not be \"COM1 .bmp\": Windows keeps that name for a device");
        // A line break would put lines of its own into parameters.txt.
        refused("car name of two lines", "rc", "myrc", "car name may not contain line breaks or other control characters", "Line one\nObtain 0");
        // parameters.txt, the game's own file, holds Windows-1252 alone.
        refused("car name beyond Windows-1252", "rc", "myrc", "car name may not contain \"\u6771\": Drovak's files cannot hold", "\u6771\u4eac");
        // The template given in another letter case stands for the folder's real name; the car
        // name and the author are written in Windows-1252, a template's name beyond it in UTF-8. Every file is copied; the whole-file
        // read keeps the CR of the last line end, which becomes an empty line.
        QTest::newRow("made") << "RC" << "myrc" << "C\u00e2line \u20ac" << "Success!: C\u00e2line \u20ac has been created under directory '/cars/myrc'.  Click on the Refresh button to see your new car on the list." << QStringList{"car.bmp", "carinfo.ini", kLongName, "parameters.bak", "parameters.txt"} << QByteArrayList{"[Zelmor Car Data]\r\nName=C\xe2line \x80\r\nAuthor=J\xe9r\xf4me\r\nDescription=Fast|small\r\nOriginalSkin=rc\r\n", "; test car\r\nName\t\t\"C\xe2line \x80\"\r\nObtain\t0\r\nModel\t0\t\"cars\\myrc\\body.prm\"\r\nTPage\t\t\"cars\\RC\\car.bmp\"\r\nEnv\t\"cars\\rcx\\env.bmp\"\r\n\r\n", "; test car\r\nName\t\t\"C\xe2line \x80\"\r\nObtain\t\t2\r\nModel\t0\t\"cars\\myrc\\body.prm\"\r\nTPage\t\t\"cars\\RC\\car.bmp\"\r\nEnv\t\"cars\\rcx\\env.bmp\"\r\n\r\n"} << false;
        QTest::newRow("made from a template named in Windows-1252") << "|café" << "neuf" << "Zo\u00e9" << neuf << neufFiles << QByteArrayList{zoe + "caf\xe9\r\n", neufParams, neufParams} << false;
        QTest::newRow("made from a template named as Windows cannot") << "|rc:2" << "neuf" << "Zo\u00e9" << neuf << neufFiles << QByteArrayList{zoe + "rc:2\r\n", neufParams, neufParams} << false;
        QTest::newRow("made from a template named beyond Windows-1252") << "|\u03a9mega" << "neuf" << "Zo\u00e9" << neuf << neufFiles << QByteArrayList{zoe + "\xce\xa9mega\r\n", neufParams, neufParams} << false;
        QTest::newRow("template without parameters.txt") << "noparams" << "myrc" << "My Racer" << "Doh!: An error occurred while attempting to create the directory.\r\n*parameters.txt*\r\nThe unfinished car was left in the Drovak car directory as '/cars/myrc': delete that directory, or choose another directory name." << QStringList{"car.bmp", "carinfo.ini"} << QByteArrayList{"[Zelmor Car Data]\r\nName=My Racer\r\nAuthor=J\xe9r\xf4me\r\nOriginalSkin=noparams\r\n", {}, {}} << false;
        // The whole-file write replaces a read-only parameters.txt; the name rewrite, which may
        // not overwrite a read-only parameters.bak, fails and tells so, then the wizard what it left.
        QTest::newRow("read-only backup, as a player") << "rc" << "myrc" << "My Racer" << "Torvane: *parameters.bak*\nDoh!: The new car was not finished.\r\nThe unfinished car was left in the Drovak car directory as '/cars/myrc': delete that directory, or choose another directory name." << QStringList{"car.bmp", "carinfo.ini", kLongName, "parameters.bak", "parameters.txt"} << QByteArrayList{"[Zelmor Car Data]\r\nName=My Racer\r\nAuthor=J\xe9r\xf4me\r\nDescription=Fast|small\r\nOriginalSkin=rc\r\n", QByteArray(kTemplateParams).replace("\\rc\\", "\\myrc\\").chopped(1) + "\r\n", "old backup"} << true;
        // clang-format on
    }
    void finish()
    {
        QFETCH(QString, templateText);
        QFETCH(QString, dirName);
        QFETCH(QString, carName);
        QFETCH(QString, box);
        QFETCH(QStringList, made);
        QFETCH(bool, asPlayer);
        const QString rc = mWorld->carDir("rc");
        if (asPlayer) {
            mWorld->write("game/cars/rc/parameters.bak", "old backup", 0444);
            QFile::setPermissions(rc + "/parameters.txt", QFile::ReadOwner | QFile::ReadOther);
            for (const QString& d : {mWorld->root(), mWorld->gameDir(), mWorld->carsDir()})
                QFile::setPermissions(d,
                                      QFile::permissions(d) | QFile::WriteOther | QFile::ExeOther);
        }
        const QStringList before = Entries(mWorld->carsDir());
        const auto wizard = openWizard(templateText, carName, dirName);
        auto* templates = wizard->findChild<QComboBox*>();
        if (templateText.startsWith('|'))
            templates->setCurrentIndex(templates->findText(templateText.mid(1)));
        if (templateText.isEmpty()) { // opening the list enables Finish
            QTest::keyClick(templates, Qt::Key_F4);
            templates->hidePopup();
        }
        // Both the real and the effective ids change: access checks go by the real one. The
        // saved id stays, to come back.
        const bool switched = asPlayer && geteuid() == 0;
        if (switched && (setresgid(65534, 65534, 0) || setresuid(65534, 65534, 0))) {
            QVERIFY(setresgid(0, 0, 0) == 0);
            QSKIP("cannot act as an ordinary user here");
        }
        for (int i = asPlayer ? 2 : 1; i > 0; --i)
            mBoxes->expect();
        QTest::keyClick(wizard->findChild<QPushButton*>("cmdFinish"), Qt::Key_Return);
        if (switched)
            QVERIFY(setresuid(0, 0, 0) == 0 && setresgid(0, 0, 0) == 0);
        VERIFY_BOXES(*mBoxes);
        QVERIFY2(Matches(mBoxes->said(), box), qPrintable(mBoxes->said()));
        QTRY_VERIFY(box.startsWith("Success!") ? wizard.isNull() : wizard && wizard->isVisible());
        const QString car = mWorld->carDir(dirName), info = car + "/carinfo.ini";
        const QString params = car + "/parameters.";
        QCOMPARE(Entries(made.isEmpty() ? mWorld->carsDir() : car), made.isEmpty() ? before : made);
        if (made.contains(kLongName))
            QCOMPARE(QFile::permissions(info), QFile::permissions(rc + "/carinfo.ini"));
        QTEST((QByteArrayList{ReadFile(info), ReadFile(params + "txt"), ReadFile(params + "bak")}),
              "files");
        QCOMPARE(ReadFile(rc + "/parameters.txt"), kTemplateParams);
    }
};

QTEST_MAIN(tst_CreateCarWizard)
#include "tst_CreateCarWizard.moc"
