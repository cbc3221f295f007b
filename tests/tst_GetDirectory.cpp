#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "app/cSettings.h"
#include "app/modMain.h"
#include "ui/Twips.h"
#include "ui/options/frmGetDirectory.h"
#include "ui/options/frmOptions.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <memory>

class tst_GetDirectory : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void opensAtTheCurrentFolder();
    void okRule_data();
    void okRule();
    void openingFoldersAndClicking();
    void okStores_data();
    void okStores();
    void cancelAndEscChangeNothing();
    void rootOfEverything();
    void longPathKeepsItsEnd();
    void unreadableFolderKeepsChooserUsable();
    void unreadyDriveKeepsChooserUsable();

private:
    frmGetDirectory* open(const QString& folder);
    QTreeWidgetItem* item(const QString& name) const;
    void clickItem(const QString& name, bool twice = false);
    QString label() const { return mChooser->findChild<QLabel*>("lblCurrentPath")->text(); }
    QPushButton* button(const char* name) const { return mChooser->findChild<QPushButton*>(name); }
    QTreeWidget* tree() const { return mChooser->findChild<QTreeWidget*>("Dir1"); }

    std::unique_ptr<TestWorld> mWorld;
    std::unique_ptr<MsgBoxRecorder> mBoxes;
    QPointer<frmGetDirectory> mChooser;
    QString mPreviousFolder;
};

void tst_GetDirectory::init()
{
    mWorld = std::make_unique<TestWorld>();
    mWorld->write(QStringLiteral("game/drovak.exe"), "MZ");
    modMain::gSettings().LoadSettings();
    mBoxes = std::make_unique<MsgBoxRecorder>();
    mPreviousFolder = QDir::currentPath();
}

void tst_GetDirectory::cleanup()
{
    for (QWidget* window : {static_cast<QWidget*>(frmGetDirectory::Shared()),
                            static_cast<QWidget*>(frmOptions::Shared())}) {
        if (window)
            window->close();
    }
    QDir::setCurrent(mPreviousFolder);
    const QString problems = mBoxes->problems();
    mBoxes.reset();
    mWorld.reset();
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
    QTRY_VERIFY(!frmGetDirectory::Shared() && !frmOptions::Shared());
}

frmGetDirectory* tst_GetDirectory::open(const QString& folder)
{
    QDir::setCurrent(folder);
    mChooser = frmGetDirectory::ShowShared();
    if (!QTest::qWaitForWindowActive(mChooser))
        qWarning("the chooser did not become active");
    return mChooser;
}

QTreeWidgetItem* tst_GetDirectory::item(const QString& name) const
{
    const QList<QTreeWidgetItem*> found =
        tree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.size() == 1 ? found.first() : nullptr;
}

void tst_GetDirectory::clickItem(const QString& name, bool twice)
{
    QTreeWidgetItem* target = item(name);
    QVERIFY2(target, qPrintable(name));
    tree()->scrollToItem(target);
    const QPoint at = tree()->visualItemRect(target).center();
    // A double click reaches a widget as a click followed by a double-click event.
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, at);
    if (twice)
        QTest::mouseDClick(tree()->viewport(), Qt::LeftButton, {}, at);
}

void tst_GetDirectory::opensAtTheCurrentFolder()
{
    open(mWorld->gameDir());
    QCOMPARE(mChooser->windowTitle(), QStringLiteral("Select the Drovak Directory..."));
    QCOMPARE(mChooser->size(), QSize(Twips(4380), Twips(3705)));
    QCOMPARE(QApplication::focusWidget(), tree());
    // The game is here, but nothing is tested until the user clicks or opens a folder.
    QCOMPARE(label(), QString());
    QVERIFY(!button("cmdOK")->isEnabled());
    QCOMPARE(button("cmdOK")->text(), QStringLiteral("&OK"));
    QCOMPARE(button("cmdCancel")->text(), QStringLiteral("&Cancel"));
    QVERIFY(tree()->currentItem() == item(QStringLiteral("game")));
    QVERIFY(item(QStringLiteral("cars"))); // the open folder's sub-folders are listed

    auto* drives = mChooser->findChild<QComboBox*>("Drive1");
    QCOMPARE(drives->itemText(0), QStringLiteral("/"));
    QVERIFY(mWorld->gameDir().startsWith(drives->currentText()));

    // OK comes next, but while it is disabled the focus passes it by.
    for (const char* name : {"cmdCancel", "Drive1", "Dir1"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(name));
    }
}

