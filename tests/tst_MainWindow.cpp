#include "LauncherRecorder.h"
#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "app/cSettings.h"
#include "app/modMain.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"
#include "ui/main/CarTreeModel.h"
#include "ui/main/frmMain.h"
#include "platform/FileSystem.h"
#include "ui/about/frmAbout.h"
#include "ui/options/frmGetDirectory.h"
#include "ui/options/frmOptions.h"
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
#include <QStatusBar>
#include <QStyle>
#include <QStyleOption>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QTest>
#include <QTreeView>

#include <memory>

namespace {

QByteArray CarInfo(const QByteArray& name, const QByteArray& more = {})
{
    return "[Zelmor Car Data]\r\nName=" + name + "\r\n" + more;
}

void SavePicture(const QString& path, int width)
{
    QImage image(width, 8, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    image.save(path, path.endsWith("bmp", Qt::CaseInsensitive) ? "BMP" : "JPG");
}

// What of a window's captions is cut off, in the fonts in use: labels, buttons, frame
// captions, toolbar captions and the menu bar's texts. Empty when every one fits.
QStringList CutCaptions(QWidget* window)
{
    QStringList cut;
    const auto check = [&cut](const QWidget* w, const QString& text, QSize need, QSize room) {
        if (need.width() > room.width() || need.height() > room.height())
            cut << QStringLiteral("%1 \"%2\" needs %3x%4 px, has %5x%6")
                       .arg(w->objectName(), text)
                       .arg(need.width())
                       .arg(need.height())
                       .arg(room.width())
                       .arg(room.height());
    };
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        const QRect room = label->contentsRect();
        if (label->text().isEmpty())
            continue;
        if (label->wordWrap())
            check(label, label->text(), {room.width(), label->heightForWidth(room.width())},
                  room.size());
        else
            check(label, label->text(), label->fontMetrics().size(Qt::TextShowMnemonic, label->text()),
                  room.size());
    }
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->text().isEmpty() || !button->isVisibleTo(window))
            continue;
        if (const auto* push = qobject_cast<const QPushButton*>(button)) {
            QStyleOptionButton option;
            option.initFrom(push);
            option.text = push->text();
            const QRect room = push->style()->subElementRect(QStyle::SE_PushButtonContents, &option, push);
            check(push, push->text(), push->fontMetrics().size(Qt::TextShowMnemonic, push->text()),
                  room.size());
        } else if (const auto* tool = qobject_cast<const QToolButton*>(button);
                   tool && tool->toolButtonStyle() == Qt::ToolButtonTextUnderIcon) {
            // The caption is drawn below the icon, inside the button's frame.
            const int frame = tool->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
            const QSize text = tool->fontMetrics().size(Qt::TextShowMnemonic, tool->text());
            check(tool, tool->text(), text,
                  {tool->width() - 2 * frame, tool->height() - tool->iconSize().height() - 4});
            check(tool, tool->text(), {tool->geometry().right(), 0}, tool->parentWidget()->size());
        } else {
            check(button, button->text(), button->sizeHint(), button->size());
        }
    }
    for (const QGroupBox* box : window->findChildren<QGroupBox*>()) {
        if (box->title().isEmpty())
            continue;
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.subControls = QStyle::SC_GroupBoxLabel;
        const QRect label =
            box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        check(box, box->title(), {label.right() + 1, label.height()}, box->size());
    }
    for (const QMenuBar* bar : window->findChildren<QMenuBar*>()) {
        for (QAction* menu : bar->actions())
            check(bar, menu->text(), {bar->actionGeometry(menu).right() + 1, 0}, bar->size());
    }
    return cut;
}

const QString kNoText = "There is no text editor specified.  Go into Tools/Options and select one.";
const QString kNoImage =
    "There is no image editor specified.  Go into Tools/Options and select one.";

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void layout();
    void captionsFit();
    void scan_data();
    void scan();
    void selection();
    void selectionFollowsTheTree_data();
    void selectionFollowsTheTree();
    void statusLineKeepsTheCount();
    void longNamesInTooltips();
    void namesAsTheGameSeesThem();
    void picture_data();
    void picture();
    void update();
    void popUpMenu();
    void commandLines();
    void commands_data();
    void commands();
    void gameStartsInItsFolder();
    void deleteCar_data();
    void deleteCar();
    void carMadeFromATemplate();

