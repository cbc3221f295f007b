#include "LauncherRecorder.h"
#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "app/cSettings.h"
#include "app/modMain.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"
#include "ui/main/frmMain.h"
#include "ui/wizard/frmCreateCarWizard.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using LauncherKind = LauncherRecorder::Kind;

namespace {

const QByteArray kTables = "[Classify]\r\nrc=original\r\nbuggy=original\r\nmisc=omit\r\n"
                           "[Names]\r\nrc=RC Sprinter\r\nbuggy=Dune Buggy\r\n";

QByteArray CarInfo(const QByteArray& name, const QByteArray& more = {})
{
    return "[Zelmor Car Data]\r\nName=" + name + "\r\n" + more;
}

QImage Solid(Qt::GlobalColor color)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layout();
    void scan_data();
    void scan();
    void scanTwiceGivesTheSameList();
    void selection();
    void picture_data();
    void picture();
    void update();
    void updateThatCannotWrite();
    void popUpMenu();
    void commandLines();
    void commands_data();
    void commands();
    void failedStarts_data();
    void failedStarts();
    void gameStartsInItsFolder();
    void deleteCar_data();
    void deleteCar();
    void deleteWithoutSelectionDoesNothing();
    void wizardOpenings();
    void carMadeFromATemplate();

private:
    void openWindow();
    QTreeWidget* tree() const { return mWindow->findChild<QTreeWidget*>("tvwCars"); }
    QTreeWidgetItem* node(const QString& key) const;
    QStringList childTexts(int branch) const;
    QString status() const;
    void clickNode(QTreeWidgetItem* item, Qt::MouseButton button = Qt::LeftButton);
    void clickCar(const QString& key) { clickNode(node(key)); }
    void trigger(const char* name);
    template <typename T> T* control(const char* name) const
    {
        T* found = mWindow->findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    bool carButtonsEnabled() const;
    bool framesVisible() const;

    std::unique_ptr<TestWorld> mWorld;
    std::unique_ptr<MsgBoxRecorder> mBoxes;
    std::unique_ptr<LauncherRecorder> mLaunches;
    std::unique_ptr<frmMain> mWindow;
    QString mWorkingFolder;
};

void tst_MainWindow::init()
{
    mWorkingFolder = QDir::currentPath();
    mWorld = std::make_unique<TestWorld>(kTables);
    mWorld->write("program/notfound.jpg", QByteArray());
    Solid(Qt::gray).save(mWorld->programDir() + "/notfound.jpg", "JPG");
    mWorld->loadSettings();
    mBoxes = std::make_unique<MsgBoxRecorder>();
    mLaunches = std::make_unique<LauncherRecorder>();
}

void tst_MainWindow::cleanup()
{
    mWindow.reset();
    QList<QPointer<QWidget>> windows;
    for (QWidget* window : QApplication::topLevelWidgets())
        windows.append(window);
    for (const QPointer<QWidget>& window : windows) {
        if (window && !window->parentWidget())
            delete window.data();
    }
    VERIFY_BOXES(*mBoxes);
    mLaunches.reset();
    mBoxes.reset();
    mWorld.reset();
    QDir::setCurrent(mWorkingFolder);
}

void tst_MainWindow::openWindow()
{
    mWindow = std::make_unique<frmMain>();
    mWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(mWindow.get()));
}

QTreeWidgetItem* tst_MainWindow::node(const QString& key) const
{
    for (int b = 0; b < tree()->topLevelItemCount(); ++b) {
        QTreeWidgetItem* branch = tree()->topLevelItem(b);
        for (int i = 0; i < branch->childCount(); ++i) {
            if (branch->child(i)->data(0, Qt::UserRole).toString() == key)
                return branch->child(i);
        }
    }
    qFatal("no node %s", qPrintable(key));
}

QStringList tst_MainWindow::childTexts(int branch) const
{
    QStringList texts;
    QTreeWidgetItem* item = tree()->topLevelItem(branch);
    for (int i = 0; i < item->childCount(); ++i)
        texts << item->child(i)->text(0);
    return texts;
}

QString tst_MainWindow::status() const
{
    return control<QLabel>("sbrStatusText")->text();
}

