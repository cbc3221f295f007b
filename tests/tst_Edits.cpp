#include "MainWindowDriver.h"

using Command = std::function<void()>;
using Done = std::function<bool()>;
Q_DECLARE_METATYPE(Command)
Q_DECLARE_METATYPE(Done)

// What the player types into the panel: never dropped without a word, and saved as typed.
class tst_Edits : public QObject, MainWindowDriver
{
    Q_OBJECT

    QString carinfo() const
    {
        return QString::fromUtf8(mWorld->read("game/cars/blue/carinfo.ini"));
    }

private slots:
    void init() { open(); }
    void cleanup() { close(); }

    void leaving_data()
    {
        // command: leaves the car blue, edited; done: whether it went on; answer: to the
        // question, -1 for a Save that fails; more: the boxes the command shows when it goes on
        Columns<Command, Done, int, int>("command", "done", "answer", "more");
        const int save = int(MsgBox::Answer::Save), discard = int(MsgBox::Answer::Discard);
        const int cancel = int(MsgBox::Answer::Cancel);
        const Command click = [this] { clickNode(node("red")); };
        const Done clicked = [this] { return mWindow->SelectedKey() == "red"; };
        const Command refresh = [this] {
            mWorld->makeCar("green");
            QTest::keyClick(mWindow.get(), Qt::Key_F5);
        };
        const Done refreshed = [this] { return node("green").isValid(); };
        const Done asked = [this] { return mBoxes->boxes().size() == 2; };
        const Command drop = [this] {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(mWorld->root() + "/none.zip")});
            QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, {});
            QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(mWindow.get(), &enter);
            QApplication::sendEvent(mWindow.get(), &dropped);
            QCoreApplication::processEvents(); // the install starts once the drop has ended
        };
        const Command key = [this] {
            tree()->setFocus();
            QTest::keyClick(tree(), Qt::Key_Delete);
        };
        const Command makeCar = [this] { act("Add"); };
        const Done wizard = [] {
            const QWidgetList windows = QApplication::topLevelWidgets();
            return std::any_of(windows.begin(), windows.end(), [](QWidget* w) {
                return qobject_cast<frmCreateCarWizard*>(w) && w->isVisible();
            });
        };
        const Command closing = [this] { mWindow->close(); };
        const Done closed = [this] { return !mWindow->isVisible(); };
        // clang-format off
        QTest::newRow("another car, saved") << click << clicked << save << 0;
        QTest::newRow("another car, dropped") << click << clicked << discard << 0;
        QTest::newRow("another car, canceled") << click << clicked << cancel << 0;
        QTest::newRow("another car, the save fails") << click << clicked << -1 << 0;
        QTest::newRow("Refresh, saved") << refresh << refreshed << save << 0;
        QTest::newRow("Refresh, canceled") << refresh << refreshed << cancel << 0;
        QTest::newRow("Delete key, dropped") << key << asked << discard << 1;
        QTest::newRow("Delete key, canceled") << key << asked << cancel << 1;
        QTest::newRow("an archive dropped, canceled") << drop << asked << cancel << 1;
        QTest::newRow("an archive dropped, saved") << drop << asked << save << 1;
        QTest::newRow("Make Car, canceled") << makeCar << wizard << cancel << 0;
        QTest::newRow("closing, canceled") << closing << closed << cancel << 0;
        QTest::newRow("closing, dropped") << closing << closed << discard << 0;
        // clang-format on
    }
    // Cancel, and a save that fails, keep the car and its edits, the tree's selection on it.
    void leaving()
    {
        QFETCH(Command, command);
        QFETCH(Done, done);
        QFETCH(int, answer);
        QFETCH(int, more);
        openWindow({"blue=Blue", "red=Red"});
        clickNode(node("blue"));
        QTest::keyClicks(control<QLineEdit>("txtCarName"), "Dark ");
        mBoxes->expect(answer < 0 ? MsgBox::Answer::Save : MsgBox::Answer(answer));
        const bool goesOn = answer != int(MsgBox::Answer::Cancel) && answer >= 0;
        if (answer < 0) {
            QVERIFY(QFile::remove(mWorld->carDir("blue") + "/carinfo.ini"));
            QVERIFY(QDir().mkpath(mWorld->carDir("blue") + "/carinfo.ini"));
            mBoxes->expect();
        }
        for (int box = 0; goesOn && box < more; ++box)
            mBoxes->expect(MsgBox::Answer::No);

        command();

        QCOMPARE(mBoxes->said().section('\n', 0, 0), "Torvane: Save the changes to 'blue'?");
        QCOMPARE(done(), goesOn);
        QCOMPARE(carinfo().contains("Name=Dark Blue"), answer == int(MsgBox::Answer::Save));
        if (goesOn)
            return;
        QCOMPARE(control<QLineEdit>("txtCarName")->text(), "Dark Blue");
        QVERIFY(control<QPushButton>("cmdUpdateCarInfo")->isEnabled());
        QCOMPARE(mWindow->SelectedKey(), "blue");
        QCOMPARE(tree()->currentIndex(), node("blue"));
        QCOMPARE(carState(), "+++++ shown");
    }

    // What Windows-1252 cannot hold is kept in UTF-8; the panel then shows what the file
    // holds. Enter presses the focused Update.
    void beyondTheCodePage()
    {
        openWindow({QStringLiteral("blue=\u6771\u4eac")});
        QCOMPARE(node("blue").data().toString(), QStringLiteral("blue (\u6771\u4eac)"));
        clickNode(node("blue"));
        control<QLineEdit>("txtCarName")->setText("  Zo\u00e9 ");
        control<QLineEdit>("txtCarAuthor")->setText(QStringLiteral("\u0141ukasz"));
        control<QPlainTextEdit>("txtDescription")->setPlainText(QStringLiteral("\u00c3\u00a9|x"));
        auto* update = control<QPushButton>("cmdUpdateCarInfo");
        update->setFocus();
        QTest::keyClick(update, Qt::Key_Return);
        QCOMPARE(mWorld->read("game/cars/blue/carinfo.ini"),
                 "[Zelmor Car Data]\r\nName=Zo\xe9 \r\nAuthor=\xc5\x81ukasz\r\nOriginalSkin=\r\n"
                 "Description=\xc3\x83\xc2\xa9|x\r\n");
        QCOMPARE((QStringList{control<QLineEdit>("txtCarName")->text(),
                              control<QLineEdit>("txtCarAuthor")->text(),
                              control<QPlainTextEdit>("txtDescription")->toPlainText()}),
                 (QStringList{"Zo\u00e9", "\u0141ukasz", "\u00c3\u00a9\nx"}));
        QVERIFY(!update->isEnabled());
    }
};

QTEST_MAIN(tst_Edits)
#include "tst_Edits.moc"