private:
    void openWindow();
    QTreeView* tree() const { return control<QTreeView>("tvwCars"); }
    CarTreeModel* cars() const { return static_cast<CarTreeModel*>(tree()->model()); }
    QModelIndex node(const QString& key) const;
    QModelIndex branch(int row) const { return cars()->branch(row); }
    QStringList childTexts(int branch) const;
    void clickNode(const QModelIndex& node, Qt::MouseButton button = Qt::LeftButton,
                   Qt::KeyboardModifiers modifiers = {});
    // Triggers the action, or clicks the control, of that name.
    void act(const QString& name);
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
    mWorld = std::make_unique<TestWorld>();
    SavePicture(mWorld->programDir() + "/notfound.jpg", 30);
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

QModelIndex tst_MainWindow::node(const QString& key) const
{
    const QModelIndex found = cars()->car(key);
    if (!found.isValid())
        qFatal("no node %s", qPrintable(key));
    return found;
}

QStringList tst_MainWindow::childTexts(int row) const
{
    QStringList texts;
    for (int i = 0; i < cars()->rowCount(branch(row)); ++i)
        texts << cars()->index(i, 0, branch(row)).data().toString();
    return texts;
}

void tst_MainWindow::clickNode(const QModelIndex& node, Qt::MouseButton button,
                               Qt::KeyboardModifiers modifiers)
{
    tree()->scrollTo(node);
    QTest::mouseClick(tree()->viewport(), button, modifiers, tree()->visualRect(node).center());
}

void tst_MainWindow::act(const QString& name)
{
    if (QAction* action = mWindow->findChild<QAction*>(name)) {
        QVERIFY2(action->isEnabled(), qPrintable(name));
        action->trigger();
    } else {
        QTest::mouseClick(mWindow->findChild<QWidget*>(name), Qt::LeftButton);
    }
}

bool tst_MainWindow::carButtonsEnabled() const
{
    bool all = true;
    for (int n : {3, 4, 6, 7, 8})
        all = all && mWindow->ToolbarButton(n)->isEnabled();
    return all;
}

bool tst_MainWindow::framesVisible() const
{
    return control<QGroupBox>("fraInfo")->isVisible() &&
           control<QGroupBox>("fraImage")->isVisible();
}

void tst_MainWindow::layout()
{
    openWindow();
    QCOMPARE(mWindow->windowTitle(), QStringLiteral("Zelmor Torvane 1.0"));
    // Entries keep their numbers, blank space and separators included.
    QCOMPARE(mWindow->ToolbarButton(3)->text(), QStringLiteral("Make Car"));
    QCOMPARE(mWindow->ToolbarButton(8)->text(), QStringLiteral("Open Folder"));
    QVERIFY(mWindow->ToolbarButton(5)->isSeparator() && mWindow->ToolbarButton(9)->isSeparator());
    QCOMPARE(mWindow->ToolbarButton(10)->data().toString(), QStringLiteral("run"));
    QVERIFY(!mWindow->ToolbarButton(11));
    QStringList barMenus;
    for (QAction* menu : mWindow->menuBar()->actions())
        barMenus << menu->text();
    QCOMPARE(barMenus, (QStringList{"&File", "&Tools", "&Help"}));
    // Right after start-up the title picture shows, not an empty panel, and the buttons are
    // as laid out.
    QVERIFY(control<QLabel>("Image1")->isVisible());
    QVERIFY(!framesVisible());
    QVERIFY(carButtonsEnabled());
}

void tst_MainWindow::captionsFit()
{
    mWorld->makeCar("rc");
    openWindow();
    clickNode(node("rc"));
    (new frmCreateCarWizard)->show();
    frmOptions::ShowShared();
    frmGetDirectory::ShowShared();
    frmAbout::ShowShared();
    int checked = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || qobject_cast<QMenu*>(window))
            continue;
        ++checked;
        const QStringList cut = CutCaptions(window);
        QVERIFY2(cut.isEmpty(), qPrintable(window->objectName() + ": " + cut.join("; ")));
    }
    QCOMPARE(checked, 5);
}