void tst_MainWindow::clickNode(QTreeWidgetItem* item, Qt::MouseButton button)
{
    tree()->scrollToItem(item);
    QTest::mouseClick(tree()->viewport(), button, {}, tree()->visualItemRect(item).center());
}

void tst_MainWindow::trigger(const char* name)
{
    QAction* action = mWindow->findChild<QAction*>(QLatin1String(name));
    QVERIFY2(action, name);
    QVERIFY2(action->isEnabled(), name);
    action->trigger();
}

bool tst_MainWindow::carButtonsEnabled() const
{
    bool all = true;
    bool any = false;
    for (int n : {3, 4, 6, 7, 8}) {
        all = all && mWindow->ToolbarButton(n)->isEnabled();
        any = any || mWindow->ToolbarButton(n)->isEnabled();
    }
    if (all != any)
        qWarning("the car buttons disagree");
    return all;
}

bool tst_MainWindow::framesVisible() const
{
    const bool info = control<QGroupBox>("fraInfo")->isVisible();
    const bool image = control<QGroupBox>("fraImage")->isVisible();
    return info && image;
}

void tst_MainWindow::layout()
{
    openWindow();
    QCOMPARE(mWindow->windowTitle(), QStringLiteral("Zelmor Torvane 1.0"));

    const QStringList captions{"Refresh", "",           "Make Car",    "Delete Car",
                               "",        "Paint Skin", "Edit Params", "Open Folder",
                               "",        "Run Drovak"};
    const QStringList keys{"Refresh", "",           "Add",  "Delete", "",
                           "paint",   "editparams", "Open", "",       "run"};
    for (int n = 1; n <= 10; ++n) {
        QAction* entry = mWindow->ToolbarButton(n);
        QVERIFY(entry);
        QCOMPARE(entry->isSeparator(), n == 5 || n == 9);
        QCOMPARE(entry->data().toString(), keys[n - 1]);
        if (!keys[n - 1].isEmpty()) {
            QCOMPARE(entry->text(), captions[n - 1]);
            QVERIFY(entry->isEnabled());
        }
    }
    QVERIFY(!mWindow->ToolbarButton(11));
    QCOMPARE(mWindow->ToolbarButton(3)->toolTip(),
             QStringLiteral("Create a new car based on a current one"));
    QCOMPARE(mWindow->ToolbarButton(7)->statusTip(), QStringLiteral("Edit the parameters.txt"));
    QCOMPARE(mWindow->ToolbarButton(10)->toolTip(), QStringLiteral("Play Drovak"));

    QStringList barMenus;
    for (QAction* menu : mWindow->menuBar()->actions())
        barMenus << menu->text();
    QCOMPARE(barMenus, (QStringList{"&File", "&Tools", "&Help"}));
    QCOMPARE(control<QAction>("mnuFileExit")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_X));
    QCOMPARE(control<QMenu>("mnuPopUp")->title(), QStringLiteral("Context Menu"));
    QVERIFY(!control<QMenu>("mnuPopUp")->isVisible());

    // Right after start-up the title picture shows, not an empty panel.
    QVERIFY(control<QLabel>("Image1")->isVisible());
    QVERIFY(!control<QGroupBox>("fraInfo")->isVisible());
    QVERIFY(!control<QGroupBox>("fraImage")->isVisible());
    QVERIFY(!control<QPushButton>("cmdUpdateCarInfo")->isEnabled());
    QVERIFY(!control<QPushButton>("cmdReadMe")->isEnabled());
    QCOMPARE(mWindow->size(), mWindow->minimumSize());
    QCOMPARE(mWindow->size(), mWindow->maximumSize());
}

