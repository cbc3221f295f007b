#include "FileOpenRecorder.h"
#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "app/cSettings.h"
#include "app/modMain.h"
#include "ui/options/frmOptions.h"

#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

class tst_Options : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void captionsAndFields();
    void focusOrderAndKeys();
    void pickers_data();
    void pickers();
    void pickerStartsAtLastPick();
    void applyAndOkWriteTheFile_data();
    void applyAndOkWriteTheFile();
    void unwritableSettingsFile_data();
    void unwritableSettingsFile();
    void typedPathsAndCancelChangeNothing();

private:
    void open();
    QLineEdit* field(const char* name) const { return mDialog->findChild<QLineEdit*>(name); }
    void click(const char* name) const
    {
        QTest::mouseClick(mDialog->findChild<QPushButton*>(name), Qt::LeftButton);
    }

    std::unique_ptr<TestWorld> mWorld;
    std::unique_ptr<MsgBoxRecorder> mBoxes;
    std::unique_ptr<FileOpenRecorder> mFiles;
    QPointer<frmOptions> mDialog;
};

namespace {

const QByteArray kShippedIni = "; shipped with Torvane\r\n"
                               "[Directories]\r\nEXEPath=/old/game\r\n"
                               "[Applications]\r\nImageEditor=/usr/bin/old-paint\r\n"
                               "[UserInfo]\r\nName=Old Name\r\n"
                               "[Classify]\r\nrc=original\r\n[Names]\r\nrc=RC Sprinter\r\n";

cSettings& Settings()
{
    return modMain::gSettings();
}

// Types text as the keyboard would, letters outside ASCII included.
void Type(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

} // namespace

void tst_Options::init()
{
    mWorld = std::make_unique<TestWorld>(kShippedIni);
    Settings().LoadSettings();
    mBoxes = std::make_unique<MsgBoxRecorder>();
    mFiles = std::make_unique<FileOpenRecorder>();
}

void tst_Options::cleanup()
{
    if (mDialog)
        mDialog->close();
    const QString problems = mBoxes->problems() + mFiles->problems();
    mFiles.reset();
    mBoxes.reset();
    mWorld.reset();
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
    QTRY_VERIFY(!frmOptions::Shared());
}

void tst_Options::open()
{
    mDialog = frmOptions::ShowShared();
    QVERIFY(QTest::qWaitForWindowActive(mDialog));
}

void tst_Options::captionsAndFields()
{
    Settings().setImageEditorPath(QStringLiteral("/opt/paint"));
    Settings().setAuthor(QStringLiteral("Zoë"));
    open();
    QCOMPARE(mDialog->windowTitle(), QStringLiteral("Options"));
    const QStringList frames{"Drovak Directory ", "Editor Paths ", "User Information"};
    for (const char* name : {"fraSample1", "fraEditorPath", "fraUserInfo"}) {
        auto* frame = mDialog->findChild<QGroupBox*>(name);
        QVERIFY(frames.contains(frame->title()) && frame->font().bold());
        QVERIFY(!frame->findChildren<QWidget*>().first()->font().bold());
    }
    QCOMPARE(field("txtEXEDirectory")->text(), QStringLiteral("/old/game"));
    QCOMPARE(field("txtImgEditPath")->text(), QStringLiteral("/opt/paint"));
    QCOMPARE(field("txtTextEditPath")->text(), QString());
    QCOMPARE(field("txtAuthor")->text(), QStringLiteral("Zoë"));

    QVERIFY(frmOptions::ShowShared() == mDialog); // one instance, brought forward
    // Each opening fills the fields from memory, not from the file.
    Settings().setTextEditorPath(QStringLiteral("/opt/edit"));
    click("cmdCancel");
    QTRY_VERIFY(!frmOptions::Shared());
    open();
    QCOMPARE(field("txtTextEditPath")->text(), QStringLiteral("/opt/edit"));
}

void tst_Options::focusOrderAndKeys()
{
    open();
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdOK"));
    for (const char* name : {"cmdCancel", "cmdApply", "txtEXEDirectory", "cmdChangeCarDir",
                             "txtImgEditPath", "cmdChangeImgEditPath", "txtAuthor",
                             "cmdChangeTextEditPath", "txtTextEditPath", "cmdOK"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(name));
    }
    // Enter presses no button, not even the focused one.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(field("txtAuthor"), Qt::Key_Enter);
    QTest::qWait(50);
    QVERIFY(frmOptions::Shared());
    QCOMPARE(mWorld->read("program/torvane.ini"), kShippedIni);

    QTest::keyClicks(field("txtAuthor"), QStringLiteral("New"));
    QTest::keyClick(field("txtAuthor"), Qt::Key_Escape);
    QTRY_VERIFY(!frmOptions::Shared());
    QCOMPARE(Settings().Author(), QStringLiteral("Old Name"));
}

void tst_Options::pickers_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("picked"); // null: the box is cancelled
    QTest::addColumn<QString>("image");  // the image editor setting afterwards
    QTest::addColumn<QString>("text");   // the text editor setting afterwards

