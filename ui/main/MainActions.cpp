#include "ui/main/MainActions.h"

#include "ui/Twips.h"
#include "ui/about/frmAbout.h"
#include "ui/about/modInternet.h"
#include "ui/options/frmOptions.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

MainActions::MainActions(QMainWindow* window) : mWindow(window)
{
    createActions();
    createToolBars();
    createMenus();
}

void MainActions::createActions()
{
    // A toolbar command's key is its object name and its data; every command has a shortcut,
    // named in its tooltip.
    const auto command = [this](const char* key, const char* caption, const char* image,
                                const char* tooltip, const char* description,
                                QKeyCombination shortcut) {
        auto* action =
            new QAction(QIcon(QStringLiteral(":/toolbar/%1.png").arg(QLatin1String(image))),
                        QLatin1String(caption), mWindow);
        action->setObjectName(QLatin1String(key));
        action->setData(QLatin1String(key));
        action->setShortcut(shortcut);
        action->setToolTip(QStringLiteral("%1 (%2)").arg(
            QLatin1String(tooltip), QKeySequence(shortcut).toString(QKeySequence::NativeText)));
        action->setStatusTip(QLatin1String(description));
        return action;
    };
    actRefresh = command("Refresh", "Refresh", "refresh", "Refresh the car list", "", Qt::Key_F5);
    actMakeCar = command("Add", "Make Car", "add", "Create a new car based on a current one",
                         "Create a new car", Qt::CTRL | Qt::Key_N);
    actDeleteCar = command("Delete", "Delete Car", "delete", "Delete a car from your computer",
                           "Remove a car from Drovak", Qt::Key_Delete);
    // Delete Car's key works in the tree alone (the window sees to it): the text boxes need
    // theirs.
    actDeleteCar->setShortcut(QKeySequence());
    actPaintSkin =
        command("paint", "Paint Skin", "paint", "Paint the selected car with your image editor",
                "Paint the selected car", Qt::CTRL | Qt::Key_P);
    actEditParams =
        command("editparams", "Edit Params", "editparams", "Edit the PARAMETERS.TXT for this car",
                "Edit the parameters.txt", Qt::CTRL | Qt::Key_E);
    actOpenFolder = command("Open", "Open Folder", "open", "Open this car's folder",
                            "Open this car's folder", Qt::CTRL | Qt::Key_O);
    actRunGame =
        command("run", "Run Drovak", "run", "Play Drovak", "Run the game!", Qt::CTRL | Qt::Key_R);
    mCarActions = {actDeleteCar, actPaintSkin, actEditParams, actOpenFolder};

    const auto item = [this](const char* name, const QString& caption) {
        auto* action = new QAction(caption, mWindow);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    mnuFileNew = item("mnuFileNew", QStringLiteral("&New Car..."));
    mnuFileInstall = item("mnuFileInstall", QStringLiteral("&Install Car from Archive..."));
    mnuFileExit = item("mnuFileExit", QStringLiteral("E&xit"));
    QObject::connect(mnuFileExit, &QAction::triggered, mWindow, &QWidget::close);
    mnuFileExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    mnuToolsOptions = item("mnuToolsOptions", QStringLiteral("&Options"));
    QObject::connect(mnuToolsOptions, &QAction::triggered, mWindow,
                     [] { frmOptions::ShowShared(); });
    const auto webLink = [&](const char* name, const QString& caption, const QString& page) {
        QAction* action = item(name, caption);
        QObject::connect(action, &QAction::triggered, mWindow,
                         [page] { modInternet::OpenWebPage(page); });
        return action;
    };
    mnuHelpWebMerrowin = webLink("mnuHelpWebMerrowin", QStringLiteral("Merrowin's Drovak Page"),
                                 modInternet::kMerrowinDrovakPage);
    mnuHelpWebZelmor =
        webLink("mnuHelpWebZelmor", QStringLiteral("Zelmor"), modInternet::kZelmorPage);
    mnuHelpWebWR =
        webLink("mnuHelpWebWR", QStringLiteral("Drovak Web Ring"), modInternet::kDrovakWebRing);
    mnuHelpAbout = item("mnuHelpAbout", QStringLiteral("&About Zelmor Torvane..."));
    QObject::connect(mnuHelpAbout, &QAction::triggered, mWindow, [] { frmAbout::ShowShared(); });
    mnuPopUpTemplate = item("mnuPopUpTemplate", QStringLiteral("Use as &Template"));
    mnuPopUpRepair = item("mnuPopUpRepair", QStringLiteral("&Repair Names"));
    mnuPopUpDelete = item("mnuPopUpDelete", QStringLiteral("&Delete"));
    mnuPopUpFixRefs = item("mnuPopUpFixRefs", QStringLiteral("&Fix Folder References"));
    mnuPopUpPack = item("mnuPopUpPack", QStringLiteral("&Pack Car..."));
    mnuPopUpDisable = item("mnuPopUpDisable", QStringLiteral("D&isable"));
    mnuPopUpEnable = item("mnuPopUpEnable", QStringLiteral("&Enable"));
    mnuToolsProblems = item("mnuToolsProblems", QStringLiteral("Show Only Cars with &Problems"));
    mnuToolsProblems->setCheckable(true);
    mCarActions.append(mnuPopUpRepair);
}

void MainActions::createToolBars()
{
    Toolbar1 = new QToolBar(mWindow);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setIconSize(QSize(48, 48));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Toolbar1->setFixedHeight(Twips(kToolbarHeight));
    Toolbar1->setContextMenuPolicy(Qt::PreventContextMenu);
    Toolbar1->setFont(TwipsFont(QStringLiteral("MS Sans Serif"), 8.25, false));
    mWindow->addToolBar(Qt::TopToolBarArea, Toolbar1);

    const auto add = [this](QAction* action) {
        Toolbar1->addAction(action);
        if (auto* tool = qobject_cast<QToolButton*>(Toolbar1->widgetForAction(action)))
            tool->setMinimumSize(Twips(990), Twips(1020)); // wider if a caption needs it
    };
    add(actRefresh);
    auto* space = new QWidget(Toolbar1);
    space->setFixedWidth(Twips(240));
    Toolbar1->addWidget(space);
    add(actMakeCar);
    add(actDeleteCar);
    Toolbar1->addSeparator();
    add(actPaintSkin);
    add(actEditParams);
    add(actOpenFolder);
    Toolbar1->addSeparator();
    add(actRunGame);
}

void MainActions::createMenus()
{
    const auto menu = [this](QMenu* parent, const char* name, const QString& caption) {
        QMenu* m = parent ? parent->addMenu(caption) : mWindow->menuBar()->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        return m;
    };
    QMenu* mnuFile = menu(nullptr, "mnuFile", QStringLiteral("&File"));
    mnuFile->addActions({mnuFileNew, mnuFileInstall, mnuFileExit});
    QMenu* mnuTools = menu(nullptr, "mnuTools", QStringLiteral("&Tools"));
    mnuTools->addActions({mnuToolsProblems, mnuToolsOptions});
    QMenu* mnuHelp = menu(nullptr, "mnuHelp", QStringLiteral("&Help"));
    QMenu* mnuHelpWeb = menu(mnuHelp, "mnuHelpWeb", QStringLiteral("&Web Links"));
    mnuHelpWeb->addActions({mnuHelpWebMerrowin, mnuHelpWebZelmor, mnuHelpWebWR});
    mnuHelp->addAction(mnuHelpAbout);

    // Never in the menu bar: only the tree opens it.
    mnuPopUp = new QMenu(QStringLiteral("Context Menu"), mWindow);
    mnuPopUp->setObjectName(QStringLiteral("mnuPopUp"));
    mnuPopUp->addActions({mnuPopUpTemplate, mnuPopUpRepair, mnuPopUpFixRefs, mnuPopUpPack,
                          mnuPopUpDisable, mnuPopUpEnable, mnuPopUpDelete});
}