void tst_MainWindow::scan_data()
{
    QTest::addColumn<QStringList>("folders"); // "folder", "folder=display name", "file:name"
    QTest::addColumn<QStringList>("standard");
    QTest::addColumn<QStringList>("custom");

    // clang-format off
    QTest::newRow("standard, custom and omitted") << QStringList{"rc", "buggy=Mine", "myrc=My RC", "misc=Left Out", "plain"} << QStringList{"buggy (Dune Buggy)", "rc (RC Sprinter)"} << QStringList{"myrc (My RC)", "plain"};
    QTest::newRow("sorted by the whole node text") << QStringList{"zeta=Alpha", "alpha=Zed", "Beta", "beta2"} << QStringList{} << QStringList{"alpha (Zed)", "Beta", "beta2", "zeta (Alpha)"};
    QTest::newRow("as a file manager orders names") << QStringList{"car10", "car2", "Zeta", "\u00e9lan", "Elan", "alpha", "car2 (b)=x"} << QStringList{} << QStringList{"alpha", "car2", "car2 (b) (x)", "car10", "Elan", "\u00e9lan", "Zeta"};
    QTest::newRow("hidden folders listed, files not") << QStringList{".hidden", "file:loose.txt"} << QStringList{} << QStringList{".hidden"};
    QTest::newRow("folders named like the branches") << QStringList{"Standard", "Custom Cars"} << QStringList{} << QStringList{"Custom Cars", "Standard"};
    QTest::newRow("one folder in two letter cases") << QStringList{"myrc=Mine", "MYRC=Mine"} << QStringList{} << QStringList{"?"};
    QTest::newRow("no cars") << QStringList{} << QStringList{} << QStringList{};
    // clang-format on
}

void tst_MainWindow::scan()
{
    QFETCH(QStringList, folders);
    QFETCH(QStringList, standard);
    QFETCH(QStringList, custom);
    for (const QString& folder : folders) {
        if (folder.startsWith("file:"))
            mWorld->write("game/cars/" + folder.mid(5), "x");
        else
            mWorld->makeCar(folder.section('=', 0, 0),
                            folder.contains('=') ? CarInfo(folder.section('=', 1).toUtf8()) : "");
    }
    openWindow();
    clickNode(branch(0));

    for (int pass = 0; pass < 2; ++pass) { // a second scan gives the same list
        QCOMPARE(branch(0).data().toString(), QStringLiteral("Standard Cars"));
        QCOMPARE(branch(1).data().toString(), QStringLiteral("Custom Cars"));
        QVERIFY(tree()->isExpanded(branch(0)) && tree()->isExpanded(branch(1)));
        QCOMPARE(childTexts(0), standard);
        if (custom == QStringList{"?"}) // the game sees one folder: which one is listed is free
            QCOMPARE(childTexts(1).size(), 1);
        else
            QCOMPARE(childTexts(1), custom);
        const qsizetype count = standard.size() + childTexts(1).size();
        QCOMPARE(control<QLabel>("sbrStatusText")->text(),
                 QStringLiteral("%1 cars found. (%2 standard cars, %3 custom cars)")
                     .arg(count)
                     .arg(standard.size())
                     .arg(childTexts(1).size()));
        QCOMPARE(modMain::gCars().Count(), count);
        QVERIFY(!framesVisible());
        act("Refresh");
    }
}