    const QString old = QStringLiteral("/usr/bin/old-paint");
    QTest::newRow("image editor picked") << "cmdChangeImgEditPath"
                                         << "txtImgEditPath"
                                         << "/opt/my paint/paint"
                                         << "/opt/my paint/paint"
                                         << "";
    QTest::newRow("text editor picked") << "cmdChangeTextEditPath"
                                        << "txtTextEditPath"
                                        << "/usr/bin/edit" << old << "/usr/bin/edit";
    QTest::newRow("image editor cancelled") << "cmdChangeImgEditPath"
                                            << "txtImgEditPath" << QString() << old << "";
    QTest::newRow("text editor cancelled") << "cmdChangeTextEditPath"
                                           << "txtTextEditPath" << QString() << old << "";
}

void tst_Options::pickers()
{
    QFETCH(QString, button);
    QFETCH(QString, field);
    QFETCH(QString, picked);
    open();
    QLineEdit* edit = this->field(qPrintable(field));
    QTest::keyClicks(edit, QStringLiteral("/typed"));
    const QString typed = edit->text();
    picked.isNull() ? mFiles->cancel() : mFiles->pick(picked);
    click(qPrintable(button));
    QCOMPARE(mFiles->starts(), QStringList{QString()});
    QCOMPARE(edit->text(), picked.isNull() ? typed : picked);
    QTEST(Settings().ImageEditorPath(), "image");
    QTEST(Settings().TextEditorPath(), "text");
    QCOMPARE(mWorld->read("program/torvane.ini"), kShippedIni); // written only by Apply or OK
}

void tst_Options::pickerStartsAtLastPick()
{
    open();
    mFiles->pick(QStringLiteral("/opt/paint"));
    mFiles->pick(QStringLiteral("/opt/edit"));
    mFiles->cancel();
    click("cmdChangeImgEditPath");
    click("cmdChangeTextEditPath");
    click("cmdChangeImgEditPath");
    QCOMPARE(mFiles->starts(),
             (QStringList{QString(), QStringLiteral("/opt/paint"), QStringLiteral("/opt/edit")}));

    click("cmdCancel"); // a new opening has a new file box
    QTRY_VERIFY(!frmOptions::Shared());
    open();
    mFiles->cancel();
    click("cmdChangeTextEditPath");
    QCOMPARE(mFiles->starts().last(), QString());
}

void tst_Options::applyAndOkWriteTheFile_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("author");
    QTest::addColumn<QByteArray>("name"); // the Name entry as written
    QTest::newRow("Apply") << "cmdApply"
                           << "Zoë" << QByteArray("Zo\xeb");
    QTest::newRow("OK") << "cmdOK"
                        << "Zoë" << QByteArray("Zo\xeb");
    QTest::newRow("Apply with the author cleared") << "cmdApply"
                                                   << "" << QByteArray();
}

