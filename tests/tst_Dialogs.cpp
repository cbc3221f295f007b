#include "MainWindowDriver.h"
#include "platform/FileOpenBox.h"
#include "platform/Registry.h"
#include "platform/desktop/QtMsgBoxPresenter.h"

namespace {

// No text editor entry, and lines the options have no business changing.
const QByteArray kIni = "[Directories]\r\nEXEPath=/old\r\n[Applications]\r\nImageEditor=/img\r\n"
                        "[UserInfo]\r\nName=Old\r\n[Names]\r\n; c\r\nrc=RC\r\n";
// The same after saving new settings: all four entries, the empty one too, the rest untouched.
QByteArray Saved(const QStringList& paths)
{
    return "[Directories]\r\nEXEPath=" + paths[0].toUtf8() +
           "\r\n[Applications]\r\nImageEditor=" + paths[1].toUtf8() +
           "\r\nTextEditor=" + paths[2].toUtf8() +
           "\r\n[UserInfo]\r\nName=\xd6l\r\n[Names]\r\n; c\r\nrc=RC\r\n";
}

} // namespace

// The options dialog, the game-folder chooser and the about box, driven as the user would. The
// test answers their file-open boxes and is their registry.
class tst_Dialogs : public QObject, FileOpenBox::Presenter, Registry::Backend
{
    Q_OBJECT
    cSettings& mSettings = modMain::gSettings();
    std::optional<TestWorld> mWorld;
    QPointer<frmOptions> mOptions;
    QPointer<frmGetDirectory> mChooser;
    QPointer<frmAbout> mAbout;
    QString mPicked;     // the answer to every file-open box; null cancels the box
    QStringList mStarts; // the file each box started at
    // The local machine's string values, each under its key name, a backslash and its value
    // name; the bytes as stored, a terminating zero included. A null value is no value.
    QHash<QString, QByteArray> mRegistry;

    std::optional<QString> present(const QString& startFile, const QString&,
                                   const QString&) override
    {
        mStarts.append(startFile);
        return mPicked.isNull() ? std::nullopt : std::optional(mPicked);
    }
    std::optional<Registry::Value> read(Registry::Root root, const QString& key,
                                        const QString& value, std::uint32_t) override
    {
        const QByteArray data = mRegistry.value(key + '\\' + value);
        if (root != Registry::kLocalMachine || data.isNull())
            return std::nullopt;
        return Registry::Value{Registry::kTypeString, data};
    }

    QLineEdit* field(const char* name) const { return mOptions->findChild<QLineEdit*>(name); }
    QStringList fields() const
    {
        return {field("txtEXEDirectory")->text(), field("txtImgEditPath")->text(),
                field("txtTextEditPath")->text(), field("txtAuthor")->text()};
    }
    void click(QWidget* w, const QString& name) const { w->findChild<QPushButton*>(name)->click(); }
    QTreeWidget* tree() const { return mChooser->findChild<QTreeWidget*>(); }
    QString currentPath() const { return mChooser->findChild<QLabel*>("lblCurrentPath")->text(); }
    void choose(const QString& folder)
    {
        QDir::setCurrent(folder);
        mChooser = frmGetDirectory::ShowShared();
        QTest::keyClick(tree(), Qt::Key_Return);
    }
    // Enter on the keypad, as Return does.
    void openItem(const QString& name) const
    {
        tree()->setCurrentItem(tree()->findItems(name, Qt::MatchRecursive).value(0));
        QTest::keyClick(tree(), Qt::Key_Enter, Qt::KeypadModifier);
    }

private slots:
    void init()
    {
        mWorld.emplace(kIni);
        mSettings.LoadSettings();
        mOptions = frmOptions::ShowShared();
        FileOpenBox::SetPresenter(this);
        Registry::SetBackend(this);
        mStarts.clear();
        mRegistry.clear();
    }
    void cleanup() { qDeleteAll(QList<QWidget*>{mOptions, mChooser, mAbout}); }

