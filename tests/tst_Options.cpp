#include "FileOpenRecorder.h"
#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "app/cSettings.h"
#include "app/modMain.h"
#include "ui/options/frmOptions.h"

#include <QtTest>
#include <QtWidgets>

// No text editor entry, and lines the dialog has no business changing.
const QByteArray kIni = "[Directories]\r\nEXEPath=/old\r\n[Applications]\r\nImageEditor=/img\r\n"
                        "[UserInfo]\r\nName=Old\r\n[Names]\r\n; c\r\nrc=RC\r\n";
// The same after saving new settings: all four entries, the empty one too, the rest untouched.
const QByteArray kSaved = "[Directories]\r\nEXEPath=/new\r\n[Applications]\r\nImageEditor=/ed\r\n"
                          "TextEditor=\r\n[UserInfo]\r\nName=\xd6l\r\n[Names]\r\n; c\r\nrc=RC\r\n";

class tst_Options : public QObject
{
    Q_OBJECT
    cSettings& mSettings = modMain::gSettings();
    std::optional<TestWorld> mWorld;
    QPointer<frmOptions> mDialog;

    QLineEdit* field(const QString& name) const { return mDialog->findChild<QLineEdit*>(name); }
    void click(const QString& name) const { mDialog->findChild<QPushButton*>(name)->click(); }

private slots:
    void init()
    {
        mWorld.emplace(kIni);
        mSettings.LoadSettings();
        mDialog = frmOptions::ShowShared();
    }
    void cleanup() { delete mDialog; }

    void pickers_data()
    {
        QTest::addColumn<QString>("editor");      // Img or Text: whose button
        QTest::addColumn<QString>("picked");      // null: the box is cancelled
        QTest::addColumn<QStringList>("editors"); // image and text editor afterwards
        QTest::newRow("image picked") << "Img" << QString("/a/i") << QStringList{"/a/i", ""};
        QTest::newRow("text picked") << "Text" << QString("/a/t") << QStringList{"/img", "/a/t"};
        QTest::newRow("cancelled") << "Img" << QString() << QStringList{"/img", ""};
    }
    void pickers()
    {
        QFETCH(QString, editor);
        QFETCH(QString, picked);
        FileOpenRecorder files;
        files.answer = picked;
        click("cmdChange" + editor + "EditPath");
        // Field and setting change at once.
        const QStringList shown{field("txtImgEditPath")->text(), field("txtTextEditPath")->text()};
        QTEST(shown, "editors");
        QTEST((QStringList{mSettings.ImageEditorPath(), mSettings.TextEditorPath()}), "editors");
        // The next box of either picker starts at the file last picked; a cancel keeps it.
        files.answer = QString();
        click("cmdChangeImgEditPath");
        click("cmdChangeTextEditPath");
        QCOMPARE(files.starts, (QStringList{QString(), picked, picked}));
    }

    void applyAndOk_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("file"); // the settings file, under the world's root
        const QString ini = "program/torvane.ini";
        QTest::newRow("Apply") << "cmdApply" << ini;
        QTest::newRow("OK") << "cmdOK" << ini;
        QTest::newRow("Apply, a folder in the file's place") << QString("cmdApply") << "program";
        QTest::newRow("OK, the file's folder missing") << QString("cmdOK") << "gone/torvane.ini";
    }
    void applyAndOk()
    {
        QFETCH(QString, button);
        QFETCH(QString, file);
        MsgBoxRecorder boxes;
        const QString path = mWorld->root() + '/' + file;
        const bool writable = file == "program/torvane.ini";
        mSettings.setINIPath(path);
        mSettings.setDrovakDir(QStringLiteral("/new")); // as the chooser and a picker leave them
        mSettings.setImageEditorPath(QStringLiteral("/ed"));
        field("txtAuthor")->setText(QStringLiteral("Öl"));
        // Typed paths are shown, never read back.
        for (const char* name : {"txtEXEDirectory", "txtImgEditPath", "txtTextEditPath"})
            QTest::keyClicks(field(name), QStringLiteral("/typed"));
        click(button);
        // OK closes only once the file is written; else the user is told which file, can mend
        // it and try again.
        QCOMPARE(mDialog->isVisible(), button == "cmdApply" || !writable);
        if (writable)
            QCOMPARE(mWorld->read(file), kSaved);
        else
            QVERIFY2(boxes.only().text.contains(path), qPrintable(boxes.only().text));
    }

    void enterPressesNoButtonEscCancelsAndTheNextOpeningShowsTheSettings()
    {
        FileOpenRecorder files;
        files.answer = "/a/t";
        click("cmdChangeTextEditPath");
        QTest::keyClick(mDialog->findChild<QPushButton*>("cmdOK"), Qt::Key_Return);
        QVERIFY(mDialog->isVisible());
        QTest::keyClick(field("txtAuthor"), Qt::Key_Escape);
        QVERIFY(!mDialog->isVisible());
        QCOMPARE(mWorld->read("program/torvane.ini"), kIni); // nothing written
        QTRY_VERIFY(!frmOptions::Shared());
        // The fields show the settings in memory, where Cancel left the pick.
        mDialog = frmOptions::ShowShared();
        QCOMPARE(field("txtEXEDirectory")->text(), "/old");
        QCOMPARE(field("txtImgEditPath")->text(), "/img");
        QCOMPARE(field("txtTextEditPath")->text(), "/a/t");
        QCOMPARE(field("txtAuthor")->text(), "Old");
    }
};

QTEST_MAIN(tst_Options)
#include "tst_Options.moc"