void tst_MainWindow::scan_data()
{
    QTest::addColumn<QStringList>("folders"); // "folder" or "folder=display name"; "file:" files
    QTest::addColumn<QStringList>("standard");
    QTest::addColumn<QStringList>("custom");

    QTest::newRow("standard, custom and omitted")
        << QStringList{"rc", "buggy=Mine", "myrc=My RC", "misc=Left Out", "plain"}
        << QStringList{"buggy (Dune Buggy)", "rc (RC Sprinter)"}
        << QStringList{"myrc (My RC)", "plain"};
    QTest::newRow("sorted by the whole node text")
        << QStringList{"zeta=Alpha", "alpha=Zed", "Beta", "beta2"} << QStringList{}
        << QStringList{"alpha (Zed)", "Beta", "beta2", "zeta (Alpha)"};
    QTest::newRow("hidden folders listed, files not")
        << QStringList{".hidden", "file:loose.txt", "file:misc.bmp"} << QStringList{}
        << QStringList{".hidden"};
    QTest::newRow("folders named like the branches")
        << QStringList{"Standard", "Custom", "Custom Cars", "Standard Cars"} << QStringList{}
        << QStringList{"Custom", "Custom Cars", "Standard", "Standard Cars"};
    QTest::newRow("no cars") << QStringList{} << QStringList{} << QStringList{};
}

void tst_MainWindow::scan()
{
    QFETCH(QStringList, folders);
    QFETCH(QStringList, standard);
    QFETCH(QStringList, custom);

    for (const QString& folder : folders) {
        if (folder.startsWith("file:"))
            mWorld->write("game/cars/" + folder.mid(5), "x");
        else if (folder.contains('='))
            mWorld->makeCar(folder.section('=', 0, 0), CarInfo(folder.section('=', 1).toUtf8()));
        else
            mWorld->makeCar(folder);
    }
    openWindow();

    QCOMPARE(tree()->topLevelItemCount(), 2);
    QCOMPARE(tree()->topLevelItem(0)->text(0), QStringLiteral("Standard Cars"));
    QCOMPARE(tree()->topLevelItem(1)->text(0), QStringLiteral("Custom Cars"));
    QVERIFY(tree()->topLevelItem(0)->isExpanded());
    QVERIFY(tree()->topLevelItem(1)->isExpanded());
    QCOMPARE(childTexts(0), standard);
    QCOMPARE(childTexts(1), custom);
    QCOMPARE(status(), QStringLiteral("%1 cars found. (%2 standard cars, %3 custom cars)")
                           .arg(standard.size() + custom.size())
                           .arg(standard.size())
                           .arg(custom.size()));
    QCOMPARE(modMain::gCars().Count(), standard.size() + custom.size());
    QVERIFY(!modMain::gCarDirs);
    QVERIFY(!framesVisible());
}

void tst_MainWindow::scanTwiceGivesTheSameList()
{
    mWorld->makeCar("rc");
    mWorld->makeCar("myrc", CarInfo("Mine"));
    // The same folder to the game: only one of them is listed.
    mWorld->makeCar("MyRC", CarInfo("Twin"));
    openWindow();
    const QStringList first = childTexts(1);
    QCOMPARE(first.size(), 1);
    clickCar("rc");
    QVERIFY(framesVisible());
    trigger("Refresh");
    QCOMPARE(childTexts(1), first);
    QCOMPARE(status(), QStringLiteral("2 cars found. (1 standard cars, 1 custom cars)"));
    QVERIFY(!framesVisible());
    // The refresh leaves the selection alone.
    QCOMPARE(mWindow->SelectedKey(), QStringLiteral("rc"));
}