void tst_MainWindow::selection()
{
    mWorld->makeCar("rc", CarInfo("Ignored"));
    mWorld->makeCar("myrc",
                    CarInfo("My RC", "Author=Me\r\nOriginalSkin=rc\r\nDescription=a|b\r\n"));
    mWorld->write("game/cars/myrc/ReadMe.TXT", "x");
    openWindow();

    clickNode(node("myrc"));
    QVERIFY(framesVisible() && carButtonsEnabled());
    QCOMPARE(control<QGroupBox>("fraInfo")->title(), QStringLiteral("About myrc"));
    QCOMPARE(control<QLineEdit>("txtCarName")->text(), QStringLiteral("My RC"));
    QCOMPARE(control<QLineEdit>("txtCarBasedOn")->text(), QStringLiteral("rc"));
    QCOMPARE(control<QPlainTextEdit>("txtDescription")->toPlainText(), QStringLiteral("a\nb"));
    QVERIFY(!control<QLineEdit>("txtCarName")->isReadOnly());
    QVERIFY(!control<QPushButton>("cmdUpdateCarInfo")->isEnabled());
    QVERIFY(control<QPushButton>("cmdReadMe")->isEnabled());

    // A branch hides the panel and disables the car buttons, but keeps the selected car.
    clickNode(branch(0));
    QVERIFY(!framesVisible() && !carButtonsEnabled());
    QCOMPARE(mWindow->SelectedKey(), QStringLiteral("myrc"));

    clickNode(node("rc"));
    QCOMPARE(control<QLineEdit>("txtCarName")->text(), QStringLiteral("RC Sprinter"));
    QVERIFY(control<QLineEdit>("txtCarAuthor")->isReadOnly());
    QVERIFY(control<QPlainTextEdit>("txtDescription")->isReadOnly());
    QVERIFY(!control<QPushButton>("cmdReadMe")->isEnabled());

    // The keyboard moves through the tree as clicks do.
    tree()->setFocus();
    QTest::keyClick(tree(), Qt::Key_Down);
    QVERIFY(!framesVisible());
    QTest::keyClick(tree(), Qt::Key_Down);
    QCOMPARE(mWindow->SelectedKey(), QStringLiteral("myrc"));
    QVERIFY(framesVisible());
}

void tst_MainWindow::selectionFollowsTheTree_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("shown"); // the car the panel must show; "" for none

    // clang-format off
    QTest::newRow("a click") << "click" << "nightcab";
    QTest::newRow("press on a car, release on another") << "drag" << "zeta";
    QTest::newRow("press on a car, release on empty space") << "drag away" << "nightcab";
    QTest::newRow("the keyboard") << "down" << "nightcab";
    QTest::newRow("the program") << "program" << "nightcab";
    QTest::newRow("Ctrl+click on the selected car") << "ctrl" << "";
    QTest::newRow("the shown car clicked again") << "again" << "bluebuggy";
    // clang-format on
}

// However the tree's selected node changes, the panel and the car commands name it.
void tst_MainWindow::selectionFollowsTheTree()
{
    QFETCH(QString, way);
    QFETCH(QString, shown);
    for (const char* car : {"bluebuggy", "nightcab", "zeta"})
        mWorld->makeCar(car, CarInfo(car));
    modMain::gSettings().setTextEditorPath(mWorld->write("tools/edit", "x"));
    openWindow();
    clickNode(node("bluebuggy"));
    QTest::keyClicks(control<QLineEdit>("txtCarName"), " edited");

    const QPoint nightcab = tree()->visualRect(node("nightcab")).center();
    QWidget* view = tree()->viewport();
    if (way == "click") {
        clickNode(node("nightcab"));
    } else if (way.startsWith("drag")) {
        const QPoint to = way == "drag" ? tree()->visualRect(node("zeta")).center()
                                        : QPoint(nightcab.x(), view->height() - 2);
        QTest::mousePress(view, Qt::LeftButton, {}, nightcab);
        QTest::mouseMove(view, to);
        QTest::mouseRelease(view, Qt::LeftButton, {}, to);
    } else if (way == "down") {
        tree()->setFocus();
        QTest::keyClick(tree(), Qt::Key_Down);
    } else if (way == "program") {
        tree()->setCurrentIndex(node("nightcab"));
    } else if (way == "ctrl") {
        clickNode(node("bluebuggy"), Qt::LeftButton, Qt::ControlModifier);
    } else {
        clickNode(node("bluebuggy"));
    }

    const QModelIndexList selected = tree()->selectionModel()->selectedIndexes();
    QCOMPARE(selected.isEmpty() ? QString() : cars()->key(selected.first()), shown);
    QCOMPARE(carButtonsEnabled(), !shown.isEmpty());
    QCOMPARE(framesVisible(), !shown.isEmpty());
    if (shown.isEmpty())
        return;
    QCOMPARE(mWindow->SelectedKey(), shown);
    QCOMPARE(control<QGroupBox>("fraInfo")->title(), "About " + shown);
    QCOMPARE(control<QLineEdit>("txtCarName")->text(), shown); // an edit left is dropped
    QVERIFY(!control<QPushButton>("cmdUpdateCarInfo")->isEnabled());
    act("editparams");
    QCOMPARE(mLaunches->calls().value(0).arguments,
             QStringList{mWorld->carDir(shown) + "/parameters.txt"});
}

