#include "MainWindowDriver.h"

namespace {

// What of a window's captions is cut off in the fonts in use; empty when every one fits.
QString CutCaptions(QWidget* window)
{
    QString cut;
    const auto check = [&cut](const QWidget* w, const QString& text, QSize need, QSize room) {
        if (!text.isEmpty() && need.boundedTo(room) != need)
            QDebug(&cut) << w->objectName() << text << "needs" << need << "has" << room << ";";
    };
    // The part of a control in view: its parent may cut it off.
    const auto shown = [](const QWidget* w) { return w->visibleRegion().boundingRect(); };
    for (const QLabel* l : window->findChildren<QLabel*>())
        check(l, l->text(), {l->minimumSizeHint().width(), l->heightForWidth(l->width())},
              shown(l).size());
    for (const QGroupBox* box : window->findChildren<QGroupBox*>())
        check(box, box->title(), box->minimumSizeHint(), shown(box).size());
    for (const QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        QStyleOptionButton option;
        option.initFrom(b);
        option.rect = shown(b);
        // A toolbar button's caption is below its icon, inside its frame.
        const int frame = b->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        check(b, b->text(), b->fontMetrics().size(Qt::TextShowMnemonic, b->text()),
              qobject_cast<const QPushButton*>(b)
                  ? b->style()->subElementRect(QStyle::SE_PushButtonContents, &option, b).size()
                  : option.rect.size() - QSize(2 * frame, b->iconSize().height() + 4));
    }
    for (const QMenuBar* bar : window->findChildren<QMenuBar*>())
        for (QAction* menu : bar->actions())
            check(bar, menu->text(), {bar->actionGeometry(menu).right() + 1, 0}, bar->size());
    return cut;
}

using Way = std::function<void()>;

// The five toolbar buttons that act on the shown car, each "+" when enabled, and " shown" while
// the car's panel and picture show.
const QString kOn = "+++++", kOff = "-----", kShown = "+++++ shown";

} // namespace

// The main window driven as the player drives it: the tree, the panel, the toolbar, the menus.
class tst_MainWindow : public QObject, MainWindowDriver
{
    Q_OBJECT
    // Presses on nightcab and releases on the node of that key, or on the empty space below.
    void dragFromNightcab(const QString& to)
    {
        QWidget* view = tree()->viewport();
        const QPoint from = tree()->visualRect(node("nightcab")).center();
        const QPoint at = to.isEmpty() ? QPoint(from.x(), view->height() - 2)
                                       : tree()->visualRect(node(to)).center();
        QTest::mousePress(view, Qt::LeftButton, {}, from);
        QTest::mouseMove(view, at);
        QTest::mouseRelease(view, Qt::LeftButton, {}, at);
    }

private slots:
    void init() { open(); }
    void cleanup() { close(); }

    void captionsFit()
    {
        // With the panel's every caption: the car has a problem.
        QFile::remove(mWorld->makeCar("rc") + "/parameters.txt");
        openWindow();
        clickNode(node("rc"));
        for (QWidget* window :
             std::initializer_list<QWidget*>{mWindow.get(), openWizard(), frmOptions::ShowShared(),
                                             frmGetDirectory::ShowShared(), frmAbout::ShowShared()})
            QCOMPARE(CutCaptions(window), QString());
    }