void tst_GetDirectory::okRule_data()
{
    QTest::addColumn<QString>("entry"); // made in the folder under test
    QTest::addColumn<QString>("kind");  // file, folder, link or dangling
    QTest::addColumn<bool>("enabled");
    QTest::newRow("the game") << "drovak.exe"
                              << "file" << true;
    QTest::newRow("upper case") << "DROVAK.EXE"
                                << "file" << true;
    QTest::newRow("mixed case") << "Drovak.Exe"
                                << "file" << true;
    QTest::newRow("a link to the game") << "drovak.exe"
                                        << "link" << true;
    QTest::newRow("a dangling link") << "drovak.exe"
                                     << "dangling" << false;
    QTest::newRow("a folder named like the game") << "drovak.exe"
                                                  << "folder" << false;
    QTest::newRow("another program") << "drovak.exe.bak"
                                     << "file" << false;
}

void tst_GetDirectory::okRule()
{
    QFETCH(QString, entry);
    QFETCH(QString, kind);
    const QString folder = mWorld->root() + QStringLiteral("/under test");
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QLatin1Char('/') + entry;
    if (kind == QLatin1String("file"))
        mWorld->write(QStringLiteral("under test/") + entry, "MZ");
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(path));
    else
        QVERIFY(QFile::link(kind == QLatin1String("link") ? mWorld->gameDir() + "/drovak.exe"
                                                          : folder + "/nothing",
                            path));

    open(folder);
    clickItem(QStringLiteral("under test"));
    QCOMPARE(label(), folder);
    QTEST(button("cmdOK")->isEnabled(), "enabled");
}

void tst_GetDirectory::openingFoldersAndClicking()
{
    open(mWorld->root());
    clickItem(QStringLiteral("game"), true);
    QCOMPARE(label(), mWorld->gameDir());
    QVERIFY(button("cmdOK")->isEnabled());

    // A click only selects: the folder under test stays the open one.
    clickItem(QStringLiteral("cars"));
    QCOMPARE(label(), mWorld->gameDir());
    QVERIFY(button("cmdOK")->isEnabled());

    QTest::keyClick(tree(), Qt::Key_Return);
    QCOMPARE(label(), mWorld->carsDir());
    QVERIFY(!button("cmdOK")->isEnabled());
    QVERIFY(item(QStringLiteral("cars"))->font(0).bold());

    clickItem(QStringLiteral("game"), true); // back up through the way shown
    QCOMPARE(label(), mWorld->gameDir());
    QVERIFY(button("cmdOK")->isEnabled());
}

void tst_GetDirectory::okStores_data()
{
    QTest::addColumn<bool>("optionsOpen");
    QTest::newRow("options dialog open") << true;
    QTest::newRow("options dialog closed meanwhile") << false;
}

void tst_GetDirectory::okStores()
{
    QFETCH(bool, optionsOpen);
    const QByteArray before = mWorld->read("program/torvane.ini");
    QDir::setCurrent(mWorld->gameDir());
    frmOptions* options = frmOptions::ShowShared();
    QTest::mouseClick(options->findChild<QPushButton*>("cmdChangeCarDir"), Qt::LeftButton);
    mChooser = frmGetDirectory::Shared();
    QVERIFY(mChooser && mChooser->isVisible());
    if (!optionsOpen) {
        options->close();
        QTRY_VERIFY(!frmOptions::Shared());
    }
    clickItem(QStringLiteral("game"));
    QTest::mouseClick(button("cmdOK"), Qt::LeftButton);
    QTRY_VERIFY(!frmGetDirectory::Shared());

    QCOMPARE(modMain::gSettings().DrovakDir(), mWorld->gameDir());
    QCOMPARE(modMain::gSettings().CarDir(), mWorld->carsDir());
    if (optionsOpen)
        QCOMPARE(options->findChild<QLineEdit*>("txtEXEDirectory")->text(), mWorld->gameDir());
    else
        QCOMPARE(frmOptions::ShowShared()->findChild<QLineEdit*>("txtEXEDirectory")->text(),
                 mWorld->gameDir());
    QCOMPARE(mWorld->read("program/torvane.ini"), before); // written only by the options dialog
}