// The status line holds the count; a toolbar button's description never replaces it.
void tst_MainWindow::statusLineKeepsTheCount()
{
    mWorld->makeCar("myrc");
    openWindow();
    auto* count = control<QLabel>("sbrStatusText");
    const QString text = count->text();
    QWidget* makeCar = control<QToolBar>("Toolbar1")->widgetForAction(mWindow->ToolbarButton(3));
    QTest::mouseMove(makeCar);
    QTest::mouseMove(tree());
    QTest::mouseMove(makeCar);
    QCOMPARE(mWindow->statusBar()->currentMessage(), QString());
    QVERIFY(count->isVisible());
    QCOMPARE(count->text(), text);
}

// The tree is narrow: a long node text is cut off, and its tooltip shows the whole of it.
void tst_MainWindow::longNamesInTooltips()
{
    mWorld->makeCar("longcar", CarInfo("A Name Far Too Long For The Narrow Tree To Show Whole"));
    openWindow();
    const QPoint at = tree()->visualRect(node("longcar")).center();
    QHelpEvent help(QEvent::ToolTip, at, tree()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(tree()->viewport(), &help);
    QTRY_COMPARE(QToolTip::text(),
                 QStringLiteral("longcar (A Name Far Too Long For The Narrow Tree To Show Whole)"));
    QToolTip::hideText();
}

// A cars folder copied from Windows may be spelled "CARS", and a car folder named in
// Windows-1252 ("café"): the list, the panel and the commands all reach them.
void tst_MainWindow::namesAsTheGameSeesThem()
{
    const QString cafe = FileSystem::Decode("caf\xe9");
    QVERIFY(FileSystem::CreateFolder(mWorld->carsDir() + '/' + cafe, nullptr));
    QVERIFY(FileSystem::ReplaceFile(mWorld->carsDir() + '/' + cafe + "/carinfo.ini",
                                    "[Zelmor Car Data]\r\nName=Caf\xe9 Racer\r\n", nullptr));
    QVERIFY(QDir(mWorld->gameDir()).rename("cars", "CARS"));
    modMain::gSettings().setTextEditorPath(mWorld->write("tools/edit", "x"));
    openWindow();
    QCOMPARE(childTexts(1), QStringList{QStringLiteral("caf\u00e9 (Caf\u00e9 Racer)")});
    clickNode(node(cafe));
    QCOMPARE(control<QGroupBox>("fraInfo")->title(), QStringLiteral("About caf\u00e9"));
    act("editparams");
    QCOMPARE(mLaunches->calls().value(0).arguments,
             QStringList{mWorld->gameDir() + "/CARS/" + cafe + "/parameters.txt"});
}

void tst_MainWindow::picture_data()
{
    // Each picture has a size of its own: a photo 10 pixels wide, a skin 20, the fallback 30.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("shown"); // the width shown, or 0 for an empty box

    // clang-format off
    QTest::newRow("photo before skin") << QStringList{"MYRC.JPG", "car.bmp"} << 10;
    QTest::newRow("skin") << QStringList{"CAR.BMP"} << 20;
    QTest::newRow("neither: the fallback") << QStringList{} << 30;
    QTest::newRow("undecodable photo") << QStringList{"myrc.jpg:broken", "car.bmp"} << 0;
    // clang-format on
}

void tst_MainWindow::picture()
{
    QFETCH(QStringList, files);
    QDir().mkpath(mWorld->carDir("myrc"));
    for (const QString& file : files) {
        const QString path = mWorld->carDir("myrc") + "/" + file.section(':', 0, 0);
        if (file.endsWith(":broken"))
            mWorld->write("game/cars/myrc/" + file.section(':', 0, 0), "not a picture");
        else
            SavePicture(path, path.endsWith("bmp", Qt::CaseInsensitive) ? 20 : 10);
    }
    openWindow();
    clickNode(node("myrc"));
    QTEST(control<QLabel>("imgSkin")->pixmap().width(), "shown");
    // The rest of the selection completes whatever the picture.
    QVERIFY(carButtonsEnabled());
}

void tst_MainWindow::update()
{
    mWorld->makeCar("myrc", CarInfo("My RC"));
    openWindow();
    clickNode(node("myrc"));
    auto* update = control<QPushButton>("cmdUpdateCarInfo");
    QTest::keyClicks(control<QLineEdit>("txtCarName"), "X");
    QVERIFY(update->isEnabled());
    control<QLineEdit>("txtCarAuthor")->insert(QStringLiteral("Zoé"));
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
    // The tree keeps the old name until the next scan.
    QCOMPARE(node("myrc").data().toString(), QStringLiteral("myrc (My RC)"));

    // A file that cannot be written: the edit is kept, and so is the way to store it.
    QVERIFY(QFile::remove(mWorld->carDir("myrc") + "/carinfo.ini"));
    QVERIFY(QDir().mkpath(mWorld->carDir("myrc") + "/carinfo.ini"));
    QTest::keyClicks(control<QLineEdit>("txtCarName"), "Y");
    mBoxes->expect();
    QTest::mouseClick(update, Qt::LeftButton);
    QCOMPARE(mBoxes->only().title, QStringLiteral("Error"));
    QCOMPARE(mBoxes->only().text,
             "There was an error updating the settings.\nCannot write " + mWorld->carDir("myrc") +
                 "/carinfo.ini:\nit is a folder.");
    QVERIFY(update->isEnabled());
}

void tst_MainWindow::popUpMenu()
{
    mWorld->makeCar("rc");
    mWorld->makeCar("myrc");
    openWindow();
    auto* popUp = control<QMenu>("mnuPopUp");

    clickNode(node("rc"), Qt::RightButton); // nothing selected yet
    clickNode(branch(1));
    clickNode(node("myrc"), Qt::RightButton); // a branch selected
    QVERIFY(!popUp->isVisible());

    clickNode(node("myrc"));
    clickNode(node("rc"), Qt::RightButton);
    QTRY_VERIFY(popUp->isVisible());
    // The menu acts on the selected node, whatever node is under the mouse.
    QCOMPARE(tree()->currentIndex(), node("myrc"));
    popUp->close();
}

void tst_MainWindow::commandLines()
{
    QCOMPARE(frmMain::ParametersCommandLine("/tools/edit", "/games/Drovak/cars", "myrc"),
             QStringLiteral("/tools/edit \"/games/Drovak/cars/myrc/parameters.txt\""));
    QCOMPARE(frmMain::ReadMeCommandLine("/my edit", "/Dro vak/cars", "my rc"),
             QStringLiteral("/my edit \"/Dro vak/cars/my rc/readme.txt\""));
    QCOMPARE(frmMain::SkinCommandLine("/paint", "/cars", "myrc"),
             QStringLiteral("/paint \"/cars/myrc/car.bmp\""));
    QCOMPARE(frmMain::FolderCommandLine("/games/Drovak/cars", "myrc"),
             QStringLiteral("Explorer \"/games/Drovak/cars/myrc\""));
}

void tst_MainWindow::commands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("editors"); // "text image", each "ok", "none", "gone" or "folder"
    QTest::addColumn<QString>("target");  // what starts ($text, $image, a path or an address)
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("message"); // the box shown instead, if any

    const QString car = "game/cars/my rc;x/";
    // clang-format off
    QTest::newRow("Edit Params") << "editparams" << "ok ok" << "$text" << car + "Parameters.TXT" << "";
    QTest::newRow("View ReadMe File") << "cmdReadMe" << "ok ok" << "$text" << car + "ReadMe.txt" << "";
    QTest::newRow("Paint Skin") << "paint" << "ok ok" << "$image" << car + "CAR.BMP" << "";
    QTest::newRow("skin picture") << "imgSkin" << "ok ok" << "$image" << car + "CAR.BMP" << "";
    QTest::newRow("Open Folder") << "Open" << "ok ok" << "game/cars/my rc;x" << "" << "";
    QTest::newRow("web ring") << "mnuHelpWebWR" << "ok ok" << "https://webring.example/cgi-bin/webring?ring=drovak;list" << "" << "";
    QTest::newRow("no text editor") << "editparams" << "none ok" << "" << "" << kNoText;
    QTest::newRow("text editor removed") << "cmdReadMe" << "gone ok" << "" << "" << kNoText;
    QTest::newRow("no image editor") << "paint" << "ok none" << "" << "" << kNoImage;
    QTest::newRow("image editor is a folder") << "imgSkin" << "ok folder" << "" << "" << kNoImage;
    QTest::newRow("a start that fails") << "editparams" << "ok ok" << "$text" << car + "Parameters.TXT" << "<fails>";
    // clang-format on
}

