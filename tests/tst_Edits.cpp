#include "MainWindowDriver.h"

using Way = std::function<bool()>;
Q_DECLARE_METATYPE(Way)

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
        // way: leaves the car blue, edited, and says whether it went on; answer: to the
        // question, -1 for a Save that fails, -2 for one refused without a game folder; more: the
        // boxes the way shows when it goes on
        Columns<Way, int, int>("way", "answer", "more");
        const int save = int(MsgBox::Answer::Save), discard = int(MsgBox::Answer::Discard);
        const int cancel = int(MsgBox::Answer::Cancel);
        const Way click = [this] {
            clickNode(node("red"));
            return mWindow->SelectedKey() == "red";
        };
        const Way refresh = [this] {
            mWorld->makeCar("green");
            QTest::keyClick(mWindow.get(), Qt::Key_F5);
            return node("green").isValid();
        };
        const Way key = [this] {
            tree()->setFocus();
            QTest::keyClick(tree(), Qt::Key_Delete);
            return mBoxes->boxes().size() == 2;
        };
        const Way drop = [this] {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(mWorld->root() + "/none.zip")});
            QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, {});
            QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(mWindow.get(), &enter);
            QApplication::sendEvent(mWindow.get(), &dropped);
            QCoreApplication::processEvents(); // the install starts once the drop has ended
            return mBoxes->boxes().size() == 2;
        };
        // As a later start of the program hands them over: once no box is open.
        const Way handed = [this] {
            mWindow->InstallFromOutside({mWorld->root() + "/none.zip"});
            return QTest::qWaitFor([this] { return !mBoxes->boxes().isEmpty(); }) &&
                   mBoxes->boxes().size() == 2;
        };
        const Way makeCar = [this] {
            const qsizetype windows = QApplication::topLevelWidgets().size();
            act("Add");
            return QApplication::topLevelWidgets().size() > windows;
        };
        const Way closing = [this] { return mWindow->close(); };
        // clang-format off
        QTest::newRow("another car, saved") << click << save << 0;
        QTest::newRow("another car, dropped") << click << discard << 0;
        QTest::newRow("another car, canceled") << click << cancel << 0;
        QTest::newRow("another car, the save fails") << click << -1 << 0;
        QTest::newRow("another car, no game folder to save in") << click << -2 << 0;
        QTest::newRow("Refresh, saved") << refresh << save << 0;
        QTest::newRow("Refresh, canceled") << refresh << cancel << 0;
        QTest::newRow("Delete key, dropped") << key << discard << 1;
        QTest::newRow("Delete key, canceled") << key << cancel << 1;
        QTest::newRow("an archive dropped, saved") << drop << save << 1;
        QTest::newRow("an archive dropped, canceled") << drop << cancel << 1;
        QTest::newRow("an archive handed over, saved") << handed << save << 1;
        QTest::newRow("an archive handed over, canceled") << handed << cancel << 1;
        QTest::newRow("Make Car, canceled") << makeCar << cancel << 0;
        QTest::newRow("closing, dropped") << closing << discard << 0;
        QTest::newRow("closing, canceled") << closing << cancel << 0;
        // clang-format on
    }
    // Cancel, and a save that fails, keep the car and its edits, the tree's selection on it.
    void leaving()
    {
        QFETCH(Way, way);
        QFETCH(int, answer);
        QFETCH(int, more);
        openWindow({"blue=Blue", "red=Red"});
        clickNode(node("blue"));
        QTest::keyClicks(control<QLineEdit>("txtCarName"), "Dark ");
        mBoxes->expect(answer < 0 ? MsgBox::Answer::Save : MsgBox::Answer(answer));
        const bool goesOn = answer != int(MsgBox::Answer::Cancel) && answer >= 0;
        if (answer == -1) {
            QVERIFY(QFile::remove(mWorld->carDir("blue") + "/carinfo.ini"));
            QVERIFY(QDir().mkpath(mWorld->carDir("blue") + "/carinfo.ini"));
        }
        if (answer == -2)
            modMain::gSettings().setDrovakDir(mWorld->root() + "/gone");
        if (answer < 0)
            mBoxes->expect();
        for (int box = 0; goesOn && box < more; ++box)
            mBoxes->expect(MsgBox::Answer::No);

        QCOMPARE(way(), goesOn);
        QCOMPARE(mBoxes->said().section('\n', 0, 0), "Torvane: Save the changes to 'blue'?");
        QCOMPARE(carinfo().contains("Name=Dark Blue"), answer == int(MsgBox::Answer::Save));
        if (goesOn)
            return;
        QCOMPARE(control<QLineEdit>("txtCarName")->text(), "Dark Blue");
        QVERIFY(control<QPushButton>("cmdUpdateCarInfo")->isEnabled());
        QCOMPARE(mWindow->SelectedKey(), "blue");
        QCOMPARE(tree()->currentIndex(), node("blue"));
        QCOMPARE(carState(), "+++++ shown");
    }

    // Update saves what was typed: in Windows-1252 where it holds it, else in UTF-8, the
    // description's line breaks as bars; the panel then shows what the file holds, the tree the
    // old name until the next scan. Enter presses the focused Update. A file that cannot be
    // written keeps the edits, and the way to store them.
    void update()
    {
        openWindow({"myrc=My RC\r\nDescription=a|b", QStringLiteral("tokyo=\u6771\u4eac")});
        QCOMPARE(node("tokyo").data().toString(), QStringLiteral("tokyo (\u6771\u4eac)"));
        clickNode(node("myrc"));
        auto* update = control<QPushButton>("cmdUpdateCarInfo");
        QTest::keyClicks(control<QLineEdit>("txtCarName"), "X"); // at the start of the name shown
        QVERIFY(update->isEnabled());
        control<QLineEdit>("txtCarAuthor")->insert(QStringLiteral("Zoé"));
        auto* description = control<QPlainTextEdit>("txtDescription");
        description->moveCursor(QTextCursor::End);
        QTest::keyClicks(description, "\rc\t"); // Tab moves on, as in every other box
        QTest::mouseClick(update, Qt::LeftButton);
        QVERIFY(!update->isEnabled());
        const QByteArray head = "[Zelmor Car Data]\r\nName=";
        QCOMPARE(mWorld->read("game/cars/myrc/carinfo.ini"),
                 head + "XMy RC\r\nDescription=a|b|c\r\nAuthor=Zo\xe9\r\nOriginalSkin=\r\n");
        QCOMPARE(node("myrc").data().toString(), QStringLiteral("myrc (My RC)"));

        control<QLineEdit>("txtCarName")->setText(QStringLiteral("  \u6771\u4eac "));
        control<QLineEdit>("txtCarAuthor")->setText(QStringLiteral("\u0141ukasz"));
        description->setPlainText(QStringLiteral("\u00c3\u00a9|x"));
        update->setFocus();
        QTest::keyClick(update, Qt::Key_Return);
        QCOMPARE(mWorld->read("game/cars/myrc/carinfo.ini"),
                 head + "\xe6\x9d\xb1\xe4\xba\xac \r\nDescription=\xc3\x83\xc2\xa9|x\r\n"
                        "Author=\xc5\x81ukasz\r\nOriginalSkin=\r\n");
        QCOMPARE(
            (QStringList{control<QLineEdit>("txtCarName")->text(),
                         control<QLineEdit>("txtCarAuthor")->text(), description->toPlainText()}),
            (QStringList{"\u6771\u4eac", "\u0141ukasz", "\u00c3\u00a9\nx"}));
        QVERIFY(!update->isEnabled());

        const QString ini = mWorld->carDir("myrc") + "/carinfo.ini";
        QVERIFY(QFile::remove(ini) && QDir().mkpath(ini));
        QTest::keyClicks(control<QLineEdit>("txtCarName"), "Y");
        mBoxes->expect();
        QTest::mouseClick(update, Qt::LeftButton);
        QCOMPARE(mBoxes->said(), "Error: There was an error updating the settings.\nCannot write " +
                                     ini + ":\nit is a folder.");
        QVERIFY(update->isEnabled());
    }
};

QTEST_MAIN(tst_Edits)
#include "tst_Edits.moc"
