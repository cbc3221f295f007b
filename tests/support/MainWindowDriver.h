#pragma once

#include "LauncherRecorder.h"
#include "MsgBoxRecorder.h"
#include "TestWorld.h"
#include "app/cSettings.h"
#include "app/modMain.h"
#include "cars/cCarCollection.h"
#include "platform/FileSystem.h"
#include "ui/about/frmAbout.h"
#include "ui/main/CarProblemFeed.h"
#include "ui/main/CarTreeModel.h"
#include "ui/main/frmMain.h"
#include "ui/options/frmGetDirectory.h"
#include "ui/options/frmOptions.h"
#include "ui/wizard/frmCreateCarWizard.h"

#include <QtTest>
#include <QtWidgets>

// The windows as the player reaches them: opened on a fresh world, their controls found by
// name, the main window's tree's nodes clicked.
class MainWindowDriver
{
protected:
    // A fresh world with the program's fallback picture, and recorders of the boxes shown and
    // the programs started.
    void open()
    {
        mWorld.emplace().loadSettings();
        SavePicture(mWorld->programDir() + "/notfound.jpg", 30);
        mBoxes.emplace();
        mLaunches.emplace();
    }
    // Closes every window, and checks that each box expected was shown.
    void close()
    {
        mWindow.reset();
        for (QWidget* window : QApplication::topLevelWidgets())
            window->close();
        QDir::setCurrent(mWorkingFolder);
        VERIFY_BOXES(*mBoxes);
    }
    // A picture of that width, as a BMP or JPEG by the name's ending.
    static void SavePicture(const QString& path, int width)
    {
        QImage image(width, 8, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        image.save(path, path.endsWith("bmp", Qt::CaseInsensitive) ? "BMP" : "JPG");
    }
    std::optional<TestWorld> mWorld;
    std::optional<MsgBoxRecorder> mBoxes;
    std::optional<LauncherRecorder> mLaunches;
    std::unique_ptr<frmMain> mWindow;
    const QString mWorkingFolder = QDir::currentPath();

    // Makes the entries of the cars folder ("folder", "folder=car name" or "file:name") and opens
    // the window on them.
    void openWindow(const QStringList& entries = {})
    {
        for (const QString& entry : entries) {
            if (entry.startsWith("file:"))
                mWorld->write("game/cars/" + entry.mid(5), "x");
            else if (entry.contains('='))
                mWorld->makeCar(entry.section('=', 0, 0),
                                "[Zelmor Car Data]\r\nName=" + entry.section('=', 1).toUtf8());
            else
                mWorld->makeCar(entry);
        }
        mWindow = std::make_unique<frmMain>(TestWorld::cars());
        // Every scan, refresh and delete of the test goes through the checks of a model.
        new QAbstractItemModelTester(cars(), QAbstractItemModelTester::FailureReportingMode::QtTest,
                                     cars());
        mWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(mWindow.get()));
        waitForChecks();
    }
    // Until the cars of the last scan are checked, and marked.
    void waitForChecks() const
    {
        // The checks give way to anything else: other tests run beside this one.
        QTRY_VERIFY_WITH_TIMEOUT(!mWindow->findChild<CarProblemFeed*>()->isRunning(), 30000);
    }
    template <typename T> T* control(const char* n) const { return mWindow->findChild<T*>(n); }
    QTreeView* tree() const { return control<QTreeView>("tvwCars"); }
    CarTreeModel* cars() const { return static_cast<CarTreeModel*>(tree()->model()); }
    QModelIndex branch(int row) const { return cars()->branch(row); }
    QModelIndex node(const QString& key) const { return cars()->car(key); }
    QStringList childTexts(int row) const { return Texts(cars(), branch(row)); }
    // The keys of the cars listed under the branch, in order.
    QStringList keys(int branch) const
    {
        QStringList listed;
        for (int row = 0; row < cars()->rowCount(this->branch(branch)); ++row)
            listed << cars()->key(cars()->index(row, 0, this->branch(branch)));
        return listed;
    }
    QString status() const { return control<QLabel>("sbrStatusText")->text(); }
    // The texts of the rows under the parent, as a list or a tree shows them.
    static QStringList Texts(const QAbstractItemModel* model, const QModelIndex& parent = {})
    {
        QStringList texts;
        for (int i = 0; i < model->rowCount(parent); ++i)
            texts << model->index(i, 0, parent).data().toString();
        return texts;
    }
    // Opens a wizard as the main window does (show, then preset the template) and fills it in.
    static QPointer<frmCreateCarWizard> openWizard(const QString& text = {},
                                                   const QString& car = {}, const QString& dir = {})
    {
        auto* wizard = new frmCreateCarWizard(TestWorld::cars());
        wizard->show();
        wizard->setTemplateText(text);
        wizard->findChild<QLineEdit*>("txtCarName")->insert(car);
        wizard->findChild<QLineEdit*>("txtDirName")->insert(dir);
        return wizard;
    }
    void clickNode(const QModelIndex& node, Qt::MouseButton button = Qt::LeftButton,
                   Qt::KeyboardModifiers modifiers = {})
    {
        tree()->scrollTo(node);
        QTest::mouseClick(tree()->viewport(), button, modifiers, tree()->visualRect(node).center());
    }
    // Triggers the action (a disabled one does nothing), or clicks the control, of that name.
    void act(const QString& name)
    {
        if (QAction* action = mWindow->findChild<QAction*>(name))
            action->trigger();
        else
            QTest::mouseClick(mWindow->findChild<QWidget*>(name), Qt::LeftButton);
    }
    QString carState() const
    {
        QString state;
        for (const char* name : {"Add", "Delete", "paint", "editparams", "Open"})
            state += control<QAction>(name)->isEnabled() ? '+' : '-';
        const bool shown =
            control<QWidget>("fraInfo")->isVisible() && control<QWidget>("fraImage")->isVisible();
        return shown ? state + " shown" : state;
    }
};
