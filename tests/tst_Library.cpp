#include "MainWindowDriver.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace {

// Five custom cars and the two standard ones, each with an author and a day it came: two
// authors that collation does not tell apart, and two cars that came the same day.
const QString kShown = "+++++ shown";

const struct
{
    const char* folder;
    const char* carinfo;
    int year, month, day;
} kCars[] = {
    {"bluebuggy", "Name=Blue Buggy\r\nAuthor=Kay", 2024, 3, 1},
    {"nightcab", "Name=Nuit C\xc3\xa2line\r\nAuthor=J\xc3\xa9r\xc3\xb4me", 2025, 6, 15},
    {"zz9", "Name=Alpha\r\nAuthor=kay", 2024, 3, 1},
    {"car10", "Author=Abel", 2023, 1, 1},
    {"car9",
     "Name=Stra\xc3\x9f"
     "e",
     2026, 1, 1},
    {"rc", "", 2022, 5, 5},
    {"buggy", "", 2022, 5, 6},
};

} // namespace

// A long list made short: the filter above the tree, and the columns it sorts by.
class tst_Library : public QObject, MainWindowDriver
{
    Q_OBJECT

    QLineEdit* filter() const { return control<QLineEdit>("txtFilter"); }
    void openLibrary()
    {
        for (const auto& car : kCars) {
            mWorld->makeCar(car.folder, QByteArray("[Zelmor Car Data]\r\n") + car.carinfo);
            const QDateTime came(QDate(car.year, car.month, car.day), QTime(12, 0));
            const timespec times[2] = {{came.toSecsSinceEpoch(), 0}, {came.toSecsSinceEpoch(), 0}};
            QCOMPARE(utimensat(AT_FDCWD, QFile::encodeName(mWorld->carDir(car.folder)), times, 0),
                     0);
        }
        openWindow();
    }
    void clickHeader(int column)
    {
        QHeaderView* header = tree()->header();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            {header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
             header->height() / 2});
    }

private slots:
    void init() { open(); }
    void cleanup() { close(); }

    void listing_data()
    {
        // typed: into the filter; clicks: on the header of the column, in turn; standard, custom:
        // the cars each branch lists, in order
        Columns<QString, QList<int>, QStringList, QStringList>("typed", "clicks", "standard",
                                                               "custom");
        const int author = CarTreeModel::AuthorColumn, installed = CarTreeModel::InstalledColumn;
        const QStringList names = {"buggy", "rc"}, reversed = {"rc", "buggy"};
        // clang-format off
        QTest::newRow("nothing typed") << "" << QList<int>{} << names << QStringList{"bluebuggy", "car9", "car10", "nightcab", "zz9"};
        QTest::newRow("a folder name, any case") << "BUGGY" << QList<int>{} << QStringList{"buggy"} << QStringList{"bluebuggy"};
        QTest::newRow("a car name and its author, accents ignored") << "caline jerome" << QList<int>{} << QStringList{} << QStringList{"nightcab"};
        QTest::newRow("a letter for two") << "strasse" << QList<int>{} << QStringList{} << QStringList{"car9"};
        QTest::newRow("every word, in any field, typed with accents") << QStringLiteral(" kay  ÄLPHA ") << QList<int>{} << QStringList{} << QStringList{"zz9"};
        QTest::newRow("words no car holds together") << "blue jerome" << QList<int>{} << QStringList{} << QStringList{};
        QTest::newRow("by name, reversed") << "" << QList<int>{0} << reversed << QStringList{"zz9", "nightcab", "car10", "car9", "bluebuggy"};
        QTest::newRow("by author, reversed, ties still by name") << "" << QList<int>{author, author} << names << QStringList{"bluebuggy", "zz9", "nightcab", "car10", "car9"};
        QTest::newRow("by the day it came") << "" << QList<int>{installed} << reversed << QStringList{"car10", "bluebuggy", "zz9", "nightcab", "car9"};
        QTest::newRow("back to names") << "" << QList<int>{author, 0} << names << QStringList{"bluebuggy", "car9", "car10", "nightcab", "zz9"};
        // clang-format on
    }
    // Both branches stay, with only the cars that hold every word, each sorted on its own; the
    // status line says how many. The selected car stays selected wherever it goes, and Delete
    // waits while the filter hides it.
    void listing()
    {
        QFETCH(QString, typed);
        QFETCH(QList<int>, clicks);
        QFETCH(QStringList, standard);
        QFETCH(QStringList, custom);
        openLibrary();
        QCOMPARE(node("zz9").siblingAtColumn(CarTreeModel::InstalledColumn).data().toString(),
                 "2024-03-01");
        QCOMPARE(node("nightcab").siblingAtColumn(CarTreeModel::AuthorColumn).data().toString(),
                 QStringLiteral("Jérôme"));
        clickNode(node("nightcab"));
        QTest::keyClicks(filter(), typed);
        for (const int column : clicks)
            clickHeader(column);
        QCOMPARE(cars()->rowCount(), 2);
        QCOMPARE(keys(0), standard);
        QCOMPARE(keys(1), custom);
        QVERIFY(tree()->isExpanded(branch(0)) && tree()->isExpanded(branch(1)));
        QCOMPARE(status(), typed.isEmpty() ? "7 cars found. (2 standard cars, 5 custom cars)"
                                           : QString("%1 of 7 cars match '%2'.")
                                                 .arg(standard.size() + custom.size())
                                                 .arg(typed));
        const bool listed = custom.contains("nightcab");
        QCOMPARE(tree()->selectionModel()->selectedRows(),
                 listed ? QModelIndexList{node("nightcab")} : QModelIndexList{});
        QCOMPARE(carState(), listed ? kShown : "+-+++ shown");
    }

    // Hidden by the filter, the shown car stays in the panel with its edits, and is selected
    // again once the filter is cleared. A refresh keeps the filter.
    void filterKeepsThePlace()
    {
        openLibrary();
        clickNode(node("nightcab"));
        tree()->setFocus();
        QTest::keyClick(mWindow.get(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(filter()->hasFocus());
        control<QLineEdit>("txtCarName")->setText("Edited");
        QTest::keyClicks(filter(), "nuit kay");
        QCOMPARE(keys(1), QStringList());
        QCOMPARE(carState(), "+-+++ shown");
        QTest::keyClick(filter(), Qt::Key_Escape);
        QCOMPARE(filter()->text(), QString());
        QCOMPARE(tree()->currentIndex(), node("nightcab"));
        QCOMPARE(carState(), kShown);
        QCOMPARE(control<QLineEdit>("txtCarName")->text(), "Edited");

        mBoxes->expect(MsgBox::Answer::Discard);
        clickNode(node("bluebuggy"));
        QTest::keyClicks(filter(), "blue");
        act("Refresh");
        QCOMPARE(keys(1), QStringList{"bluebuggy"});
        QCOMPARE(status(), "1 of 7 cars match 'blue'.");
    }
};

QTEST_MAIN(tst_Library)
#include "tst_Library.moc"