void tst_MainWindow::selection()
{
    mWorld->makeCar("rc", CarInfo("Ignored"));
    mWorld->makeCar("myrc",
                    CarInfo("My RC", "Author=Me\r\nOriginalSkin=rc\r\nDescription=a|b\r\n"));
    mWorld->write("game/cars/myrc/ReadMe.TXT", "x");
    openWindow();

    clickCar("myrc");
    QVERIFY(framesVisible());
    QVERIFY(carButtonsEnabled());
    QCOMPARE(control<QGroupBox>("fraInfo")->title(), QStringLiteral("About myrc"));
    QCOMPARE(control<QLineEdit>("txtCarName")->text(), QStringLiteral("My RC"));
    QCOMPARE(control<QLineEdit>("txtCarAuthor")->text(), QStringLiteral("Me"));
    QCOMPARE(control<QLineEdit>("txtCarBasedOn")->text(), QStringLiteral("rc"));
    QCOMPARE(control<QPlainTextEdit>("txtDescription")->toPlainText(), QStringLiteral("a\nb"));
    QVERIFY(!control<QLineEdit>("txtCarName")->isReadOnly());
    QVERIFY(!control<QPushButton>("cmdUpdateCarInfo")->isEnabled());
    QVERIFY(control<QPushButton>("cmdReadMe")->isEnabled());
    QCOMPARE(mWindow->SelectedKey(), QStringLiteral("myrc"));

    clickNode(tree()->topLevelItem(0));
    QVERIFY(!framesVisible());
    QVERIFY(!carButtonsEnabled());
    QCOMPARE(mWindow->SelectedKey(), QStringLiteral("myrc"));
    QCOMPARE(mWindow->SelectedCar()->DirectoryName(), QStringLiteral("myrc"));

    clickCar("rc");
    QVERIFY(framesVisible());
    QVERIFY(carButtonsEnabled());
    QCOMPARE(control<QLineEdit>("txtCarName")->text(), QStringLiteral("RC Sprinter"));
    QVERIFY(control<QLineEdit>("txtCarName")->isReadOnly());
    QVERIFY(control<QPlainTextEdit>("txtDescription")->isReadOnly());
    QVERIFY(!control<QPushButton>("cmdReadMe")->isEnabled());

    // The keyboard moves the selection too.
    tree()->setFocus();
    QTest::keyClick(tree(), Qt::Key_Down);
    QCOMPARE(mWindow->SelectedKey(), QStringLiteral("rc"));
    QVERIFY(!framesVisible());
    QTest::keyClick(tree(), Qt::Key_Down);
    QCOMPARE(mWindow->SelectedKey(), QStringLiteral("myrc"));
    QVERIFY(framesVisible());
}

void tst_MainWindow::picture_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("shown"); // the colour shown, or 0 for an empty box

    QTest::newRow("photo before skin")
        << QStringList{"myrc.jpg:red", "car.bmp:green"} << int(Qt::red);
    QTest::newRow("photo in other letter case")
        << QStringList{"MYRC.JPG:red", "car.bmp:green"} << int(Qt::red);
    QTest::newRow("skin") << QStringList{"CAR.BMP:green"} << int(Qt::green);
    QTest::newRow("neither: the fallback") << QStringList{} << int(Qt::gray);
    QTest::newRow("undecodable photo") << QStringList{"myrc.jpg:broken", "car.bmp:green"} << 0;
}

void tst_MainWindow::picture()
{
    QFETCH(QStringList, files);
    QFETCH(int, shown);
    QDir().mkpath(mWorld->carDir("myrc"));
    for (const QString& file : files) {
        const QString name = file.section(':', 0, 0);
        const QString path = mWorld->carDir("myrc") + "/" + name;
        const QString colour = file.section(':', 1);
        if (colour == "broken")
            mWorld->write("game/cars/myrc/" + name, "not a picture");
        else
            Solid(colour == "red" ? Qt::red : Qt::green)
                .save(path, name.endsWith("bmp", Qt::CaseInsensitive) ? "BMP" : "JPG");
    }
    openWindow();
    clickCar("myrc");

    const QPixmap pixmap = control<QLabel>("imgSkin")->pixmap();
    if (shown == 0) {
        QVERIFY(pixmap.isNull());
    } else {
        const QColor colour = pixmap.toImage().pixelColor(4, 4);
        const QColor expected{Qt::GlobalColor(shown)};
        QVERIFY2(qAbs(colour.red() - expected.red()) < 40 &&
                     qAbs(colour.green() - expected.green()) < 40 &&
                     qAbs(colour.blue() - expected.blue()) < 40,
                 qPrintable(colour.name()));
    }
    // The rest of the selection completes whatever the picture.
    QVERIFY(carButtonsEnabled());
    QCOMPARE(mWindow->SelectedKey(), QStringLiteral("myrc"));
}