void tst_MainWindow::commands()
{
    QFETCH(QString, command);
    QFETCH(QString, editors);
    QFETCH(QString, target);
    QFETCH(QString, argument);
    QFETCH(QString, message);

    // A folder name with a blank and a semicolon reaches the program as one argument.
    const QString folder = QStringLiteral("my rc;x");
    mWorld->makeCar(folder);
    QFile::rename(mWorld->carDir(folder) + "/car.bmp", mWorld->carDir(folder) + "/CAR.BMP");
    mWorld->write("game/cars/" + folder + "/Parameters.TXT", "x");
    mWorld->write("game/cars/" + folder + "/ReadMe.txt", "x");
    const auto editor = [&](const QString& kind, const QString& name) {
        if (kind == "none")
            return QString();
        if (kind == "folder")
            return mWorld->gameDir();
        const QString path = mWorld->write("tools/" + name, "x");
        if (kind == "gone")
            QFile::remove(path);
        return path;
    };
    const QString textEditor = editor(editors.section(' ', 0, 0), "text editor");
    const QString imageEditor = editor(editors.section(' ', 1), "paint");
    modMain::gSettings().setTextEditorPath(textEditor);
    modMain::gSettings().setImageEditorPath(imageEditor);
    if (message == "<fails>")
        mLaunches->failWith("Could not start the editor");
    openWindow();
    clickNode(node(folder));

    if (!message.isEmpty())
        mBoxes->expect();
    act(command);
    if (!message.isEmpty()) {
        QCOMPARE(mBoxes->only().text,
                 message == "<fails>" ? QStringLiteral("Could not start the editor") : message);
        QCOMPARE(mBoxes->only().title,
                 message == "<fails>" ? "Torvane" : QStringLiteral("No Editor Specified"));
    }
    if (target.isEmpty()) {
        QVERIFY(mLaunches->calls().isEmpty());
        return;
    }
    QCOMPARE(mLaunches->calls().size(), 1);
    const LauncherRecorder::Call call = mLaunches->calls().first();
    if (target == "$text" || target == "$image")
        QCOMPARE(call.target, target == "$text" ? textEditor : imageEditor);
    else
        QCOMPARE(call.target, target.startsWith("https:") ? target : mWorld->root() + "/" + target);
    QCOMPARE(call.arguments,
             argument.isEmpty() ? QStringList{} : QStringList{mWorld->root() + "/" + argument});
}

