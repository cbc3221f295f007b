#include "MainWindowDriver.h"
#include "ui/Twips.h"
#include "ui/main/WindowPlace.h"

// The main window sized and placed: its controls at its design size and in a larger window,
// a screen too small for it, and its place kept from one run to the next.
class tst_WindowPlace : public QObject, MainWindowDriver
{
    Q_OBJECT
    // Adds a [Window] section to the program's torvane.ini, as a window closed before left it.
    void keepPlace(const QByteArray& entries)
    {
        const QByteArray ini = mWorld->read("program/torvane.ini");
        mWorld->write("program/torvane.ini", ini + "[Window]\r\n" + entries);
    }

private slots:
    void init() { open(); }
    void cleanup() { close(); }

    void fit_data()
    {
        // Within an available area of (0, 30, 800, 570), below a panel.
        Columns<QRect, QRect>("saved", "fitted");
        QTest::newRow("too big") << QRect(50, 50, 1000, 700) << QRect(0, 30, 800, 570);
        QTest::newRow("too wide") << QRect(-10, 100, 900, 200) << QRect(0, 100, 800, 200);
        QTest::newRow("under the panel") << QRect(100, 10, 300, 200) << QRect(100, 30, 300, 200);
        QTest::newRow("right and below") << QRect(900, 500, 300, 200) << QRect(500, 400, 300, 200);
    }
    void fit()
    {
        QFETCH(QRect, saved);
        QTEST(WindowPlace::Fit(saved, QRect(0, 30, 800, 570)), "fitted");
    }

    void places_data()
    {
        // kept: the [Window] section's entries, none of them a place; room: what the window is
        // then made larger by, by unequal amounts so that width and height are told apart.
        Columns<QByteArray, QSize>("kept", "room");
        // clang-format off
        QTest::newRow("kept place unreadable, sort in other case") << QByteArray("Left=4\nTop=6\nWidth=x\nHeight=9\nSortColumn=author\nSortOrder=descending\n") << QSize(0, 0);
        QTest::newRow("kept place of no width") << QByteArray("Left=4\nTop=6\nWidth=0\nHeight=9\n") << QSize(0, 0);
        QTest::newRow("no place kept, wider and taller") << QByteArray() << QSize(200, 150);
        // clang-format on
    }
    void places()
    {
        QFETCH(QByteArray, kept);
        QFETCH(QSize, room);
        keepPlace(kept);
        openWindow();
        const int menu = mWindow->menuBar()->height();
        const QSize design(Twips(8055), Twips(8295) + menu);
        QCOMPARE(mWindow->size(), design);
        QCOMPARE(tree()->header()->sortIndicatorSection(), kept.contains("author") ? 1 : 0);
        QCOMPARE(tree()->header()->sortIndicatorOrder(), Qt::SortOrder(kept.contains("desc")));
        mWindow->resize(design + room);
        QTRY_COMPARE(mWindow->size(), design + room);
        // In twips from the top of the toolbar at the design size; a larger window moves a
        // control right (0), widens it (1) or lengthens it too (2).
        const struct
        {
            const char* name;
            int left, top, width, height, grows;
        } places[] = {{"txtFilter", 120, 1200, 3375, 330, 1},
                      {"tvwCars", 120, 1590, 3375, 6345, 2},
                      {"fraInfo", 3600, 1080, 4455, 3375, 0},
                      {"Image1", 3720, 1200, 4215, 2775, 0},
                      {"fraImage", 3600, 4440, 4455, 3495, 0}};
        for (const auto& c : places) {
            const auto* w = control<QWidget>(c.name);
            const QRect place = TwipsRect(c.left, c.top, c.width, c.height).translated(0, menu);
            QCOMPARE(QRect(w->mapTo(mWindow.get(), QPoint()), w->size()),
                     c.grows ? place.adjusted(0, 0, room.width(), (c.grows - 1) * room.height())
                             : place.translated(room.width(), 0));
        }
    }

    void smallScreen()
    {
        // Left on the small screen at the design size, which that screen cannot hold.
        QVERIFY2(QGuiApplication::screens().size() == 2, "ctest gives the platform its screens");
        const QRect small = QGuiApplication::screens().at(1)->availableGeometry();
        keepPlace("Left=" + QByteArray::number(small.left() + 40) +
                  "\nTop=40\nWidth=537\nHeight=572\n");
        openWindow({"rc"});
        clickNode(node("rc"));
        QTRY_VERIFY(small.contains(mWindow->frameGeometry()));
        // The picture and the tree's end are reached by scrolling; the status line stays in view.
        auto* scroll = control<QScrollArea>("scrClient");
        QWidget* picture = control<QWidget>("fraImage");
        scroll->ensureWidgetVisible(picture, 0, 0);
        QVERIFY(scroll->viewport()->rect().contains(
            QRect(picture->mapTo(scroll->viewport(), QPoint()), picture->size())));
        const QPoint treeEnd = tree()->mapTo(scroll->widget(), tree()->rect().bottomLeft());
        scroll->ensureVisible(treeEnd.x(), treeEnd.y(), 0, 0);
        QVERIFY(scroll->viewport()->rect().contains(
            scroll->widget()->mapTo(scroll->viewport(), treeEnd)));
        QVERIFY(!control<QWidget>("sbrStatus")->visibleRegion().isEmpty());
    }

    // The place, the size, the maximized state and the sort come back as they were left.
    void keptAtClose()
    {
        openWindow();
        const QRect place(40, 60, 600, 650);
        mWindow->setGeometry(place);
        // Left normal and sorted by names, then left maximized, the newest cars first.
        const QByteArray sorts[] = {"Car\r\nSortOrder=Ascending",
                                    "Installed\r\nSortOrder=Descending"};
        for (const bool maximized : {false, true}) {
            if (maximized) {
                mWindow->showMaximized();
                tree()->sortByColumn(CarTreeModel::InstalledColumn, Qt::DescendingOrder);
            }
            QTRY_COMPARE(mWindow->geometry() != place, maximized); // maximized, it fills the screen
            QVERIFY(mWindow->close());
            const QByteArray ini = mWorld->read("program/torvane.ini");
            QCOMPARE(ini.mid(ini.indexOf("[Window]")),
                     "[Window]\r\nLeft=40\r\nTop=60\r\nWidth=600\r\nHeight=650\r\nMaximized=" +
                         QByteArray::number(maximized) + "\r\nSortColumn=" + sorts[maximized] +
                         "\r\n");
            openWindow();
            QCOMPARE(mWindow->isMaximized(), maximized);
            QCOMPARE(mWindow->normalGeometry(), place);
            QCOMPARE(tree()->header()->sortIndicatorSection(),
                     maximized ? CarTreeModel::InstalledColumn : CarTreeModel::NameColumn);
            QCOMPARE(tree()->header()->sortIndicatorOrder(),
                     maximized ? Qt::DescendingOrder : Qt::AscendingOrder);
        }
    }
};

QTEST_MAIN(tst_WindowPlace)
#include "tst_WindowPlace.moc"