void tst_MainWindow::update()
{
    mWorld->makeCar("myrc", CarInfo("My RC"));
    openWindow();
    clickCar("myrc");
    auto* update = control<QPushButton>("cmdUpdateCarInfo");
    QVERIFY(!update->isEnabled());
    QTest::keyClicks(control<QLineEdit>("txtCarName"), "X");
    QVERIFY(update->isEnabled());
    QTest::keyClicks(control<QLineEdit>("txtCarAuthor"), "Zo");
    control<QLineEdit>("txtCarAuthor")->insert(QStringLiteral("é"));
    auto* description = control<QPlainTextEdit>("txtDescription");
    description->setFocus();
    QTest::keyClicks(description, "one");
    QTest::keyClick(description, Qt::Key_Return);
    QTest::keyClicks(description, "two");
    QTest::mouseClick(update, Qt::LeftButton);

    QVERIFY(!update->isEnabled());
    QCOMPARE(mWorld->read("game/cars/myrc/carinfo.ini"),
             QByteArray("[Zelmor Car Data]\r\nName=My RCX\r\nAuthor=Zo\xe9\r\nOriginalSkin=\r\n"
                        "Description=one|two\r\n"));
    QCOMPARE(mWindow->SelectedCar()->Description(), QStringLiteral("one\r\ntwo"));
    // The tree keeps the old name until the next scan.
    QCOMPARE(node("myrc")->text(0), QStringLiteral("myrc (My RC)"));
    trigger("Refresh");
    QCOMPARE(node("myrc")->text(0), QStringLiteral("myrc (My RCX)"));
}

void tst_MainWindow::updateThatCannotWrite()
{
    mWorld->makeCar("myrc");
    openWindow();
    clickCar("myrc");
    QVERIFY(QDir().mkpath(mWorld->carDir("myrc") + "/carinfo.ini"));
    QTest::keyClicks(control<QLineEdit>("txtCarName"), "New");

    mBoxes->expect();
    QTest::mouseClick(control<QPushButton>("cmdUpdateCarInfo"), Qt::LeftButton);
    QCOMPARE(mBoxes->only().title, QStringLiteral("Error"));
    QCOMPARE(mBoxes->only().text, QStringLiteral("There was an error updating the settings."));
    QCOMPARE(mBoxes->only().icon, MsgBox::Icon::Critical);
    QVERIFY(control<QPushButton>("cmdUpdateCarInfo")->isEnabled());
    QCOMPARE(control<QLineEdit>("txtCarName")->text(), QStringLiteral("New"));
}

void tst_MainWindow::popUpMenu()
{
    mWorld->makeCar("rc");
    mWorld->makeCar("myrc");
    openWindow();
    auto* popUp = control<QMenu>("mnuPopUp");

    // Nothing selected yet: nothing opens.
    clickNode(node("rc"), Qt::RightButton);
    QVERIFY(!popUp->isVisible());

    clickNode(tree()->topLevelItem(1));
    clickNode(node("myrc"), Qt::RightButton);
    QVERIFY(!popUp->isVisible());

    clickCar("myrc");
    // The menu acts on the selected node, whatever node is under the mouse.
    clickNode(node("rc"), Qt::RightButton);
    QTRY_VERIFY(popUp->isVisible());
    QCOMPARE(tree()->currentItem(), node("myrc"));
    popUp->close();
}

void tst_MainWindow::commandLines()
{
    QCOMPARE(frmMain::ParametersCommandLine("/tools/edit", "/games/Drovak/cars", "myrc"),
             QStringLiteral("/tools/edit \"/games/Drovak/cars/myrc/parameters.txt\""));
    QCOMPARE(frmMain::ReadMeCommandLine("/tools/my edit", "/games/Dro vak/cars", "my rc"),
             QStringLiteral("/tools/my edit \"/games/Dro vak/cars/my rc/readme.txt\""));
    QCOMPARE(frmMain::SkinCommandLine("/tools/paint", "/games/Drovak/cars", "myrc"),
             QStringLiteral("/tools/paint \"/games/Drovak/cars/myrc/car.bmp\""));
    QCOMPARE(frmMain::FolderCommandLine("/games/Drovak/cars", "myrc"),
             QStringLiteral("Explorer \"/games/Drovak/cars/myrc\""));
}