void tst_MainWindow::gameStartsInItsFolder()
{
    mWorld->write("game/DROVAK.EXE", "x");
    openWindow();
    for (int run = 0; run < 2; ++run) {
        QDir::setCurrent(mWorld->root());
        act("run");
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
    QTest::addColumn<QString>("car"); // empty: selected before a refresh, so none is now
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("answer"); // -1: no question
    QTest::addColumn<bool>("deleted");

    // clang-format off
    QTest::newRow("standard car refused") << "rc" << "Delete" << -1 << false;
    QTest::newRow("No changes nothing") << "myrc" << "Delete" << int(MsgBox::Answer::No) << false;
    QTest::newRow("Yes deletes") << "myrc" << "mnuPopUpDelete" << int(MsgBox::Answer::Yes) << true;
    QTest::newRow("a linked car folder loses only the link") << "linked" << "Delete" << int(MsgBox::Answer::Yes) << true;
    QTest::newRow("nothing selected after a refresh") << "" << "Delete" << -1 << false;
    // clang-format on
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
    clickNode(node(car.isEmpty() ? "myrc" : car));
    if (car.isEmpty()) {
        // The new list shows no car, so no car command may act on one.
        act("Refresh");
        QVERIFY(!carButtonsEnabled());
        QVERIFY(QFileInfo::exists(mWorld->carDir("myrc")));
        return;
    }
    if (answer < 0)
        mBoxes->expect();
    else
        mBoxes->expect(MsgBox::Answer(answer));
    if (deleted)
        mBoxes->expect(); // the record's own "Car Deleted"
    act(command);
    VERIFY_BOXES(*mBoxes);

    const MsgBox::Box first = mBoxes->boxes().first();
    if (answer < 0) {
        QCOMPARE(first.title, QStringLiteral("Cannot Delete"));
        QCOMPARE(first.text, QStringLiteral("This is an actual game car and cannot be deleted."));
    } else {
        QCOMPARE(first.title, QStringLiteral("Warning!"));
        QCOMPARE(first.text,
                 QStringLiteral("Are you sure you want to delete '%1'? All of its files "
                                "will be PERMANENTLY deleted!")
                     .arg(car));
        QCOMPARE(first.buttons, MsgBox::Buttons::YesNo);
    }
    const QFileInfo folder(mWorld->carDir(car));
    QCOMPARE(folder.exists() || folder.isSymLink(), !deleted);
    QVERIFY(QFile::exists(outside));
    QCOMPARE(carButtonsEnabled(), !deleted);
    QCOMPARE(framesVisible(), !deleted);
    QCOMPARE(modMain::gCars().Contains(car), !deleted);
}

void tst_MainWindow::carMadeFromATemplate()
{
    mWorld->makeCar("rc");
    mWorld->write("game/cars/rc/parameters.txt",
                  "Name\t\t\"RC Sprinter\"\r\nObtain\t\t2\r\nModel\t0\t\"cars\\rc\\body.prm\"\r\n");
    openWindow();
    clickNode(node("rc"));
    act("Add");
    act("mnuFileNew");
    clickNode(node("rc")); // each opening rescans, which leaves no node selected
    act("mnuPopUpTemplate");

    // Every opening makes a wizard of its own; only the pop-up presets the template.
    QList<frmCreateCarWizard*> wizards;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* wizard = qobject_cast<frmCreateCarWizard*>(w); wizard && wizard->isVisible())
            wizards << wizard;
    }
    QCOMPARE(wizards.size(), 3);
    frmCreateCarWizard* wizard = nullptr;
    for (frmCreateCarWizard* w : wizards) {
        if (!w->findChild<QComboBox*>("cboCarNames")->currentText().isEmpty())
            wizard = w;
    }
    QVERIFY(wizard);
    QCOMPARE(wizard->findChild<QComboBox*>("cboCarNames")->currentText(), QStringLiteral("rc"));
    QVERIFY(!framesVisible()); // opening a wizard rescans the list

    QTest::keyClicks(wizard->findChild<QLineEdit*>("txtCarName"), "My Racer");
    QTest::keyClicks(wizard->findChild<QLineEdit*>("txtDirName"), "myrc");
    mBoxes->expect();
    QTest::mouseClick(wizard->findChild<QPushButton*>("cmdFinish"), Qt::LeftButton);
    QCOMPARE(mBoxes->only().title, QStringLiteral("Success!"));
    act("Refresh");
    QCOMPARE(childTexts(1), QStringList{"myrc (My Racer)"});
    QVERIFY(mWorld->read("game/cars/myrc/parameters.txt").contains("\"cars\\myrc\\body.prm\""));
}

QTEST_MAIN(tst_MainWindow)
#include "tst_MainWindow.moc"