void tst_GetDirectory::cancelAndEscChangeNothing()
{
    const QString stored = modMain::gSettings().DrovakDir();
    open(mWorld->root());
    clickItem(QStringLiteral("game"), true);
    clickItem(QStringLiteral("cars"), true);
    QTest::keyClick(tree(), Qt::Key_Escape);
    QTest::qWait(20);
    QVERIFY(frmGetDirectory::Shared()); // Esc is bound to no button
    QTest::mouseClick(button("cmdCancel"), Qt::LeftButton);
    QTRY_VERIFY(!frmGetDirectory::Shared());
    QCOMPARE(modMain::gSettings().DrovakDir(), stored);
}

void tst_GetDirectory::rootOfEverything()
{
    if (QFileInfo::exists(QStringLiteral("/drovak.exe")))
        QSKIP("this machine has a game at its root");
    open(QStringLiteral("/"));
    clickItem(QStringLiteral("/"));
    // Stripping the root's separator would leave nothing to show.
    QCOMPARE(label(), QStringLiteral("/"));
    QVERIFY(!button("cmdOK")->isEnabled());
}

void tst_GetDirectory::longPathKeepsItsEnd()
{
    const QString deep = mWorld->root() + QStringLiteral("/a-rather-long-folder-name") +
                         QStringLiteral("/another_long_folder_without_blanks/Program-Files-x86") +
                         QStringLiteral("/Games/Drovak-Game-Folder");
    QVERIFY(QDir().mkpath(deep));
    open(deep);
    clickItem(QStringLiteral("Drovak-Game-Folder"));
    // Too long for the label's three lines: it shows the end, the tooltip the whole.
    QVERIFY2(label().size() < deep.size() &&
                 label().endsWith(QStringLiteral("/Drovak-Game-Folder")),
             qPrintable(label()));
    QCOMPARE(mChooser->findChild<QLabel*>("lblCurrentPath")->toolTip(), deep);
}

void tst_GetDirectory::unreadableFolderKeepsChooserUsable()
{
    QVERIFY(QDir().mkpath(mWorld->root() + QStringLiteral("/gone")));
    open(mWorld->root());
    QVERIFY(QDir(mWorld->root() + QStringLiteral("/gone")).removeRecursively());

    mBoxes->expect();
    clickItem(QStringLiteral("gone"), true);
    const MsgBox::Box box = mBoxes->only();
    QVERIFY2(box.text.contains(mWorld->root() + QStringLiteral("/gone")), qPrintable(box.text));
    QCOMPARE(box.icon, MsgBox::Icon::Exclamation);
    QCOMPARE(label(), mWorld->root()); // still at the folder that was open

    clickItem(QStringLiteral("game"), true);
    QCOMPARE(label(), mWorld->gameDir());
    QVERIFY(button("cmdOK")->isEnabled());
}

void tst_GetDirectory::unreadyDriveKeepsChooserUsable()
{
    open(mWorld->gameDir());
    clickItem(QStringLiteral("game"));
    auto* drives = mChooser->findChild<QComboBox*>("Drive1");
    const QString drive = drives->currentText();
    // A drive unmounted after the list was filled leaves only its empty mount point.
    const QString unmounted = mWorld->root() + QStringLiteral("/usb");
    QVERIFY(QDir().mkpath(unmounted));
    drives->addItem(unmounted);

    mBoxes->expect();
    drives->setFocus();
    QTest::keyClick(drives, Qt::Key_End);
    QVERIFY2(mBoxes->only().text.contains(unmounted), qPrintable(mBoxes->only().text));
    QCOMPARE(drives->currentText(), drive);
    QCOMPARE(label(), mWorld->gameDir());
    QVERIFY(button("cmdOK")->isEnabled());
    QVERIFY(item(QStringLiteral("cars")));
}

QTEST_MAIN(tst_GetDirectory)
#include "tst_GetDirectory.moc"