void tst_MainWindow::commands_data()
{
    QTest::addColumn<QString>("command"); // an action's name, or a control's to click
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("target"); // under the world's root; "$text"/"$image": the editor
    QTest::addColumn<QString>("argument");

    QTest::newRow("Edit Params") << "editparams" << int(LauncherKind::Program) << "$text"
                                 << "game/cars/my rc;x/Parameters.TXT";
    QTest::newRow("View ReadMe File") << "cmdReadMe" << int(LauncherKind::Program) << "$text"
                                      << "game/cars/my rc;x/ReadMe.txt";
    QTest::newRow("Paint Skin") << "paint" << int(LauncherKind::Program) << "$image"
                                << "game/cars/my rc;x/CAR.BMP";
    QTest::newRow("skin picture click") << "imgSkin" << int(LauncherKind::Program) << "$image"
                                        << "game/cars/my rc;x/CAR.BMP";
    QTest::newRow("Open Folder") << "Open" << int(LauncherKind::Folder) << "game/cars/my rc;x"
                                 << "";
    QTest::newRow("Merrowin's page")
        << "mnuHelpWebMerrowin" << int(LauncherKind::Url) << "https://www.merrowin.example/drovak/"
        << "";
    QTest::newRow("web ring") << "mnuHelpWebWR" << int(LauncherKind::Url)
                              << "https://webring.example/cgi-bin/webring?ring=drovak;list"
                              << "";
}

void tst_MainWindow::commands()
{
    QFETCH(QString, command);
    QFETCH(int, kind);
    QFETCH(QString, target);
    QFETCH(QString, argument);

    // A folder name with a blank, a semicolon and a quote reaches the program as one argument.
    const QString folder = QStringLiteral("my rc;x");
    mWorld->makeCar(folder);
    QFile::rename(mWorld->carDir(folder) + "/car.bmp", mWorld->carDir(folder) + "/CAR.BMP");
    mWorld->write("game/cars/" + folder + "/Parameters.TXT", "x");
    mWorld->write("game/cars/" + folder + "/ReadMe.txt", "x");
    const QString textEditor = mWorld->write("tools/text editor", "x");
    const QString imageEditor = mWorld->write("tools/paint", "x");
    modMain::gSettings().setTextEditorPath(textEditor);
    modMain::gSettings().setImageEditorPath(imageEditor);
    openWindow();
    clickCar(folder);

    if (mWindow->findChild<QAction*>(command))
        trigger(qPrintable(command));
    else
        QTest::mouseClick(mWindow->findChild<QWidget*>(command), Qt::LeftButton);

    QCOMPARE(mLaunches->calls().size(), 1);
    const LauncherRecorder::Call call = mLaunches->calls().first();
    QCOMPARE(int(call.kind), kind);
    if (target == "$text")
        target = textEditor;
    else if (target == "$image")
        target = imageEditor;
    else if (kind != int(LauncherKind::Url))
        target = mWorld->root() + "/" + target;
    QCOMPARE(call.target, target);
    QCOMPARE(call.arguments,
             argument.isEmpty() ? QStringList{} : QStringList{mWorld->root() + "/" + argument});
}

void tst_MainWindow::failedStarts_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("textEditor");  // "$file": an existing file
    QTest::addColumn<QString>("imageEditor"); // "$folder": an existing folder
    QTest::addColumn<QString>("launchFailure");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    const QString noText =
        "There is no text editor specified.  Go into Tools/Options and select one.";
    const QString noImage =
        "There is no image editor specified.  Go into Tools/Options and select one.";
    QTest::newRow("no text editor") << "editparams"
                                    << ""
                                    << ""
                                    << ""
                                    << "No Editor Specified" << noText;
    QTest::newRow("text editor removed") << "cmdReadMe"
                                         << "/no/such/editor"
                                         << ""
                                         << ""
                                         << "No Editor Specified" << noText;
    QTest::newRow("no image editor") << "paint"
                                     << ""
                                     << ""
                                     << ""
                                     << "No Editor Specified" << noImage;
    QTest::newRow("image editor is a folder") << "paint"
                                              << ""
                                              << "$folder"
                                              << ""
                                              << "No Editor Specified" << noImage;
    QTest::newRow("text editor that will not start") << "editparams"
                                                     << "$file"
                                                     << ""
                                                     << "Could not start the editor"
                                                     << "Torvane"
                                                     << "Could not start the editor";
    QTest::newRow("no file manager") << "Open"
                                     << ""
                                     << ""
                                     << "No file manager"
                                     << "Torvane"
                                     << "No file manager";
}

