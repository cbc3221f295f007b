#include "MainWindowDriver.h"

namespace {

const QString kNoParameters = "The game cannot load this car: it has no parameters.txt.";
QString Missing(const QString& value)
{
    return "The game cannot find " + value + ".";
}
QByteArray Refs(const QStringList& values)
{
    QByteArray text = "Name\t\t\"Car\"\r\n";
    for (const QString& value : values)
        text += "Model\t0\t\"" + value.toLatin1() + "\"\r\n";
    return text;
}

} // namespace

// Cars the game cannot use: marked where the player looks, listed on their own, mended, and
// switched off without being deleted.
class tst_Marks : public QObject, MainWindowDriver
{
    Q_OBJECT

    // A custom car with these files, whose parameters.txt names these values.
    void makeCar(const QString& folder, const QStringList& files, const QStringList& values)
    {
        mWorld->makeCar(folder, "[Zelmor Car Data]\r\nName=" + folder.toUtf8());
        for (const QString& file : files)
            mWorld->write("game/cars/" + folder + "/" + file, "x");
        mWorld->write("game/cars/" + folder + "/parameters.txt", Refs(values));
    }
    // The items the pop-up menu of the car offers.
    QStringList popUpItems(const QString& car)
    {
        clickNode(node(car));
        clickNode(node(car), Qt::RightButton);
        auto* popUp = control<QMenu>("mnuPopUp");
        if (!QTest::qWaitFor([popUp] { return popUp->isVisible(); }))
            return {};
        popUp->close();
        QStringList items;
        for (const QAction* item : popUp->actions())
            if (item->isVisible())
                items << item->objectName().mid(8); // after "mnuPopUp"
        return items;
    }
    // The window on a library of every kind of car, once its cars are checked.
    void openLibrary()
    {
        makeCar("healthy", {"body.prm"}, {"cars\\HEALTHY\\Body.prm", "NONE", "body.prm"});
        QVERIFY(QFile::remove(mWorld->makeCar("bare") + "/parameters.txt"));
        QDir().mkpath(mWorld->carDir("empty"));
        makeCar("copied", {"body.prm", "car.pcx"},
                {"cars\\oldname\\body.prm", "cars\\copied\\car.pcx", "cars\\oldname\\car.pcx"});
        QStringList seven;
        for (int i = 1; i <= 7; ++i)
            seven << QString("cars\\many\\part%1.prm").arg(i);
        makeCar("many", {}, seven);
        makeCar("colon:car", {}, {});
        mWorld->makeCar("rc");
        openWindow();
    }

private slots:
    void init() { open(); }
    void cleanup() { close(); }

    void marks_data()
    {
        Columns<QString, QStringList>("car", "lines");
        QStringList many;
        for (int i = 1; i <= 5; ++i)
            many << Missing(QString("cars\\many\\part%1.prm").arg(i));
        // clang-format off
        QTest::newRow("healthy") << "healthy" << QStringList{};
        QTest::newRow("no parameters.txt") << "bare" << QStringList{kNoParameters};
        QTest::newRow("an empty folder") << "empty" << QStringList{kNoParameters};
        QTest::newRow("copied under a new name") << "copied" << QStringList{Missing("cars\\oldname\\body.prm"), Missing("cars\\oldname\\car.pcx")};
        QTest::newRow("seven missing: five, and the rest counted") << "many" << QStringList(many << "and 2 more");
        QTest::newRow("a name Windows cannot hold") << "colon:car" << QStringList{"The game cannot open this car under Wine: colon:car is not a name Windows can hold."};
        // clang-format on
    }
    // The node's icon, its tooltip and the panel say what keeps the game from using the car.
    void marks()
    {
        QFETCH(QString, car);
        QFETCH(QStringList, lines);
        openLibrary();
        const QModelIndex shown = node(car);
        const QIcon icon = shown.data(Qt::DecorationRole).value<QIcon>();
        const QIcon healthy = node("healthy").data(Qt::DecorationRole).value<QIcon>();
        QCOMPARE(icon.cacheKey() == healthy.cacheKey(), lines.isEmpty());
        const QString text = shown.data().toString();
        QCOMPARE(shown.data(Qt::ToolTipRole).toString(),
                 QStringList(QStringList{text} + lines).join('\n'));
        clickNode(shown);
        auto* problems = control<QPlainTextEdit>("txtProblems");
        QCOMPARE(problems->isVisible(), !lines.isEmpty());
        if (!lines.isEmpty())
            QCOMPARE(problems->toPlainText(), lines.join('\n'));
    }

