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
        // question, -1 for a Save that fails; more: the boxes the way shows when it goes on
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
        QTest::newRow("Refresh, saved") << refresh << save << 0;
        QTest::newRow("Refresh, canceled") << refresh << cancel << 0;
        QTest::newRow("Delete key, dropped") << key << discard << 1;
        QTest::newRow("Delete key, canceled") << key << cancel << 1;
        QTest::newRow("an archive dropped, saved") << drop << save << 1;
        QTest::newRow("an archive dropped, canceled") << drop << cancel << 1;
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
        if (answer < 0) {
            QVERIFY(QFile::remove(mWorld->carDir("blue") + "/carinfo.ini"));
            QVERIFY(QDir().mkpath(mWorld->carDir("blue") + "/carinfo.ini"));
            mBoxes->expect();
        }
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