    void editorPickers_data()
    {
        // editor: Img or Text: whose button; picked: null: the box is cancelled; fields: game
        // folder, image and text editor, author
        Columns<QString, QString, QStringList>("editor", "picked", "fields");
        // clang-format off
        QTest::newRow("image picked") << "Img" << QString("/a/i") << QStringList{"/old", "/a/i", "", "Old"};
        QTest::newRow("text picked") << "Text" << QString("/a/t") << QStringList{"/old", "/img", "/a/t", "Old"};
        QTest::newRow("cancelled") << "Img" << QString() << QStringList{"/old", "/img", "", "Old"};
        // clang-format on
    }
    // A pick changes field and setting at once. Enter in a field presses no button; Esc cancels
    // and writes nothing, and the next opening shows the settings in memory, the pick included:
    // no button stored it.
    void editorPickers()
    {
        QFETCH(QString, editor);
        QFETCH(QString, picked);
        mPicked = picked;
        click(mOptions, "cmdChange" + editor + "EditPath");
        QTEST(fields(), "fields");
        // The next box of either picker starts at the file last picked; a cancel keeps it.
        mPicked = QString();
        click(mOptions, "cmdChangeImgEditPath");
        click(mOptions, "cmdChangeTextEditPath");
        QCOMPARE(mStarts, (QStringList{QString(), picked, picked}));
        QTest::keyClick(field("txtAuthor"), Qt::Key_Return);
        QVERIFY(mOptions->isVisible());
        QTest::keyClick(field("txtAuthor"), Qt::Key_Escape);
        QTRY_VERIFY(!frmOptions::Shared());
        QCOMPARE(mWorld->read("program/torvane.ini"), kIni);
        mOptions = frmOptions::ShowShared();
        QTEST(fields(), "fields");
    }

