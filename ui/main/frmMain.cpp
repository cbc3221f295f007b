#include "ui/main/frmMain.h"

#include "app/cSettings.h"
#include "app/modMain.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"
#include "cars/modCarList.h"
#include "cars/modFolderRefs.h"
#include "cars/modRepairNames.h"
#include "platform/FileSystem.h"
#include "ui/Twips.h"
#include "ui/main/CarFilterField.h"
#include "ui/main/CarInfoPanel.h"
#include "ui/main/CarPicture.h"
#include "ui/main/CarProblemFeed.h"
#include "ui/main/CarTreeModel.h"
#include "ui/main/CarTreeView.h"
#include "ui/main/MainActions.h"
#include "ui/main/MainLayout.h"
#include "ui/main/TreeOrder.h"
#include "ui/main/WindowPlace.h"
#include "ui/main/modCarCommands.h"
#include "ui/main/modInstallCommand.h"
#include "ui/main/modPackCommand.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>

using modMain::gCars;

frmMain::frmMain(const cCarsFolder& cars, QWidget* parent) : QMainWindow(parent), mCars(cars)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Zelmor Torvane"));
    setWindowIcon(QIcon(QStringLiteral(":/torvane.png")));
    MainLayout* client = MainLayout::MakeCentral(this);
    // Made in this order, the filter and the tree come before the panel's boxes in the tab
    // order, and each part lies over those before it where they touch.
    createPicture(client);
    createFilter(client);
    createTree(client);
    createInfoPanel(client);
    createStatusBar();
    createCommands();

    const QString settings = modMain::gSettings().INIPath();
    WindowPlace::Restore(this, MainLayout::DesignWindowSize(this), settings);
    TreeOrder::Restore(tvwCars, settings);
}

frmMain::~frmMain() = default;

void frmMain::createPicture(MainLayout* client)
{
    fraImage = new CarPicture(client);
    client->place(fraImage, {3600, 4440, 4455, 3495}, MainLayout::Follow::RightEdge);
    connect(fraImage, &CarPicture::paintRequested, this, &frmMain::SkinCommand);
}

void frmMain::createFilter(MainLayout* client)
{
    txtFilter = new CarFilterField(client);
    client->place(txtFilter, {120, 1200, 3375, 330}, MainLayout::Follow::Width);
    connect(txtFilter, &QLineEdit::textChanged, this, &frmMain::FilterCars);
}

void frmMain::createTree(MainLayout* client)
{
    mCarTree = new CarTreeModel(this);
    tvwCars = new CarTreeView(mCarTree, client);
    mProblemFeed = new CarProblemFeed(mCarTree, tvwCars->viewport());
    connect(mProblemFeed, &CarProblemFeed::marked, this, &frmMain::ShowMarks);
    // Below the filter, with a gap, and ending where the picture ends.
    client->place(tvwCars, {120, 1590, 3375, 6345}, MainLayout::Follow::Size);
    // A press selects, a key moves the selection, a program sets it: each shows the node.
    connect(tvwCars->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { NodeClick(tvwCars->selectedNode()); });
    connect(tvwCars, &CarTreeView::clickedAgain, this, &frmMain::NodeClick);
    connect(tvwCars, &CarTreeView::popUpRequested, this, &frmMain::ShowPopUp);
    connect(tvwCars, &CarTreeView::deleteRequested, this, [this] {
        if (mActions->actDeleteCar->isEnabled())
            mActions->actDeleteCar->trigger();
    });
}

void frmMain::createInfoPanel(MainLayout* client)
{
    fraInfo = new CarInfoPanel(client);
    client->place(fraInfo, {3600, 1080, 4455, 3375}, MainLayout::Follow::RightEdge);
    connect(fraInfo, &CarInfoPanel::readMeRequested, this, [this] {
        if (mSelectedCar)
            modCarCommands::EditCarFile(*mSelectedCar, QStringLiteral("readme.txt"));
    });

    Image1 = new QLabel(client);
    Image1->setObjectName(QStringLiteral("Image1"));
    client->place(Image1, {3720, 1200, 4215, 2775}, MainLayout::Follow::RightEdge);
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap(QStringLiteral(":/title.jpg")));
    // The title picture lies beneath the information frame, in the same place.
    Image1->lower();
}

