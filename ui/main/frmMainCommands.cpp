#include "ui/main/frmMain.h"

#include "app/modMain.h"
#include "cars/CarChecks.h"
#include "cars/cCar.h"
#include "cars/modDisabledCars.h"
#include "cars/modFolderRefs.h"
#include "cars/modRepairNames.h"
#include "platform/FileSystem.h"
#include "platform/MsgBox.h"
#include "ui/main/CarFilterField.h"
#include "ui/main/CarInfoPanel.h"
#include "ui/main/CarTreeModel.h"
#include "ui/main/CarTreeView.h"
#include "ui/main/MainActions.h"
#include "ui/main/modCarCommands.h"
#include "ui/main/modInstallCommand.h"
#include "ui/wizard/frmCreateCarWizard.h"

#include <QAction>
#include <QApplication>

// The window's commands on cars: each acts on the shown car, or makes or brings new ones, and
// leaves the tree and the panel showing where the player is.

void frmMain::StartCreateCar(const QString& templateDir)
{
    auto* wizard = new frmCreateCarWizard(mCars);
    wizard->show();
    wizard->setTemplateText(templateDir);
    RefreshCarList();
}

void frmMain::RepairShownCar()
{
    if (!mSelectedCar || !modRepairNames::CanRepair(*mSelectedCar))
        return;
    const modRepairNames::Repaired repaired = mCars.Repair(mSelectedCar->DirectoryName());
    MsgBox::Show(modRepairNames::Report(repaired),
                 repaired.left.isEmpty() ? MsgBox::Icon::Information : MsgBox::Icon::Exclamation,
                 QStringLiteral("Repair Names"));
    mSelectedKey = repaired.folderName;
    RefreshCarList();
}

void frmMain::EditParameters()
{
    if (mSelectedCar)
        modCarCommands::EditCarFile(*mSelectedCar, QStringLiteral("parameters.txt"));
}

void frmMain::SkinCommand()
{
    // A disabled car is only looked at.
    if (!mSelectedKey.isEmpty() && !mSelectedDisabled)
        modCarCommands::PaintSkin(mCars.CarFolder(mSelectedKey));
}

void frmMain::OpenCarDir(const QString& directoryName)
{
    modCarCommands::OpenCarFolder(mCars.CarFolder(directoryName));
}

void frmMain::InstallCars(const QStringList& paths)
{
    modInstallCommand::InstallInTurn(
        this, mCars, paths, [this](const modInstallCar::Report& report) {
            RefreshCarList();
            // Shown behind the message, so that the player sees where it went: a filter that
            // would hide it goes.
            const QString installed = report.installed.value(0);
            if (!installed.isEmpty() && !mCarTree->car(installed).isValid())
                txtFilter->clear();
            if (const QModelIndex node = mCarTree->car(installed); node.isValid())
                tvwCars->select(node);
        });
}

void frmMain::InstallFromOutside(const QStringList& paths)
{
    // The player opened the files elsewhere and looks for where they went: a minimized window
    // comes back as it was (maximized too), and a box open over it comes first.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    if (QWidget* box = QApplication::activeModalWidget()) {
        box->raise();
        box->activateWindow();
    }
    if (paths.isEmpty())
        return;
    modInstallCommand::InstallWhenFree(this, paths, [this](const QStringList& waited) {
        if (fraInfo->MayLeave())
            InstallCars(waited);
    });
}

void frmMain::DeleteSelectedCar(const QString& carKey)
{
    // Only the car the user can see selected is ever asked about, and only that car deleted.
    if (carKey.isEmpty() || !mSelectedCar || mSelectedCar->DirectoryName() != carKey)
        return;
    if (!modCarCommands::ConfirmDelete(*mSelectedCar))
        return;
    const QString nextKey = mCarTree->neighbourKey(carKey);
    mCars.Delete(*mSelectedCar);
    RefreshCarList();
    // A car that could not be deleted is still listed, and shown again.
    if (!mCarTree->car(carKey).isValid()) {
        SetCarButtonsEnabled(false);
        HideCarFrames();
        if (const QModelIndex follows = mCarTree->car(nextKey); follows.isValid())
            tvwCars->select(follows);
    }
}

void frmMain::FixShownCarReferences()
{
    if (!mSelectedCar || mSelectedDisabled)
        return;
    const QString name = mSelectedCar->DirectoryName();
    const modFolderRefs::Fixed fixed = modFolderRefs::Fix(mCars.Path(), name);
    MsgBox::Show(fixed.result.ok ? fixed.report : fixed.result.message,
                 fixed.result.ok ? MsgBox::Icon::Information : MsgBox::Icon::Exclamation,
                 QStringLiteral("Fix Folder References"));
    // Checked again now, so that the mark goes at once.
    const QString cars = mCars.Path();
    const qsizetype split = cars.lastIndexOf(QLatin1Char('/'));
    mCarTree->addProblems({{mSelectedKey, CarChecks::Check(FileSystem::Folder(cars.left(split)),
                                                           cars.mid(split + 1), name)}});
    ShowMarks();
}

void frmMain::DisableShownCar()
{
    if (mSelectedCar && !mSelectedDisabled &&
        mSelectedCar->Classified() == cCar::Classification::Custom)
        MoveShownCar(modDisabledCars::Disable, QStringLiteral("Disable"),
                     CarTreeModel::DisabledKey(mSelectedCar->DirectoryName()));
}

void frmMain::EnableShownCar()
{
    if (mSelectedCar && mSelectedDisabled)
        MoveShownCar(modDisabledCars::Enable, QStringLiteral("Enable"),
                     mSelectedCar->DirectoryName());
}

void frmMain::MoveShownCar(Result (*mover)(const QString&, const QString&), const QString& command,
                           const QString& movedKey)
{
    const QString name = mSelectedCar->DirectoryName();
    const QString folder = mSelectedCar->FolderPath();
    if (const Result moved = mover(mCars.Path(), name); !moved.ok) {
        MsgBox::Show(QStringLiteral("%1 was not %2d: %3")
                         .arg(FileSystem::Shown(name), command.toLower(), moved.message),
                     MsgBox::Icon::Exclamation, command);
        // A disk that would not say the move lasts has moved the car all the same.
        if (FileSystem::StatusOf(folder).exists)
            return;
    }
    mSelectedKey = movedKey;
    RefreshCarList();
}