void tst_Options::applyAndOkWriteTheFile()
{
    QFETCH(QString, button);
    QFETCH(QString, author);
    QFETCH(QByteArray, name);
    Settings().setDrovakDir(mWorld->gameDir()); // as the chooser leaves it
    Settings().setCarDir(QStringLiteral("/stale"));
    open();
    field("txtAuthor")->clear();
    Type(field("txtAuthor"), author);
    mFiles->pick(QStringLiteral("/opt/paint"));
    click("cmdChangeImgEditPath");

    // All four entries, the empty text editor too; every other byte as it was.
    const QByteArray expected = "; shipped with Torvane\r\n[Directories]\r\nEXEPath=" +
                                QFile::encodeName(mWorld->gameDir()) +
                                "\r\n[Applications]\r\nImageEditor=/opt/paint\r\nTextEditor=\r\n"
                                "[UserInfo]\r\nName=" +
                                name +
                                "\r\n[Classify]\r\nrc=original\r\n[Names]\r\nrc=RC Sprinter\r\n";
    click(qPrintable(button));
    QCOMPARE(mWorld->read("program/torvane.ini"), expected);
    QCOMPARE(Settings().Author(), author);
    QCOMPARE(Settings().CarDir(), mWorld->carsDir());
    if (button == QLatin1String("cmdOK")) {
        QTRY_VERIFY(!frmOptions::Shared());
    } else {
        click("cmdApply"); // again: the same bytes, and the dialog stays
        QCOMPARE(mWorld->read("program/torvane.ini"), expected);
        QVERIFY(mDialog && mDialog->isVisible());
    }
}

void tst_Options::unwritableSettingsFile_data()
{
    QTest::addColumn<QString>("iniPath"); // under the world's root
    QTest::newRow("a folder in the file's place") << "program/torvane.ini";
    QTest::newRow("the file's folder is missing") << "gone/torvane.ini";
}

void tst_Options::unwritableSettingsFile()
{
    QFETCH(QString, iniPath);
    const QString path = mWorld->root() + QLatin1Char('/') + iniPath;
    if (QFile::remove(path))
        QVERIFY(QDir().mkpath(path));
    Settings().setINIPath(path);
    open();
    for (const char* button : {"cmdApply", "cmdOK"}) {
        mBoxes->clear();
        mBoxes->expect();
        click(button);
        const MsgBox::Box box = mBoxes->only();
        // The file, and after it the system's reason.
        const QString reason = box.text.section(path, 1).trimmed();
        QVERIFY2(box.text.contains(path) && reason.size() > 3, qPrintable(box.text));
        QCOMPARE(box.icon, MsgBox::Icon::Exclamation);
        QTest::qWait(20);
        QVERIFY2(frmOptions::Shared() && mDialog->isVisible(), button);
    }
}

void tst_Options::typedPathsAndCancelChangeNothing()
{
    open();
    for (const char* name : {"txtEXEDirectory", "txtImgEditPath", "txtTextEditPath"})
        QTest::keyClicks(field(name), QStringLiteral("/typed"));
    click("cmdOK");
    QTRY_VERIFY(!frmOptions::Shared());
    QCOMPARE(Settings().DrovakDir(), QStringLiteral("/old/game"));
    QCOMPARE(Settings().ImageEditorPath(), QStringLiteral("/usr/bin/old-paint"));
    QCOMPARE(Settings().TextEditorPath(), QString());
    const QByteArray saved = mWorld->read("program/torvane.ini");
    QVERIFY(saved.contains("EXEPath=/old/game\r\n") && !saved.contains("/typed"));

    // Cancel closes and undoes nothing: the picked editor stays, in memory only.
    open();
    mFiles->pick(QStringLiteral("/opt/edit"));
    click("cmdChangeTextEditPath");
    click("cmdCancel");
    QTRY_VERIFY(!frmOptions::Shared());
    QCOMPARE(Settings().TextEditorPath(), QStringLiteral("/opt/edit"));
    QCOMPARE(mWorld->read("program/torvane.ini"), saved);
}

QTEST_MAIN(tst_Options)
#include "tst_Options.moc"
