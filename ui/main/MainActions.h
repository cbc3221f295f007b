#pragma once

#include <QList>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

// The main window's commands and where they are offered: the toolbar, the menu bar and the
// tree's pop-up menu. The commands that need no car and no tree (options, web pages, about,
// exit) are connected here; the window connects the others to what it shows.
class MainActions
{
public:
    // The toolbar's height, in twips: the client area that the window's places are measured in
    // starts above it.
    static constexpr int kToolbarHeight = 1050;

    explicit MainActions(QMainWindow* window);

    QAction* actRefresh = nullptr;
    QAction* actMakeCar = nullptr;
    QAction* actDeleteCar = nullptr;
    QAction* actPaintSkin = nullptr;
    QAction* actEditParams = nullptr;
    QAction* actOpenFolder = nullptr;
    QAction* actRunGame = nullptr;
    // The commands on the shown car. Make Car needs none, so a refresh that loses the car
    // leaves it enabled; Repair Names needs one it can repair.
    QList<QAction*> mCarActions;

    QAction* mnuFileNew = nullptr;
    QAction* mnuFileInstall = nullptr;
    QAction* mnuPopUpTemplate = nullptr;
    QAction* mnuPopUpRepair = nullptr;
    QAction* mnuPopUpDelete = nullptr;
    QAction* mnuPopUpFixRefs = nullptr;
    QAction* mnuPopUpPack = nullptr;
    QAction* mnuPopUpDisable = nullptr;
    QAction* mnuPopUpEnable = nullptr;
    QAction* mnuToolsProblems = nullptr; // checked: only the cars with problems are listed
    QMenu* mnuPopUp = nullptr;

private:
    void createActions();
    void createToolBars();
    void createMenus();

    QMainWindow* mWindow;
    QToolBar* Toolbar1 = nullptr;
    QAction* mnuFileExit = nullptr;
    QAction* mnuToolsOptions = nullptr;
    QAction* mnuHelpWebMerrowin = nullptr;
    QAction* mnuHelpWebZelmor = nullptr;
    QAction* mnuHelpWebWR = nullptr;
    QAction* mnuHelpAbout = nullptr;
};