    void applyAndOk_data()
    {
        // file: the settings file, under the world's root. typed: into the game folder and the
        // two editor fields, null where the chooser and a picker set them; ~ is the home folder,
        // the world's root, which holds game/drovak.exe and the programs bin/paint and bin/edit.
        // stored: what is saved, where nothing is refused; else the field told and kept focused.
        Columns<QString, QString, QStringList, QStringList>("button", "file", "typed", "stored");
        const QString ini = "program/torvane.ini";
        const QStringList kept(3), picked{"/new", "/ed", ""};
        // clang-format off
        QTest::newRow("Apply") << "cmdApply" << ini << kept << picked;
        QTest::newRow("OK, the file's folder missing") << "cmdOK" << "gone/torvane.ini" << kept << picked;
        QTest::newRow("typed, as paths and a name") << "cmdOK" << ini << QStringList{" ~/game/ ", "~/bin/paint", "edit"} << QStringList{"~/game", "~/bin/paint", "~/bin/edit"};
        QTest::newRow("typed, an editor cleared") << "cmdOK" << ini << QStringList{"~/game", "", {}} << QStringList{"~/game", "", ""};
        QTest::newRow("typed, no drovak.exe") << "cmdOK" << ini << QStringList{"~/bin", {}, {}} << QStringList{"txtEXEDirectory"};
        QTest::newRow("typed, no game folder") << "cmdApply" << ini << QStringList{"", {}, {}} << QStringList{"txtEXEDirectory"};
        QTest::newRow("typed, a file that cannot run") << "cmdOK" << ini << QStringList{{}, "~/game/drovak.exe", {}} << QStringList{"txtImgEditPath"};
        QTest::newRow("typed, a name not on the search path") << "cmdApply" << ini << QStringList{"~/game", {}, "paint2"} << QStringList{"txtTextEditPath"};
        // clang-format on
    }
    void applyAndOk()
    {
        QFETCH(QString, button);
        QFETCH(QString, file);
        QFETCH(QStringList, typed);
        QFETCH(QStringList, stored);
        const QString root = mWorld->root();
        mWorld->write("game/drovak.exe", "MZ");
        mWorld->write("bin/paint", "#!/bin/sh\n", 0755);
        mWorld->write("bin/edit", "#!/bin/sh\n", 0755);
        const QByteArray home = qgetenv("HOME"), path = qgetenv("PATH");
        qputenv("HOME", root.toUtf8());
        qputenv("PATH", (root + "/bin").toUtf8());
        const auto restore = qScopeGuard([&] { qputenv("HOME", home), qputenv("PATH", path); });
        MsgBoxRecorder boxes;
        const bool writable = file == "program/torvane.ini", refused = stored.size() == 1;
        mSettings.setINIPath(root + '/' + file);
        // As the chooser and a picker leave them.
        mSettings.setDrovakDir("/new");
        mOptions->ShowGameFolder("/new");
        mSettings.setImageEditorPath("/ed");
        field("txtImgEditPath")->setText("/ed");
        field("txtAuthor")->setText(QStringLiteral("Öl"));
        const char* const names[] = {"txtEXEDirectory", "txtImgEditPath", "txtTextEditPath"};
        for (int i = 0; i < 3; ++i) {
            if (!typed[i].isNull())
                field(names[i])->setText(typed[i]);
        }
        if (!writable || refused)
            boxes.expect();
        QTest::keyClick(mOptions->findChild<QPushButton*>(button), Qt::Key_Return); // focused
        // OK closes only once the file is written; else the user is told which file or which
        // field, can mend it and try again.
        QCOMPARE(mOptions->isVisible(), button == "cmdApply" || !writable || refused);
        const QString told = boxes.boxes().value(0).text;
        if (refused) {
            QCOMPARE(mOptions->focusWidget(), field(qPrintable(stored[0])));
            QCOMPARE(told, "'" + field(qPrintable(stored[0]))->text().trimmed() + "' " +
                               (stored[0] == names[0] ? "is not the game folder: it holds no "
                                                        "drovak.exe."
                                                      : "is not a program Torvane can start."));
            stored = QStringList{"/new", "/ed", ""};
        }
        stored.replaceInStrings("~", root);
        QCOMPARE((QStringList{mSettings.DrovakDir(), mSettings.ImageEditorPath(),
                              mSettings.TextEditorPath()}),
                 stored);
        if (!writable)
            QVERIFY2(told.contains(mSettings.INIPath()), qPrintable(told));
        else
            QCOMPARE(mWorld->read(file), refused ? kIni : Saved(stored));
    }

    void chooserOk_data()
    {
        // folder: opened: under the world's root, or the root "/"; entry: a file made in it first
        Columns<QString, QString, bool>("folder", "entry", "enabled");
        // clang-format off
        QTest::newRow("other letter case") << "t" << "DROVAK.EXE" << true;
        QTest::newRow("a folder named drovak.exe") << "t" << "drovak.exe/x" << false;
        QTest::newRow("root, shown with its separator") << "/" << "" << false;
        QTest::newRow("a name copied from Windows") << FileSystem::Decode("jeu\xe9") << "drovak.exe" << true;
        // clang-format on
    }
    void chooserOk()
    {
        QFETCH(QString, folder);
        QFETCH(QString, entry);
        const QString path = QDir(mWorld->root()).filePath(folder);
        mWorld->write(folder + '/' + entry, "MZ"); // no entry: just the folder
        // Opened from the folder above, as a name Qt cannot spell must be.
        choose(folder == "/" ? folder : mWorld->root());
        if (folder != "/")
            openItem(FileSystem::Shown(folder));
        QCOMPARE(currentPath(), FileSystem::Shown(path)); // no trailing separator but the root's
        auto* ok = mChooser->findChild<QPushButton*>("cmdOK");
        QTEST(ok->isEnabled(), "enabled");
        if (ok->isEnabled()) { // OK stores the folder and shows it in the options dialog
            QTest::keyClick(ok, Qt::Key_Enter, Qt::KeypadModifier);
            QCOMPARE(mSettings.DrovakDir(), path);
            QCOMPARE(field("txtEXEDirectory")->text(), FileSystem::Shown(path));
        } else { // Esc leaves as Cancel does
            QTest::keyClick(tree(), Qt::Key_Escape);
            QTRY_VERIFY(!mChooser);
            QCOMPARE(mSettings.DrovakDir(), "/old");
        }
    }

