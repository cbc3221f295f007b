#pragma once

#include "cars/cCarsFolder.h"
#include "platform/Result.h"

#include <QHash>
#include <QMainWindow>

#include <memory>

class cCar;
class QLabel;
class QModelIndex;
class CarFilterField;
class CarInfoPanel;
class CarPicture;
class CarProblemFeed;
class CarTreeModel;
class CarTreeView;
class MainActions;
class MainLayout;

// The program's working window on a cars folder: the car tree, the selected car's information
// and picture, and the commands on cars. Its load (the first scan) runs when it is first shown.
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmMain(const cCarsFolder& cars, QWidget* parent = nullptr);
    ~frmMain() override;

    // Rescans the cars folder into the tree, gCars() and the status line.
    void RefreshCarList();
    // Opens a new create-car wizard with its template field set to templateDir.
    void StartCreateCar(const QString& templateDir);
    void OpenCarDir(const QString& directoryName);
    void EditParameters();
    void DeleteSelectedCar(const QString& carKey);
    // Installs the archives and car folders of paths, then shows the first car that came.
    void InstallCars(const QStringList& paths);
    // Files opened with Torvane from outside (the browser, the file manager): the window comes
    // to the front and installs them as a drop, once no box is open; none only brings it.
    void InstallFromOutside(const QStringList& paths);
    // Repairs the names of the shown car that the game cannot open, tells the player how it
    // went, and shows the car again under its new folder name.
    void RepairShownCar();
    // Points the shown car's parameters.txt at its own folder where it names another car's
    // folder for files its own holds, and tells the player what changed.
    void FixShownCarReferences();
    // Moves the shown custom car out of the game's sight, or a disabled one back, and shows it
    // in its new place.
    void DisableShownCar();
    void EnableShownCar();

    const std::shared_ptr<cCar>& SelectedCar() const { return mSelectedCar; }
    const QString& SelectedKey() const { return mSelectedKey; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The window's parts, each made with its own handlers connected.
    void createPicture(MainLayout* client);
    void createFilter(MainLayout* client);
    void createTree(MainLayout* client);
    void createInfoPanel(MainLayout* client);
    void createStatusBar();
    // The commands, the toolbar and the menus, with the commands on cars connected.
    void createCommands();

    void Form_Load();
    void FilterCars(const QString& typed);
    // After the filter, or the choice of cars with problems, changed: the count, and the shown
    // car selected while it is listed.
    void ListChosenCars();
    // The shown car's marks, and the count while only cars with problems are listed.
    void ShowMarks();
    // The record of a node's key: a disabled car's, or one of gCars().
    std::shared_ptr<cCar> FindCar(const QString& key) const;
    // Whenever the tree's selected node changes, however it changed, or the selected node is
    // clicked again: the panel, the selected car and the car commands follow it.
    void NodeClick(const QModelIndex& node);
    // Moves the shown car with mover and shows it under movedKey; a failure is told, and a car
    // that moved all the same is shown where it went.
    void MoveShownCar(Result (*mover)(const QString&, const QString&), const QString& command,
                      const QString& movedKey);
    void SkinCommand();
    void SetCarButtonsEnabled(bool enabled);
    void HideCarFrames();
    // The pop-up menu of the selected car, at position, or at its node when given none.
    void ShowPopUp(const QPoint& position = {});
    // The key of the tree's selected node when it is a car; empty otherwise.
    QString SelectedCarNodeKey() const;

    const cCarsFolder mCars;
    CarFilterField* txtFilter = nullptr;
    CarTreeView* tvwCars = nullptr;
    CarTreeModel* mCarTree = nullptr;
    CarInfoPanel* fraInfo = nullptr;
    CarPicture* fraImage = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* mStatusText = nullptr;
    std::unique_ptr<MainActions> mActions;
    CarProblemFeed* mProblemFeed = nullptr;
    // Not in gCars(): the game does not see them, and their names may be taken there.
    QHash<QString, std::shared_ptr<cCar>> mDisabledCars;

    std::shared_ptr<cCar> mSelectedCar;
    QString mSelectedKey; // the node's key
    bool mSelectedDisabled = false;
    bool mLoaded = false;
};