    void scan_data()
    {
        // folders: "folder", "folder=display name", "file:name"
        Columns<QStringList, QStringList, QStringList>("folders", "standard", "custom");
        // clang-format off
        QTest::newRow("standard, custom, omitted, named like the branches") << QStringList{"rc", "buggy=Mine", "myrc=My RC", "misc=Left Out", "plain", "Standard", "Custom Cars"} << QStringList{"buggy (Dune Buggy)", "rc (RC Sprinter)"} << QStringList{"Custom Cars", "myrc (My RC)", "plain", "Standard"};
        QTest::newRow("sorted by the whole node text, ties by its letters") << QStringList{"zeta=Alpha", "alpha=Zed", "ALPHA (zed)", "Beta", "beta2"} << QStringList{} << QStringList{"ALPHA (zed)", "alpha (Zed)", "Beta", "beta2", "zeta (Alpha)"};
        QTest::newRow("as a file manager orders names") << QStringList{"car10", "car2", "Zeta", "élan", "Elan", "alpha", "car2 (b)=x"} << QStringList{} << QStringList{"alpha", "car2", "car2 (b) (x)", "car10", "Elan", "élan", "Zeta"};
        QTest::newRow("hidden folders listed, files not") << QStringList{".hidden", "..hidden", "file:loose.txt"} << QStringList{} << QStringList{"..hidden", ".hidden"};
        QTest::newRow("one folder in two letter cases") << QStringList{"été=Mine", "ÉTÉ=Mine"} << QStringList{} << QStringList{"?"};
        QTest::newRow("a long name, whole in its tooltip") << QStringList{"longcar=A Name Far Too Long For The Narrow Tree To Show Whole"} << QStringList{} << QStringList{"longcar (A Name Far Too Long For The Narrow Tree To Show Whole)"};
        QTest::newRow("no cars") << QStringList{} << QStringList{} << QStringList{};
        // clang-format on
    }
    // Right after start-up the title picture shows and the car buttons are as laid out; a
    // second scan gives the same list. The mouse resting on a toolbar button leaves the count.
    void scan()
    {
        QFETCH(QStringList, folders);
        QFETCH(QStringList, standard);
        QFETCH(QStringList, custom);
        openWindow(folders);
        QVERIFY(control<QLabel>("Image1")->isVisible());
        for (int pass = 0; pass < 2; ++pass) {
            QTest::mouseMove(tree());
            QTest::mouseMove(
                control<QToolBar>("Toolbar1")->widgetForAction(control<QAction>("Add")));
            QCOMPARE(mWindow->statusBar()->currentMessage(), QString());
            QVERIFY(tree()->isExpanded(branch(0)) && tree()->isExpanded(branch(1)));
            QCOMPARE(childTexts(0), standard);
            if (custom != QStringList{"?"}) // the game sees one folder: which one is listed is free
                QCOMPARE(childTexts(1), custom);
            QCOMPARE(control<QLabel>("sbrStatusText")->text(),
                     QString::asprintf("%lld cars found. (%lld standard cars, %lld custom cars)",
                                       standard.size() + custom.size(), standard.size(),
                                       custom.size()));
            QCOMPARE(modMain::gCars().Count(), standard.size() + custom.size());
            QCOMPARE(carState(), kOn);
            act("Refresh");
        }
        // The tree is narrow: a node's text may be cut off, its tooltip is whole.
        if (const QModelIndex last = cars()->index(custom.size() - 1, 0, branch(1));
            last.isValid()) {
            const QPoint at = tree()->visualRect(last).center();
            QHelpEvent help(QEvent::ToolTip, at, tree()->viewport()->mapToGlobal(at));
            QApplication::sendEvent(tree()->viewport(), &help);
            QTRY_COMPARE(QToolTip::text(), last.data().toString());
            // The keyboard reaches the rest of a long one: the tree scrolls sideways.
            tree()->setCurrentIndex(last);
            QTest::keyClick(tree(), Qt::Key_Right);
            if (QByteArray(QTest::currentDataTag()).startsWith("a long name"))
                QVERIFY(tree()->horizontalScrollBar()->value() > 0);
        }
    }