void tst_MainWindow::failedStarts()
{
    QFETCH(QString, command);
    QFETCH(QString, textEditor);
    QFETCH(QString, imageEditor);
    QFETCH(QString, launchFailure);

    mWorld->makeCar("myrc");
    mWorld->write("game/cars/myrc/readme.txt", "x");
    if (textEditor == "$file")
        textEditor = mWorld->write("tools/edit", "x");
    if (imageEditor == "$folder")
        imageEditor = mWorld->root() + "/game";
    modMain::gSettings().setTextEditorPath(textEditor);
    modMain::gSettings().setImageEditorPath(imageEditor);
    mLaunches->failWith(launchFailure);
    openWindow();
    clickCar("myrc");

    mBoxes->expect();
    if (mWindow->findChild<QAction*>(command))
        trigger(qPrintable(command));
    else
        QTest::mouseClick(mWindow->findChild<QWidget*>(command), Qt::LeftButton);
    QTEST(mBoxes->only().title, "title");
    QTEST(mBoxes->only().text, "text");
    QCOMPARE(mLaunches->calls().size(), launchFailure.isEmpty() ? 0 : 1);
    QVERIFY(mWindow->isVisible());
}

void tst_MainWindow::gameStartsInItsFolder()
{
    mWorld->write("game/DROVAK.EXE", "x");
    openWindow();
    for (int run = 0; run < 2; ++run) {
        QDir::setCurrent(mWorld->root());
        trigger("run");
    }
    QCOMPARE(QDir::currentPath(), QDir(mWorld->gameDir()).canonicalPath());
    QCOMPARE(mLaunches->calls().size(), 2);
    const LauncherRecorder::Call call = mLaunches->calls().last();
    const QString game = mWorld->gameDir() + "/DROVAK.EXE";
    const QString wine = QStandardPaths::findExecutable("wine");
    QCOMPARE(call.target, wine.isEmpty() ? game : wine);
    QCOMPARE(call.arguments, wine.isEmpty() ? QStringList{} : QStringList{game});
    QCOMPARE(call.workingFolder, mWorld->gameDir());
}

void tst_MainWindow::deleteCar_data()
{
    QTest::addColumn<QString>("car");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("answer"); // -1: no question
    QTest::addColumn<bool>("deleted");

    QTest::newRow("standard car refused") << "rc"
                                          << "Delete" << -1 << false;
    QTest::newRow("No changes nothing") << "myrc"
                                        << "Delete" << int(MsgBox::Answer::No) << false;
    QTest::newRow("Yes deletes") << "myrc"
                                 << "Delete" << int(MsgBox::Answer::Yes) << true;
    QTest::newRow("from the pop-up menu") << "myrc"
                                          << "mnuPopUpDelete" << int(MsgBox::Answer::Yes) << true;
    QTest::newRow("a linked car folder loses only the link")
        << "linked"
        << "Delete" << int(MsgBox::Answer::Yes) << true;
}