    // Only the marked cars, with the filter on top; the count says how many.
    void problemsOnly()
    {
        openLibrary();
        clickNode(node("copied"));
        act("mnuToolsProblems");
        QCOMPARE(keys(1), (QStringList{"bare", "colon:car", "copied", "empty", "many"}));
        QCOMPARE(status(), "5 of 7 cars have problems.");
        QCOMPARE(tree()->currentIndex(), node("copied"));
        QTest::keyClicks(control<QLineEdit>("txtFilter"), "e");
        QCOMPARE(keys(1), (QStringList{"bare", "copied", "empty"}));
        QCOMPARE(status(), "3 of 7 cars with problems match 'e'.");
        // A car mended meanwhile leaves the list once it is checked again, and the selection
        // with it; the panel keeps it, as it keeps a car the filter hides.
        clickNode(node("bare"));
        mWorld->write("game/cars/bare/parameters.txt", Refs({}));
        act("Refresh");
        waitForChecks();
        QCOMPARE(keys(1), (QStringList{"copied", "empty"}));
        QCOMPARE(tree()->selectionModel()->selectedRows(), QModelIndexList{});
        QCOMPARE(carState(), "+-+++ shown");
        act("mnuToolsProblems");
        QCOMPARE(keys(1), (QStringList{"bare", "copied", "empty", "healthy"}));
    }

    // The copied car's references are made to name its own folder; its mark goes at once.
    void fixReferences()
    {
        openLibrary();
        // Offered to a copy that holds the files it names elsewhere; a standard car is never
        // disabled.
        const QStringList custom = {"Template", "Repair", "Pack", "Disable", "Delete"};
        QCOMPARE(popUpItems("rc"), (QStringList{"Template", "Repair", "Delete"}));
        QCOMPARE(popUpItems("many"), custom);
        QCOMPARE(popUpItems("copied"),
                 (QStringList{"Template", "Repair", "FixRefs", "Pack", "Disable", "Delete"}));
        mBoxes->expect();
        act("mnuPopUpFixRefs");
        QVERIFY(!cars()->marks().has("copied"));
        QVERIFY(!control<QPlainTextEdit>("txtProblems")->isVisible());
        QCOMPARE(mBoxes->said(),
                 "Fix Folder References: Changed 2 references in parameters.txt from "
                 "cars\\oldname\\ to cars\\copied\\. The file as it was is kept "
                 "as parameters.bak.");
        QCOMPARE(
            mWorld->read("game/cars/copied/parameters.bak"),
            Refs({"cars\\oldname\\body.prm", "cars\\copied\\car.pcx", "cars\\oldname\\car.pcx"}));
    }

    // A disabled car leaves the game's cars for a branch of its own, shown and never changed,
    // and comes back; a name taken meanwhile keeps it out.
    void disableAndEnable()
    {
        openWindow({"myrc=My RC", "other"});
        const QString disabled = CarTreeModel::DisabledKey("myrc");
        clickNode(node("myrc"));
        act("mnuPopUpDisable");
        QCOMPARE(cars()->rowCount(), 3);
        QCOMPARE(branch(2).data().toString(), "Disabled Cars");
        QCOMPARE(keys(1), QStringList{"other"});
        QCOMPARE(keys(2), QStringList{disabled});
        QCOMPARE(tree()->currentIndex(), node(disabled));
        QCOMPARE(popUpItems(disabled), QStringList{"Enable"});
        // The day it came, looked up where it is now.
        QVERIFY(!node(disabled)
                     .siblingAtColumn(CarTreeModel::InstalledColumn)
                     .data()
                     .toString()
                     .isEmpty());
        QCOMPARE(carState(), "+---+ shown");
        QVERIFY(control<QLineEdit>("txtCarName")->isReadOnly());
        QCOMPARE(control<QLineEdit>("txtCarName")->text(), "My RC");
        QCOMPARE(status(), "1 cars found. (0 standard cars, 1 custom cars)");
        QVERIFY(QFile::exists(mWorld->gameDir() + "/cars-disabled/myrc/car.bmp"));

        mWorld->makeCar("MYRC");
        mBoxes->expect();
        act("mnuPopUpEnable");
        QVERIFY(mBoxes->only().text.contains("MYRC"));
        QVERIFY(QFile::exists(mWorld->gameDir() + "/cars-disabled/myrc/car.bmp"));

        QVERIFY(QDir(mWorld->carDir("MYRC")).removeRecursively());
        act("mnuPopUpEnable");
        QCOMPARE(cars()->rowCount(), 2);
        QCOMPARE(keys(1), (QStringList{"myrc", "other"}));
        QCOMPARE(tree()->currentIndex(), node("myrc"));
        QCOMPARE(carState(), "+++++ shown");
    }
};

QTEST_MAIN(tst_Marks)
#include "tst_Marks.moc"