    void selectionFollowsTheTree_data()
    {
        // way: what changes the tree's selection, bluebuggy's first; shown: the car the panel must
        // show; "" for none
        Columns<Way, QString>("way", "shown");
        // clang-format off
        QTest::newRow("a click") << Way([this] { clickNode(node("nightcab")); }) << "nightcab";
        QTest::newRow("a standard car clicked") << Way([this] { clickNode(node("rc")); }) << "rc";
        QTest::newRow("a branch clicked") << Way([this] { clickNode(branch(0)); }) << "";
        QTest::newRow("press on a car, release on another") << Way([this] { dragFromNightcab("zeta"); }) << "zeta";
        QTest::newRow("press on a car, release on empty space") << Way([this] { dragFromNightcab({}); }) << "nightcab";
        QTest::newRow("the keyboard") << Way([this] { tree()->setFocus(); QTest::keyClick(tree(), Qt::Key_Down); }) << "nightcab";
        QTest::newRow("the program") << Way([this] { tree()->setCurrentIndex(node("nightcab")); }) << "nightcab";
        QTest::newRow("Ctrl+click on the selected car") << Way([this] { clickNode(node("bluebuggy"), Qt::LeftButton, Qt::ControlModifier); }) << "";
        QTest::newRow("the shown car clicked again") << Way([this] { clickNode(node("bluebuggy")); }) << "bluebuggy";
        QTest::newRow("clicked again on its author") << Way([this] { mWindow->resize(900, 600); clickNode(node("bluebuggy").siblingAtColumn(1)); }) << "bluebuggy";
        // clang-format on
    }
    // However the tree's selected node changes, the panel and the car commands name it. A node
    // that is no car hides the panel and disables the car buttons, and leaves the car last shown.
    void selectionFollowsTheTree()
    {
        QFETCH(Way, way);
        QFETCH(QString, shown);
        mWorld->write("game/cars/nightcab/ReadMe.TXT", "x");
        modMain::gSettings().setTextEditorPath(mWorld->write("tools/edit", "x"));
        openWindow({"bluebuggy=bluebuggy", "nightcab=nightcab", "zeta=zeta", "rc"});
        clickNode(node("bluebuggy"));
        QTest::keyClicks(control<QLineEdit>("txtCarName"), " edited");
        // Leaving the car asks first; the edit is dropped.
        if (shown != "bluebuggy")
            mBoxes->expect(MsgBox::Answer::Discard);

        way();

        QCOMPARE(carState(), shown.isEmpty() ? kOff : kShown);
        QCOMPARE(mWindow->SelectedKey(), shown.isEmpty() ? "bluebuggy" : shown);
        if (shown.isEmpty())
            return;
        // A standard car shows the table's name, and read-only.
        QCOMPARE(control<QLineEdit>("txtCarName")->text(), shown == "rc" ? "RC Sprinter" : shown);
        QCOMPARE(control<QLineEdit>("txtCarAuthor")->isReadOnly(), shown == "rc");
        QCOMPARE(control<QPlainTextEdit>("txtDescription")->isReadOnly(), shown == "rc");
        QVERIFY(!control<QPushButton>("cmdUpdateCarInfo")->isEnabled());
        QCOMPARE(control<QPushButton>("cmdReadMe")->isEnabled(), shown == "nightcab");
        QTest::keySequence(mWindow.get(), QKeySequence(Qt::CTRL | Qt::Key_E));
        QCOMPARE(mLaunches->calls().value(0).arguments,
                 QStringList{mWorld->carDir(shown) + "/parameters.txt"});
        // A refresh shows the car again from the new list; once it is gone, only Make Car is left.
        QTest::keyClick(mWindow.get(), Qt::Key_F5);
        QCOMPARE(mWindow->SelectedCar(), modMain::gCars().Find(shown));
        QCOMPARE(carState(), kShown);
        QVERIFY(QDir(mWorld->carDir(shown)).removeRecursively());
        act("Refresh");
        QCOMPARE(carState(), "+----");
    }

    void picture_data()
    {
        // Each picture has a size of its own: a photo 10 pixels wide, a skin 20, the fallback 30.
        // shown: the width shown, or 0 for an empty box
        Columns<QStringList, int>("files", "shown");
        // clang-format off
        QTest::newRow("photo before skin") << QStringList{"MYRC.JPG", "car.bmp"} << 10;
        QTest::newRow("skin") << QStringList{"CAR.BMP"} << 20;
        QTest::newRow("neither: the fallback") << QStringList{} << 30;
        QTest::newRow("undecodable photo") << QStringList{"myrc.jpg:broken", "car.bmp"} << 0;
        QTest::newRow("a folder named car.bmp: the fallback") << QStringList{"car.bmp/"} << 30;
        // clang-format on
    }
    // The rest of the selection completes whatever the picture.
    void picture()
    {
        QFETCH(QStringList, files);
        QDir().mkpath(mWorld->carDir("myrc"));
        for (const QString& file : files) {
            const QString path = mWorld->write("game/cars/myrc/" + file.section(':', 0, 0), "bad");
            if (!file.endsWith(":broken"))
                SavePicture(path, path.endsWith("bmp", Qt::CaseInsensitive) ? 20 : 10);
        }
        openWindow();
        clickNode(node("myrc"));
        QTEST(control<QLabel>("imgSkin")->pixmap().width(), "shown");
        QCOMPARE(carState(), kShown);
    }