void frmMain::createStatusBar()
{
    auto* sbrStatus = new QStatusBar(this);
    sbrStatus->setObjectName(QStringLiteral("sbrStatus"));
    sbrStatus->setSizeGripEnabled(false);
    sbrStatus->setFixedHeight(Twips(MainLayout::kStatusHeight));
    // A widget, not a message: the toolbar's descriptions shown while the mouse rests on a
    // button must not wipe the count.
    mStatusText = new QLabel(sbrStatus);
    mStatusText->setObjectName(QStringLiteral("sbrStatusText"));
    sbrStatus->addWidget(mStatusText, 1);
    setStatusBar(sbrStatus);
}

void frmMain::createCommands()
{
    mActions = std::make_unique<MainActions>(this);
    const MainActions& a = *mActions;
    // The commands that show another car, or none, first let the player keep their edits.
    const auto asking = [this](std::function<void()> command) {
        return [this, command] {
            if (fraInfo->MayLeave())
                command();
        };
    };
    const auto makeCar = asking([this] { StartCreateCar(QString()); });
    const auto deleteCar = asking([this] { DeleteSelectedCar(SelectedCarNodeKey()); });
    connect(a.actRefresh, &QAction::triggered, this, asking([this] { RefreshCarList(); }));
    connect(a.actMakeCar, &QAction::triggered, this, makeCar);
    connect(a.actDeleteCar, &QAction::triggered, this, deleteCar);
    connect(a.actPaintSkin, &QAction::triggered, this, &frmMain::SkinCommand);
    connect(a.actEditParams, &QAction::triggered, this, &frmMain::EditParameters);
    connect(a.actOpenFolder, &QAction::triggered, this, [this] {
        if (mSelectedDisabled)
            modCarCommands::OpenCarFolder(mSelectedCar->FolderPath());
        else if (mSelectedCar)
            OpenCarDir(mSelectedCar->DirectoryName());
    });
    connect(a.actRunGame, &QAction::triggered, this, [] { modCarCommands::RunGame(); });
    connect(a.mnuFileNew, &QAction::triggered, this, makeCar);
    connect(a.mnuFileInstall, &QAction::triggered, this,
            asking([this] { InstallCars(modInstallCommand::PickArchive()); }));
    modInstallCommand::AcceptDrops(this, [this](const QStringList& paths) {
        if (fraInfo->MayLeave())
            InstallCars(paths);
    });
    connect(a.mnuPopUpTemplate, &QAction::triggered, this,
            asking([this] { StartCreateCar(SelectedCarNodeKey()); }));
    connect(a.mnuPopUpRepair, &QAction::triggered, this, asking([this] { RepairShownCar(); }));
    connect(a.mnuPopUpDelete, &QAction::triggered, this, deleteCar);
    connect(a.mnuPopUpFixRefs, &QAction::triggered, this,
            asking([this] { FixShownCarReferences(); }));
    connect(a.mnuPopUpPack, &QAction::triggered, this,
            asking([this] { modPackCommand::PackCar(this, mCars.CarFolder(mSelectedKey)); }));
    connect(a.mnuPopUpDisable, &QAction::triggered, this, asking([this] { DisableShownCar(); }));
    connect(a.mnuPopUpEnable, &QAction::triggered, this, asking([this] { EnableShownCar(); }));
    connect(a.mnuToolsProblems, &QAction::toggled, this, [this](bool only) {
        mCarTree->setProblemsOnly(only);
        ListChosenCars();
    });
}

void frmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!mLoaded) {
        mLoaded = true;
        Form_Load();
    }
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (!fraInfo->MayLeave()) {
        event->ignore();
        return;
    }
    // A failure goes unsaid: the place and the order are no work of the player's to lose, and a
    // message as the program ends could not be acted on.
    (void)WindowPlace::Save(this, modMain::gSettings().INIPath());
    (void)TreeOrder::Save(tvwCars, modMain::gSettings().INIPath());
    QMainWindow::closeEvent(event);
}

void frmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        fraImage->Repaint();
}

bool frmMain::event(QEvent* event)
{
    // The status line holds the count alone: a toolbar button's description, shown while the
    // mouse rests on it, would replace the count and could stay there.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

void frmMain::Form_Load()
{
    RefreshCarList();
    setWindowTitle(QStringLiteral("Zelmor Torvane 1.0"));
}

void frmMain::RefreshCarList()
{
    // The old nodes go first, as the old records do: a list of 30,000 is not held twice.
    const bool carShown = mSelectedCar && !fraInfo->isHidden();
    const int scrolled = tvwCars->verticalScrollBar()->value();
    QSignalBlocker quiet(tvwCars->selectionModel());
    mCarTree->setCars({}, {});
    mDisabledCars.clear();
    const modCarList::ScannedCars scanned = mCars.Scan();

    QHash<QString, QString> warnings;
    QStringList checked; // the cars the game reads
    const auto nodes = [&](const QList<std::shared_ptr<cCar>>& cars, bool disabled) {
        QList<CarTreeModel::Node> made;
        made.reserve(cars.size());
        for (const auto& car : cars) {
            const QString& name = car->DirectoryName();
            const QString key = disabled ? CarTreeModel::DisabledKey(name) : name;
            made.append({FileSystem::Shown(modCarList::NodeText(*car)), key, car->Author()});
            if (const QString warning = modCarList::Warning(*car); !warning.isEmpty())
                warnings.insert(key, warning);
            if (disabled)
                mDisabledCars.insert(key, car);
            else
                checked.append(name);
        }
        return made;
    };
    QList<CarTreeModel::Node> standard = nodes(scanned.standard, false),
                              custom = nodes(scanned.custom, false),
                              disabled = nodes(scanned.disabled, true);
    mCarTree->setCarsFolder(scanned.carsFolder, scanned.disabledFolder);
    mCarTree->setCars(std::move(standard), std::move(custom), std::move(disabled),
                      std::move(warnings));
    // Once the list is shown.
    QTimer::singleShot(0, mCarTree, &CarTreeModel::lookAheadInstalled);
    mProblemFeed->start(scanned.carsFolder, checked);
    // As wide as the texts in view once the branches open, and no wider.
    tvwCars->fitToShownNodes(true);
    // The player's place in a long list is kept: the scroll bar knows the new length only once
    // the nodes are laid out.
    tvwCars->doItemsLayout();
    tvwCars->verticalScrollBar()->setValue(scrolled);
    mStatusText->setText(mCarTree->countText());
    HideCarFrames();

    // The car shown before is selected and shown again while it is listed, so that a refresh
    // leaves the player where they were. Once it is gone, the commands on it have nothing to act
    // on; Make Car needs no car.
    if (!carShown)
        return;
    quiet.unblock();
    if (const QModelIndex shown = mCarTree->car(mSelectedKey); shown.isValid()) {
        tvwCars->select(shown);
    } else {
        for (QAction* action : mActions->mCarActions)
            action->setEnabled(false);
    }
}

void frmMain::FilterCars(const QString& typed)
{
    // The shown car stays in the panel, edits and all, while the filter hides its node; only
    // Delete, which acts on the node the player sees selected, waits for it to be listed again.
    QSignalBlocker quiet(tvwCars->selectionModel());
    mCarTree->setFilter(typed);
    ListChosenCars();
}

void frmMain::ListChosenCars()
{
    QSignalBlocker quiet(tvwCars->selectionModel());
    tvwCars->fitToShownNodes(true);
    mStatusText->setText(mCarTree->countText());
    if (!mSelectedCar || fraInfo->isHidden())
        return;
    const QModelIndex shown = mCarTree->car(mSelectedKey);
    if (shown.isValid())
        tvwCars->select(shown);
    mActions->actDeleteCar->setEnabled(shown.isValid() && !mSelectedDisabled);
}

void frmMain::ShowMarks()
{
    if (mSelectedCar && !fraInfo->isHidden())
        fraInfo->ShowProblems(mCarTree->marks().lines(mSelectedKey));
    // Cars come into the list as their problems are found, and go as they are mended.
    if (mActions->mnuToolsProblems->isChecked())
        ListChosenCars();
}

std::shared_ptr<cCar> frmMain::FindCar(const QString& key) const
{
    if (const auto disabled = mDisabledCars.constFind(key); disabled != mDisabledCars.cend())
        return *disabled;
    return gCars().Find(key);
}

QString frmMain::SelectedCarNodeKey() const
{
    const QModelIndex node = tvwCars->selectedNode();
    if (!node.isValid() || mCarTree->isBranch(node))
        return QString();
    return mCarTree->key(node);
}

void frmMain::NodeClick(const QModelIndex& node)
{
    // Branches are told apart by place, not text, so a car folder named like a branch is
    // still a car. With no node selected there is no car to act on either.
    std::shared_ptr<cCar> car;
    const QString key =
        node.isValid() && !mCarTree->isBranch(node) ? mCarTree->key(node) : QString();
    if (!key.isEmpty())
        car = FindCar(key);
    // Cancel keeps the car with its edits, and the tree goes back to it.
    if (car != mSelectedCar && !fraInfo->MayLeave()) {
        const QSignalBlocker quiet(tvwCars->selectionModel());
        tvwCars->select(mCarTree->car(mSelectedKey));
        tvwCars->viewport()->update(); // unsignalled, the change would not be painted
        return;
    }
    if (!car) {
        SetCarButtonsEnabled(false);
        HideCarFrames();
        return;
    }

    mSelectedCar = car;
    mSelectedDisabled = mDisabledCars.contains(key);
    fraInfo->ShowCar(car, mSelectedDisabled);
    fraInfo->ShowProblems(mCarTree->marks().lines(key));
    fraInfo->show();
    fraImage->show();
    fraImage->ShowCar(*car);

    // The record's own spelling: gCars() finds a key in any letter case.
    mSelectedKey = mSelectedDisabled ? key : car->DirectoryName();
    SetCarButtonsEnabled(true);
}

void frmMain::ShowPopUp(const QPoint& position)
{
    const QString key = SelectedCarNodeKey();
    if (key.isEmpty() || !mSelectedCar)
        return;
    // Each item where it can act: a disabled car can only come back.
    const MainActions& a = *mActions;
    const bool custom =
        !mSelectedDisabled && mSelectedCar->Classified() == cCar::Classification::Custom;
    for (QAction* item : {a.mnuPopUpTemplate, a.mnuPopUpRepair, a.mnuPopUpDelete})
        item->setVisible(!mSelectedDisabled);
    a.mnuPopUpFixRefs->setVisible(
        custom && !modFolderRefs::Fixable(mCars.Path(), mSelectedCar->DirectoryName()).isEmpty());
    for (QAction* item : {a.mnuPopUpPack, a.mnuPopUpDisable})
        item->setVisible(custom);
    a.mnuPopUpEnable->setVisible(mSelectedDisabled);
    // From the keyboard: at the part of the node in view, which may be wider than the tree.
    const QRect node =
        tvwCars->visualRect(tvwCars->selectedNode()).intersected(tvwCars->viewport()->rect());
    mActions->mnuPopUp->popup(position.isNull() ? tvwCars->viewport()->mapToGlobal(node.center())
                                                : position);
}

void frmMain::SetCarButtonsEnabled(bool enabled)
{
    // A disabled car is only looked at, and its folder opened.
    const bool inGame = enabled && !mSelectedDisabled;
    mActions->actMakeCar->setEnabled(enabled);
    for (QAction* action : mActions->mCarActions)
        action->setEnabled(inGame);
    mActions->actOpenFolder->setEnabled(enabled);
    mActions->mnuPopUpRepair->setEnabled(inGame && mSelectedCar &&
                                         modRepairNames::CanRepair(*mSelectedCar));
}

void frmMain::HideCarFrames()
{
    fraInfo->hide();
    fraImage->hide();
}
