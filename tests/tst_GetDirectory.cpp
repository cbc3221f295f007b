#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "app/cSettings.h"
#include "app/modMain.h"
#include "platform/FileSystem.h"
#include "ui/options/frmGetDirectory.h"
#include "ui/options/frmOptions.h"

#include <QtTest>
#include <QtWidgets>

class tst_GetDirectory : public QObject
{
    Q_OBJECT
    std::optional<TestWorld> mWorld;
    QPointer<frmGetDirectory> mChooser;

    // Shows the chooser at a folder and opens that folder with Enter, as the user would.
    void open(const QString& folder)
    {
        QDir::setCurrent(folder);
        mChooser = frmGetDirectory::ShowShared();
        QTest::keyClick(tree(), Qt::Key_Return);
    }
    void openItem(const QString& name) const
    {
        tree()->setCurrentItem(tree()->findItems(name, Qt::MatchRecursive).value(0));
        QTest::keyClick(tree(), Qt::Key_Return);
    }
    QTreeWidget* tree() const { return mChooser->findChild<QTreeWidget*>(); }
    QPushButton* ok() const { return mChooser->findChild<QPushButton*>("cmdOK"); }

private slots:
    void init() { mWorld.emplace(); }
    void cleanup() { delete mChooser; }

    void okRule_data()
    {
        QTest::addColumn<QString>("folder"); // opened: under the world's root, or the root "/"
        QTest::addColumn<QString>("entry");  // a file made in it first
        QTest::addColumn<bool>("enabled");
        QTest::newRow("found") << QString("t") << "drovak.exe" << true;
        QTest::newRow("not found") << QString("t") << "setup.exe" << false;
        QTest::newRow("other letter case") << QString("t") << "DROVAK.EXE" << true;
        QTest::newRow("a folder named drovak.exe") << QString("t") << "drovak.exe/x" << false;
        QTest::newRow("root, shown with its separator") << QString("/") << "" << false;
        QTest::newRow("a name copied from Windows") << FileSystem::Decode("jeu\xe9") << "drovak.exe"
                                                    << true;
    }
    void okRule()
    {
        QFETCH(QString, folder);
        QFETCH(QString, entry);
        QPointer<frmOptions> options = frmOptions::ShowShared();
        const QString path = QDir(mWorld->root()).filePath(folder);
        if (FileSystem::IsUtf8(FileSystem::Encode(folder))) {
            if (!entry.isEmpty())
                mWorld->write(folder + '/' + entry, "MZ");
            open(path);
        } else { // reached from the folder above, as Qt cannot name it
            QVERIFY(FileSystem::CreateFolder(path, nullptr));
            QVERIFY(FileSystem::ReplaceFile(path + '/' + entry, "MZ", nullptr));
            open(mWorld->root());
            openItem(FileSystem::Shown(folder));
        }
        QCOMPARE(mChooser->findChild<QLabel*>("lblCurrentPath")->text(),
                 FileSystem::Shown(path)); // with no trailing separator but the root's
        QTEST(ok()->isEnabled(), "enabled");
        if (ok()->isEnabled()) { // OK stores the folder and shows it in the options dialog
            ok()->click();
            QCOMPARE(modMain::gSettings().DrovakDir(), path);
            QCOMPARE(modMain::gSettings().CarDir(), path + "/cars");
            QCOMPARE(options->findChild<QLineEdit*>("txtEXEDirectory")->text(),
                     FileSystem::Shown(path));
        }
        delete options;
    }

    void unreadableFolderOrDrive_data()
    {
        QTest::addColumn<bool>("drive");
        QTest::newRow("folder removed after listing") << false;
        QTest::newRow("drive unmounted after listing, leaving its mount point") << true;
    }
    void unreadableFolderOrDrive()
    {
        QFETCH(bool, drive);
        MsgBoxRecorder boxes;
        const QString gone = mWorld->gameDir() + QStringLiteral("/gone");
        QVERIFY(QDir().mkpath(gone));
        open(mWorld->gameDir());
        auto* drives = mChooser->findChild<QComboBox*>();
        if (drive) {
            drives->addItem(gone);
            QTest::keyClick(drives, Qt::Key_End);
        } else {
            QVERIFY(QDir(gone).removeRecursively());
            openItem(QStringLiteral("gone"));
        }
        QVERIFY2(boxes.only().text.contains(gone), qPrintable(boxes.only().text));
        openItem(QStringLiteral("cars")); // still at the folder that was open, and working
        QCOMPARE(mChooser->findChild<QLabel*>("lblCurrentPath")->text(), mWorld->carsDir());
    }
};

QTEST_MAIN(tst_GetDirectory)
#include "tst_GetDirectory.moc"