    // The menu opens only on a selected car, and acts on it whatever node is under the mouse.
    // Every opening of a wizard makes one of its own and rescans the list; only the menu
    // presets the template.
    void popUpMenu()
    {
        openWindow({"rc", "myrc"});
        auto* popUp = control<QMenu>("mnuPopUp");
        clickNode(node("rc"), Qt::RightButton); // nothing selected yet
        clickNode(branch(1));
        clickNode(node("myrc"), Qt::RightButton); // a branch selected
        QVERIFY(!popUp->isVisible());
        clickNode(node("myrc"));
        for (const char* key : {"", "Menu", "Shift+F10"}) { // "": the right button on rc
            *key ? QTest::keySequence(tree(), QKeySequence(key))
                 : clickNode(node("rc"), Qt::RightButton);
            QTRY_VERIFY(popUp->isVisible());
            QCOMPARE(tree()->currentIndex(), node("myrc"));
            popUp->close();
        }

        for (const char* name : {"Add", "mnuFileNew", "mnuPopUpTemplate"})
            act(name);
        QCOMPARE(carState(), kShown);
        QStringList presets;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = w->findChild<QComboBox*>("cboCarNames"); box && w->isVisible())
                presets << box->currentText();
        presets.sort();
        QCOMPARE(presets, (QStringList{"", "", "myrc"}));
    }

    void commands_data()
    {
        // editors: text and image editor, '|' between; ~ is the root. started: the program and its
        // arguments, '|' between; the game's working folder; or an address. message: the box
        // shown too, if any.
        Columns<QString, QString, QString, QString>("command", "editors", "started", "message");
        const QString car = "~/" + FileSystem::Decode("game/CARS/my rc;\xe9/"),
                      ok = "~/tools/edit|~/tools/paint",
                      ring = "https://webring.example/cgi-bin/webring?ring=drovak;list|";
        const QString none = "No Editor Specified: There is no %1 editor specified.  Go into "
                             "Tools/Options and select one.";
        // clang-format off
        QTest::newRow("Edit Params") << "editparams" << ok << "~/tools/edit|" + car + "Parameters.TXT" << "";
        QTest::newRow("View ReadMe File") << "cmdReadMe" << ok << "~/tools/edit|" + car + "ReadMe.txt" << "";
        QTest::newRow("Paint Skin") << "paint" << ok << "~/tools/paint|" + car + "CAR.BMP" << "";
        QTest::newRow("skin picture") << "imgSkin" << ok << "~/tools/paint|" + car + "CAR.BMP" << "";
        QTest::newRow("Open Folder") << "Open" << ok << car.chopped(1) + '|' << "";
        QTest::newRow("Run Drovak") << "run" << ok << "~/game" << "";
        QTest::newRow("web ring") << "mnuHelpWebWR" << ok << ring << "";
        QTest::newRow("text editor missing") << "cmdReadMe" << "~/tools/gone|~/tools/paint" << "" << none.arg("text");
        QTest::newRow("image editor is a folder") << "imgSkin" << "~/tools/edit|~/game" << "" << none.arg("image");
        QTest::newRow("a start that fails") << "editparams" << ok << "~/tools/edit|" + car + "Parameters.TXT" << "Torvane: Could not start";
        QTest::newRow("a web page that fails to open") << "mnuHelpWebWR" << ok << ring << "Torvane: Could not start";
        // clang-format on
    }
    // The cars folder is spelled as copied from Windows, and the car's folder name, with a
    // blank, a semicolon and a Windows-1252 byte, is listed, shown and handed on as one argument.
    // How the game starts is the game start's own test.
    void commands()
    {
        QFETCH(QString, command);
        QFETCH(QString, editors);
        QFETCH(QString, started);
        QFETCH(QString, message);
        QVERIFY(QDir(mWorld->gameDir()).rename("cars", "CARS"));
        const QString folder = FileSystem::Decode("my rc;\xe9");
        for (const QString file : {"CAR.BMP", "Parameters.TXT", "ReadMe.txt"})
            mWorld->write("game/CARS/" + folder + '/' + file, "x");
        for (const char* file : {"game/drovak.exe", "tools/edit", "tools/paint"})
            mWorld->write(file, "x");
        const QStringList editor = editors.replace('~', mWorld->root()).split('|');
        modMain::gSettings().setTextEditorPath(editor[0]);
        modMain::gSettings().setImageEditorPath(editor[1]);
        mLaunches->failWith(message.isEmpty() ? QString() : "Could not start");
        if (!message.isEmpty())
            mBoxes->expect();
        openWindow();
        QCOMPARE(childTexts(1), QStringList{"my rc;é"});
        clickNode(node(folder));
        QCOMPARE(control<QGroupBox>("fraInfo")->title(), QStringLiteral("About my rc;é"));

        act(command);
        QCOMPARE(mBoxes->said(), message);
        QStringList calls;
        for (const LauncherRecorder::Call& call : mLaunches->calls())
            calls << (command == "run" ? call.workingFolder
                                       : call.target + '|' + call.arguments.join('|'));
        QCOMPARE(calls.join('\n'), started.replace('~', mWorld->root()));
    }

    void deleteCar_data()
    {
        // command: empty for the Delete key in the tree, or the control that has it instead;
        // answer: to the first box, Ok for no question; shown: the car shown after
        Columns<QString, QString, MsgBox::Answer, QString>("car", "command", "answer", "shown");
        // clang-format off
        QTest::newRow("standard car refused") << "rc" << "Delete" << MsgBox::Answer::Ok << "rc";
        QTest::newRow("No changes nothing") << "myrc" << "" << MsgBox::Answer::No << "myrc";
        QTest::newRow("Yes deletes, the last of its branch") << "myrc" << "mnuPopUpDelete" << MsgBox::Answer::Yes << "linked";
        QTest::newRow("a linked car folder loses only the link") << "linked" << "Delete" << MsgBox::Answer::Yes << "myrc";
        QTest::newRow("in the middle of a long list") << "a30" << "Delete" << MsgBox::Answer::Yes << "a31";
        QTest::newRow("the key in the name box, then on a button: no question") << "myrc" << "txtCarName" << MsgBox::Answer::No << "myrc";
        // clang-format on
    }
    void deleteCar()
    {
        QFETCH(QString, car);
        QFETCH(QString, command);
        QFETCH(MsgBox::Answer, answer);
        QFETCH(QString, shown);
        const bool deleted = answer == MsgBox::Answer::Yes, refused = answer == MsgBox::Answer::Ok;
        const QString outside = mWorld->write("outside/car.bmp", "x");
        QVERIFY(QFile::link(mWorld->root() + "/outside", mWorld->carDir("linked")));
        for (int i = 0; i < 60; ++i)
            mWorld->makeCar(QString::asprintf("a%02d", i));
        openWindow({"rc", "myrc=My RC"});
        tree()->scrollTo(node(car), QAbstractItemView::PositionAtCenter);
        clickNode(node(car));
        const int scrolled = tree()->verticalScrollBar()->value();
        if (command.startsWith("txt")) { // the key is the tree's alone: a text box needs it
            for (const char* name : {"txtCarName", "cmdUpdateCarInfo"}) {
                control<QWidget>(name)->setFocus();
                QTest::keyClick(control<QWidget>(name), Qt::Key_Delete);
            }
            QCOMPARE(control<QLineEdit>("txtCarName")->text(), "y RC");
            return;
        }
        mBoxes->expect(answer);
        if (deleted)
            mBoxes->expect(); // the record's own "Car Deleted"
        command.isEmpty() ? QTest::keyClick(tree(), Qt::Key_Delete) : act(command);

        const MsgBox::Box first = mBoxes->boxes().value(0);
        QCOMPARE(first.title + ": " + first.text,
                 refused ? "Cannot Delete: This is an actual game car and cannot be deleted."
                         : "Warning!: Are you sure you want to delete '" + car +
                               "'? All of its files will be PERMANENTLY deleted!");
        QCOMPARE(first.buttons, refused ? MsgBox::Buttons::Ok : MsgBox::Buttons::YesNo);
        QCOMPARE(QFileInfo::exists(mWorld->carDir(car)), !deleted);
        QVERIFY(QFile::exists(outside));
        // The next car takes the deleted one's place, and the list stays where it was.
        QCOMPARE(mWindow->SelectedKey() + ' ' + carState(), shown + ' ' + kShown);
        const QScrollBar* bar = tree()->verticalScrollBar();
        QCOMPARE(bar->value(), qMin(scrolled, bar->maximum())); // a shorter list may end sooner
    }
};

QTEST_MAIN(tst_MainWindow)
#include "tst_MainWindow.moc"