void tst_MainWindow::deleteCar()
{
    QFETCH(QString, car);
    QFETCH(QString, command);
    QFETCH(int, answer);
    QFETCH(bool, deleted);

    mWorld->makeCar("rc");
    mWorld->makeCar("myrc", CarInfo("My RC"));
    const QString outside = mWorld->write("outside/car.bmp", "x");
    QVERIFY(QFile::link(mWorld->root() + "/outside", mWorld->carDir("linked")));
    openWindow();
    clickCar(car);

    if (answer < 0) {
        mBoxes->expect();
    } else {
        mBoxes->expect(MsgBox::Answer(answer));
        if (answer == int(MsgBox::Answer::Yes))
            mBoxes->expect(); // the record's own "Car Deleted"
    }
    trigger(qPrintable(command));
    VERIFY_BOXES(*mBoxes);

    const MsgBox::Box first = mBoxes->boxes().first();
    if (answer < 0) {
        QCOMPARE(first.title, QStringLiteral("Cannot Delete"));
        QCOMPARE(first.text, QStringLiteral("This is an actual game car and cannot be deleted."));
        QCOMPARE(first.icon, MsgBox::Icon::Information);
    } else {
        QCOMPARE(first.title, QStringLiteral("Warning!"));
        QCOMPARE(first.text,
                 QStringLiteral("Are you sure you want to delete '%1'? All of its files "
                                "will be PERMANENTLY deleted!")
                     .arg(car));
        QCOMPARE(first.icon, MsgBox::Icon::Question);
        QCOMPARE(first.buttons, MsgBox::Buttons::YesNo);
    }
    QCOMPARE(QFileInfo(mWorld->carDir(car)).exists() || QFileInfo(mWorld->carDir(car)).isSymLink(),
             !deleted);
    QVERIFY(QFile::exists(outside));
    QCOMPARE(carButtonsEnabled(), !deleted);
    QCOMPARE(framesVisible(), !deleted);
    if (deleted) {
        QCOMPARE(mBoxes->boxes().last().title, QStringLiteral("Car Deleted"));
        QVERIFY(!modMain::gCars().Contains(car));
        QCOMPARE(status(), QStringLiteral("2 cars found. (1 standard cars, 1 custom cars)"));
    }
}

void tst_MainWindow::deleteWithoutSelectionDoesNothing()
{
    mWorld->makeCar("myrc");
    openWindow();
    clickCar("myrc");
    trigger("Refresh");
    // The toolbar buttons keep their state after a refresh, but no car is selected in the tree.
    trigger("Delete");
    QVERIFY(mBoxes->boxes().isEmpty());
    QVERIFY(QFileInfo::exists(mWorld->carDir("myrc")));
}

void tst_MainWindow::wizardOpenings()
{
    mWorld->makeCar("myrc");
    openWindow();
    clickCar("myrc");
    trigger("Add");
    trigger("mnuFileNew");
    trigger("mnuPopUpTemplate");
    const auto wizards = QApplication::topLevelWidgets();
    int open = 0;
    for (QWidget* w : wizards)
        open += qobject_cast<frmCreateCarWizard*>(w) && w->isVisible();
    QCOMPARE(open, 3);
    // Opening a wizard rescans the list.
    QVERIFY(!framesVisible());
}

void tst_MainWindow::carMadeFromATemplate()
{
    mWorld->makeCar("rc");
    mWorld->write("game/cars/rc/parameters.txt",
                  "Name\t\t\"RC Sprinter\"\r\nObtain\t\t2\r\nModel\t0\t\"cars\\rc\\body.prm\"\r\n");
    modMain::gSettings().setAuthor("Me");
    openWindow();
    clickCar("rc");
    trigger("mnuPopUpTemplate");

    frmCreateCarWizard* wizard = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<frmCreateCarWizard*>(w))
            wizard = found;
    }
    QVERIFY(wizard);
    QCOMPARE(wizard->findChild<QComboBox*>("cboCarNames")->currentText(), QStringLiteral("rc"));
    QTest::keyClicks(wizard->findChild<QLineEdit*>("txtCarName"), "My Racer");
    QTest::keyClicks(wizard->findChild<QLineEdit*>("txtDirName"), "myrc");
    mBoxes->expect();
    QTest::mouseClick(wizard->findChild<QPushButton*>("cmdFinish"), Qt::LeftButton);
    QCOMPARE(mBoxes->only().title, QStringLiteral("Success!"));

    trigger("Refresh");
    QCOMPARE(childTexts(1), QStringList{"myrc (My Racer)"});
    const QByteArray parameters = mWorld->read("game/cars/myrc/parameters.txt");
    QVERIFY2(parameters.contains("\"cars\\myrc\\body.prm\""), parameters.constData());
    QVERIFY2(parameters.contains("Name\t\t\"My Racer\""), parameters.constData());
}

QTEST_MAIN(tst_MainWindow)
#include "tst_MainWindow.moc"