    void chooserUnreadableFolderOrDrive_data()
    {
        Columns<bool>("drive");
        QTest::newRow("folder removed after listing") << false;
        QTest::newRow("drive unmounted after listing, leaving its mount point") << true;
    }
    void chooserUnreadableFolderOrDrive()
    {
        QFETCH(bool, drive);
        MsgBoxRecorder boxes;
        const QString gone = mWorld->write("game/gone/", {}).chopped(1);
        choose(mWorld->gameDir());
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
        QCOMPARE(currentPath(), mWorld->carsDir());
    }

    // A box shows the program's icon, also with no window above it to take one from.
    void messageBoxHasTheIcon()
    {
        delete mOptions;
        QtMsgBoxPresenter presenter;
        MsgBox::Presenter* previous = MsgBox::SetPresenter(&presenter);
        QIcon icon;
        QTimer::singleShot(0, [&icon] {
            icon = QApplication::activeModalWidget()->windowIcon();
            QApplication::activeModalWidget()->close();
        });
        MsgBox::Show(QStringLiteral("Restart Torvane when you are finished."));
        MsgBox::SetPresenter(previous);
        QVERIFY(!icon.isNull());
    }

    void aboutSystemInformation_data()
    {
        // first: the tool's path as stored; null: no such value; second: what the folder named by
        // the second value holds; result: the program started ('~': that folder) or message
        Columns<QByteArray, QString, QString>("first", "second", "result");
        const QByteArray x(1024, 'x'), tool("/t.exe\0", 7);
        const QString msinfo = "MSINFO32.EXE", fromIt = "~/MSINFO32.EXE",
                      message = "System Information Is Unavailable At This Time";
        QTest::newRow("first present") << tool << msinfo << QString("/t.exe");
        QTest::newRow("first missing, second with the tool") << QByteArray() << msinfo << fromIt;
        QTest::newRow("second without the tool") << QByteArray() << "nothing" << message;
        QTest::newRow("neither") << QByteArray() << QString() << message;
        QTest::newRow("1024 bytes fit") << x << QString() << QString(x);
        QTest::newRow("1025 bytes do not") << x + '\0' << msinfo << fromIt;
    }
    void aboutSystemInformation()
    {
        QFETCH(QByteArray, first);
        QFETCH(QString, second);
        QFETCH(QString, result);
        MsgBoxRecorder boxes;
        LauncherRecorder launches;
        const QString folder = mWorld->write("tools/" + second, {}).section('/', 0, -2);
        mRegistry.insert("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO\\PATH", first);
        if (!second.isNull())
            mRegistry.insert("SOFTWARE\\Microsoft\\Shared Tools Location\\MSINFO",
                             QFile::encodeName(folder) + '\0');
        mAbout = frmAbout::ShowShared();
        click(mAbout, "cmdSysInfo");
        const auto& calls = launches.calls();
        QCOMPARE(calls.isEmpty() ? boxes.only().text : calls.first().target,
                 result.replace('~', folder));
        // The maker's link opens their page, whatever the button did; Esc closes the box.
        QTest::mouseClick(mAbout->findChild<QLabel*>("lblZelmor"), Qt::LeftButton);
        QCOMPARE(calls.value(calls.size() - 1).target,
                 QStringLiteral("https://www.zelmor.example/"));
        QTest::keyClick(mAbout, Qt::Key_Escape);
        QVERIFY(!mAbout->isVisible());
    }
};

QTEST_MAIN(tst_Dialogs)
#include "tst_Dialogs.moc"
