#include "ui/main/frmMain.h"

#include "app/cSettings.h"
#include "app/modErrorHandling.h"
#include "app/modGame.h"
#include "app/modMain.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"
#include "cars/modCarList.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/Launcher.h"
#include "platform/MsgBox.h"
#include "ui/Twips.h"
#include "ui/about/frmAbout.h"
#include "ui/about/modInternet.h"
#include "ui/main/CarTreeModel.h"
#include "ui/options/frmOptions.h"
#include "ui/wizard/frmCreateCarWizard.h"

#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

using modMain::gCars;
using modMain::gSettings;

namespace {

const QString kNoEditorTitle = QStringLiteral("No Editor Specified");

// The toolbar and the status line are part of the client area that the places are measured
// in; the central widget starts below the toolbar.
constexpr int kToolbarHeight = 1050;
constexpr int kStatusHeight = 345;
constexpr int kClientWidth = 8055;
constexpr int kClientHeight = 8295;

QString DescriptionForBox(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

QString DescriptionFromBox(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

// Places are measured from the top of the client area, which the toolbar heads.
void PlaceInClient(QWidget* w, int left, int top, int width, int height)
{
    w->setGeometry(Twips(left), Twips(top) - Twips(kToolbarHeight), Twips(width), Twips(height));
}

// A start that failed says why, in the launcher's words, which name what could not be started.
void ShowIfFailed(const Launcher::Result& started)
{
    if (!started.success())
        MsgBox::Show(started.message, MsgBox::Icon::Exclamation);
}

} // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Zelmor Torvane"));
    setWindowIcon(QIcon(QStringLiteral(":/torvane.png")));
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    // Made in this order, the tree comes before the panel's boxes in the tab order, and each
    // part lies over those before it where they touch.
    createPicture(client);
    createTree(client);
    createInfoPanel(client);
    createStatusBar();
    createActions();
    createToolBars();
    createMenus();

    // The layout is fixed: nothing moves or resizes with the window.
    setFixedSize(Twips(kClientWidth), Twips(kClientHeight) + menuBar()->sizeHint().height());
}

frmMain::~frmMain() = default;

void frmMain::createPicture(QWidget* client)
{
    fraImage = new QGroupBox(client);
    fraImage->setObjectName(QStringLiteral("fraImage"));
    PlaceInClient(fraImage, 3600, 4440, 4455, 3495);
    fraImage->setAutoFillBackground(true);
    imgSkin = new QLabel(fraImage);
    imgSkin->setObjectName(QStringLiteral("imgSkin"));
    PlaceTwips(imgSkin, 120, 240, 4215, 3135);
    imgSkin->setScaledContents(true);
    imgSkin->installEventFilter(this);
}

void frmMain::createTree(QWidget* client)
{
    tvwCars = new QTreeView(client);
    tvwCars->setObjectName(QStringLiteral("tvwCars"));
    PlaceInClient(tvwCars, 120, 1200, 3375, 6735);
    mCarTree = new CarTreeModel(this);
    tvwCars->setModel(mCarTree);
    tvwCars->setHeaderHidden(true);
    tvwCars->setSelectionMode(QAbstractItemView::SingleSelection);
    tvwCars->setUniformRowHeights(true);
    tvwCars->setIconSize(QSize(12, 12));
    tvwCars->setRootIsDecorated(true);
    tvwCars->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The pop-up menu acts on the selected node, so a right click must not select.
    tvwCars->setContextMenuPolicy(Qt::PreventContextMenu);
    tvwCars->viewport()->installEventFilter(this);
    tvwCars->installEventFilter(this);
    // A node's text too long for the tree can be scrolled to sideways, with the keyboard too.
    tvwCars->header()->setStretchLastSection(false);
    tvwCars->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    // A press selects, a key moves the selection, a program sets it: each shows the node.
    connect(tvwCars->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        mSelectionChangedByPress = true;
        NodeClick(SelectedNode());
    });
    connect(tvwCars, &QTreeView::clicked, this, [this](const QModelIndex& node) {
        if (!mSelectionChangedByPress && node == SelectedNode())
            NodeClick(node);
    });
    connect(tvwCars->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &frmMain::FitTreeToShownNodes);
    connect(tvwCars, &QTreeView::expanded, this, &frmMain::FitTreeToShownNodes);
}

void frmMain::createInfoPanel(QWidget* client)
{
    fraInfo = new QGroupBox(client);
    fraInfo->setObjectName(QStringLiteral("fraInfo"));
    PlaceInClient(fraInfo, 3600, 1080, 4455, 3375);
    fraInfo->setFont(TwipsFont(QStringLiteral("Tahoma"), 9.75, true));
    // It covers the title picture while a car is shown.
    fraInfo->setAutoFillBackground(true);

    const QFont tahomaBold = TwipsFont(QStringLiteral("Tahoma"), 8.25, true);
    const auto button = [&](const char* name, const QString& text, int left, int width) {
        auto* b = new QPushButton(text, fraInfo);
        b->setObjectName(QLatin1String(name));
        b->setFont(tahomaBold);
        b->setEnabled(false);
        b->setAutoDefault(false);
        PlaceTwips(b, left, 360, width, 375);
        return b;
    };
    cmdReadMe = button("cmdReadMe", QStringLiteral("View ReadMe File"), 1080, 1935);
    cmdUpdateCarInfo = button("cmdUpdateCarInfo", QStringLiteral("Update"), 3120, 1215);

    // The text boxes use the window's font, not the frame's; every attribute is set so that
    // none is inherited from the frame.
    QFont boxFont = font();
    boxFont.setFamilies(boxFont.families());
    boxFont.setPointSizeF(boxFont.pointSizeF());
    boxFont.setBold(false);
    const auto line = [&](const char* name, int top) {
        auto* edit = new QLineEdit(fraInfo);
        edit->setObjectName(QLatin1String(name));
        edit->setFont(boxFont);
        PlaceTwips(edit, 1320, top, 3015, 285);
        return edit;
    };
    txtCarName = line("txtCarName", 840);
    txtCarAuthor = line("txtCarAuthor", 1200);
    txtCarBasedOn = line("txtCarBasedOn", 1560);
    txtDescription = new QPlainTextEdit(fraInfo);
    txtDescription->setObjectName(QStringLiteral("txtDescription"));
    txtDescription->setFont(boxFont);
    txtDescription->setToolTip(QStringLiteral("Get a description for this car."));
    txtDescription->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // As in a multi-line box on the game's platform, Tab moves on rather than typing a tab.
    txtDescription->setTabChangesFocus(true);
    PlaceTwips(txtDescription, 1320, 1920, 3015, 1365);

    const auto label = [&](const char* name, const QString& text, int left, int top, int width,
                           int height) {
        auto* l = new QLabel(text, fraInfo);
        l->setObjectName(QLatin1String(name));
        l->setFont(tahomaBold);
        PlaceTwips(l, left, top, width, height);
        // The desktop's font that stands in for Tahoma may be wider: a caption that would be
        // cut off takes the room it needs, which the gap before the text boxes leaves it.
        l->resize(qMax(l->width(), l->sizeHint().width()), l->height());
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    };
    label("Label4", QStringLiteral("Description:"), 120, 1920, 1095, 255);
    label("Label3", QStringLiteral("Based on:"), 240, 1560, 975, 255);
    label("Label2", QStringLiteral("Author:"), 240, 1200, 975, 255);
    label("Label1", QStringLiteral("Name:"), 240, 840, 975, 375);

    Image1 = new QLabel(client);
    Image1->setObjectName(QStringLiteral("Image1"));
    PlaceInClient(Image1, 3720, 1200, 4215, 2775);
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap(QStringLiteral(":/title.jpg")));
    // The title picture lies beneath the information frame, in the same place.
    Image1->lower();

    connect(cmdUpdateCarInfo, &QPushButton::clicked, this, &frmMain::UpdateCarInfo);
    connect(cmdReadMe, &QPushButton::clicked, this, &frmMain::ReadMeCommand);
    const auto dirty = [this] { cmdUpdateCarInfo->setEnabled(true); };
    for (QLineEdit* edit : {txtCarName, txtCarAuthor, txtCarBasedOn})
        connect(edit, &QLineEdit::textChanged, this, dirty);
    connect(txtDescription, &QPlainTextEdit::textChanged, this, dirty);
}

void frmMain::createStatusBar()
{
    auto* sbrStatus = new QStatusBar(this);
    sbrStatus->setObjectName(QStringLiteral("sbrStatus"));
    sbrStatus->setSizeGripEnabled(false);
    sbrStatus->setFixedHeight(Twips(kStatusHeight));
    // A widget, not a message: the toolbar's descriptions shown while the mouse rests on a
    // button must not wipe the count.
    mStatusText = new QLabel(sbrStatus);
    mStatusText->setObjectName(QStringLiteral("sbrStatusText"));
    sbrStatus->addWidget(mStatusText, 1);
    setStatusBar(sbrStatus);
}

void frmMain::createActions()
{
    // A toolbar command's key is its object name and its data; every command has a shortcut,
    // named in its tooltip.
    const auto command = [this](const char* key, const char* caption, const char* image,
                                const char* tooltip, const char* description,
                                QKeyCombination shortcut, auto handler) {
        auto* action =
            new QAction(QIcon(QStringLiteral(":/toolbar/%1.png").arg(QLatin1String(image))),
                        QLatin1String(caption), this);
        action->setObjectName(QLatin1String(key));
        action->setData(QLatin1String(key));
        action->setShortcut(shortcut);
        action->setToolTip(QStringLiteral("%1 (%2)").arg(
            QLatin1String(tooltip), QKeySequence(shortcut).toString(QKeySequence::NativeText)));
        action->setStatusTip(QLatin1String(description));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    actRefresh = command("Refresh", "Refresh", "refresh", "Refresh the car list", "", Qt::Key_F5,
                         &frmMain::RefreshCarList);
    actMakeCar =
        command("Add", "Make Car", "add", "Create a new car based on a current one",
                "Create a new car", Qt::CTRL | Qt::Key_N, [this] { StartCreateCar(QString()); });
    actDeleteCar = command("Delete", "Delete Car", "delete", "Delete a car from your computer",
                           "Remove a car from Drovak", Qt::Key_Delete,
                           [this] { DeleteSelectedCar(SelectedCarNodeKey()); });
    // Delete Car's key works in the tree alone (see eventFilter): the text boxes need theirs.
    actDeleteCar->setShortcut(QKeySequence());
    actPaintSkin =
        command("paint", "Paint Skin", "paint", "Paint the selected car with your image editor",
                "Paint the selected car", Qt::CTRL | Qt::Key_P, &frmMain::SkinCommand);
    actEditParams =
        command("editparams", "Edit Params", "editparams", "Edit the PARAMETERS.TXT for this car",
                "Edit the parameters.txt", Qt::CTRL | Qt::Key_E, &frmMain::EditParameters);
    actOpenFolder = command("Open", "Open Folder", "open", "Open this car's folder",
                            "Open this car's folder", Qt::CTRL | Qt::Key_O, [this] {
                                if (mSelectedCar)
                                    OpenCarDir(mSelectedCar->DirectoryName());
                            });
    actRunGame = command("run", "Run Drovak", "run", "Play Drovak", "Run the game!",
                         Qt::CTRL | Qt::Key_R, &frmMain::RunGame);
    mCarActions = {actDeleteCar, actPaintSkin, actEditParams, actOpenFolder};

    const auto item = [this](const char* name, const QString& caption, auto handler) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    mnuFileNew =
        item("mnuFileNew", QStringLiteral("&New Car..."), [this] { StartCreateCar(QString()); });
    mnuFileExit = item("mnuFileExit", QStringLiteral("E&xit"), &QWidget::close);
    mnuFileExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    mnuToolsOptions =
        item("mnuToolsOptions", QStringLiteral("&Options"), [] { frmOptions::ShowShared(); });
    mnuHelpWebMerrowin = item("mnuHelpWebMerrowin", QStringLiteral("Merrowin's Drovak Page"),
                              [] { modInternet::OpenWebPage(modInternet::kMerrowinDrovakPage); });
    mnuHelpWebZelmor = item("mnuHelpWebZelmor", QStringLiteral("Zelmor"),
                            [] { modInternet::OpenWebPage(modInternet::kZelmorPage); });
    mnuHelpWebWR = item("mnuHelpWebWR", QStringLiteral("Drovak Web Ring"),
                        [] { modInternet::OpenWebPage(modInternet::kDrovakWebRing); });
    mnuHelpAbout = item("mnuHelpAbout", QStringLiteral("&About Zelmor Torvane..."),
                        [] { frmAbout::ShowShared(); });
    mnuPopUpTemplate = item("mnuPopUpTemplate", QStringLiteral("Use as &Template"),
                            [this] { StartCreateCar(SelectedCarNodeKey()); });
    mnuPopUpDelete = item("mnuPopUpDelete", QStringLiteral("&Delete"),
                          [this] { DeleteSelectedCar(SelectedCarNodeKey()); });
}

void frmMain::createToolBars()
{
    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setIconSize(QSize(48, 48));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Toolbar1->setFixedHeight(Twips(kToolbarHeight));
    Toolbar1->setContextMenuPolicy(Qt::PreventContextMenu);
    Toolbar1->setFont(TwipsFont(QStringLiteral("MS Sans Serif"), 8.25, false));
    addToolBar(Qt::TopToolBarArea, Toolbar1);

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

void frmMain::createMenus()
{
    const auto menu = [this](QMenu* parent, const char* name, const QString& caption) {
        QMenu* m = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        return m;
    };
    QMenu* mnuFile = menu(nullptr, "mnuFile", QStringLiteral("&File"));
    mnuFile->addActions({mnuFileNew, mnuFileExit});
    QMenu* mnuTools = menu(nullptr, "mnuTools", QStringLiteral("&Tools"));
    mnuTools->addAction(mnuToolsOptions);
    QMenu* mnuHelp = menu(nullptr, "mnuHelp", QStringLiteral("&Help"));
    QMenu* mnuHelpWeb = menu(mnuHelp, "mnuHelpWeb", QStringLiteral("&Web Links"));
    mnuHelpWeb->addActions({mnuHelpWebMerrowin, mnuHelpWebZelmor, mnuHelpWebWR});
    mnuHelp->addAction(mnuHelpAbout);

    // Never in the menu bar: only the tree opens it.
    mnuPopUp = new QMenu(QStringLiteral("Context Menu"), this);
    mnuPopUp->setObjectName(QStringLiteral("mnuPopUp"));
    mnuPopUp->addActions({mnuPopUpTemplate, mnuPopUpDelete});
}

void frmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!mLoaded) {
        mLoaded = true;
        Form_Load();
    }
}

void frmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        imgSkin->update();
}

bool frmMain::event(QEvent* event)
{
    // The status line holds the count alone: a toolbar button's description, shown while the
    // mouse rests on it, would replace the count and could stay there.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == imgSkin && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        SkinCommand();
        return true;
    }
    if (watched == tvwCars && event->type() == QEvent::KeyPress) {
        // The keys of a pop-up menu, and of Delete Car, on the selected node.
        const QKeyCombination key = static_cast<QKeyEvent*>(event)->keyCombination();
        if (key == QKeyCombination(Qt::Key_Menu) || key == (Qt::SHIFT | Qt::Key_F10)) {
            ShowPopUp();
            return true;
        }
        if (key == QKeyCombination(Qt::Key_Delete)) {
            if (actDeleteCar->isEnabled())
                actDeleteCar->trigger();
            return true;
        }
    }
    if (watched == tvwCars->viewport()) {
        const QEvent::Type type = event->type();
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
            type == QEvent::MouseButtonDblClick) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (type == QEvent::MouseButtonPress)
                mSelectionChangedByPress = false;
            if (mouse->button() == Qt::RightButton) {
                if (type == QEvent::MouseButtonRelease)
                    TreeMouseUp(mouse->button(), mouse->globalPosition().toPoint());
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
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
    QSignalBlocker quiet(tvwCars->selectionModel());
    mCarTree->setCars({}, {});
    const modCarList::ScannedCars scanned = modCarList::ScanCars(modMain::CarsFolder());

    const auto nodes = [](const QList<std::shared_ptr<cCar>>& cars) {
        QList<CarTreeModel::Node> made;
        made.reserve(cars.size());
        for (const auto& car : cars)
            made.append({FileSystem::Shown(modCarList::NodeText(*car)), car->DirectoryName()});
        return made;
    };
    mCarTree->setCars(nodes(scanned.standard), nodes(scanned.custom));
    // As wide as the texts in view once the branches open, and no wider.
    tvwCars->header()->resizeSection(0, tvwCars->viewport()->width());
    tvwCars->expand(mCarTree->branch(0));
    tvwCars->expand(mCarTree->branch(1));
    const qsizetype standardCount = scanned.standard.size();
    const qsizetype customCount = scanned.custom.size();
    mStatusText->setText(QStringLiteral("%1 cars found. (%2 standard cars, %3 custom cars)")
                             .arg(standardCount + customCount)
                             .arg(standardCount)
                             .arg(customCount));
    HideCarFrames();

    // The car shown before is selected and shown again while it is listed, so that a refresh
    // leaves the player where they were. Once it is gone, the commands on it have nothing to act
    // on; Make Car needs no car.
    if (!carShown)
        return;
    quiet.unblock();
    if (const QModelIndex shown = mCarTree->car(mSelectedKey); shown.isValid()) {
        tvwCars->setCurrentIndex(shown);
        tvwCars->scrollTo(shown);
    } else {
        for (QAction* action : mCarActions)
            action->setEnabled(false);
    }
}

void frmMain::FitTreeToShownNodes()
{
    // Only the nodes in view are measured: measuring 30,000 texts would slow every refresh.
    const QRect area = tvwCars->viewport()->rect();
    int needed = area.width();
    for (QModelIndex node = tvwCars->indexAt(area.topLeft()); node.isValid();
         node = tvwCars->indexBelow(node)) {
        const QRect place = tvwCars->visualRect(node);
        if (place.top() > area.bottom())
            break;
        needed = qMax(needed, place.left() + tvwCars->horizontalScrollBar()->value() +
                                  tvwCars->sizeHintForIndex(node).width());
    }
    if (needed > tvwCars->header()->sectionSize(0))
        tvwCars->header()->resizeSection(0, needed);
}

QModelIndex frmMain::SelectedNode() const
{
    const QModelIndexList selected = tvwCars->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QModelIndex() : selected.first();
}

QString frmMain::SelectedCarNodeKey() const
{
    const QModelIndex node = SelectedNode();
    if (!node.isValid() || mCarTree->isBranch(node))
        return QString();
    return mCarTree->key(node);
}

void frmMain::NodeClick(const QModelIndex& node)
{
    // Branches are told apart by place, not text, so a car folder named like a branch is
    // still a car. With no node selected there is no car to act on either.
    std::shared_ptr<cCar> car;
    if (node.isValid() && !mCarTree->isBranch(node))
        car = gCars().Find(mCarTree->key(node));
    if (!car) {
        SetCarButtonsEnabled(false);
        HideCarFrames();
        return;
    }

    const QString key = car->DirectoryName();
    mSelectedCar = car;
    const QString carFolder = FileNames::Join(modMain::CarsFolder(), key);
    const FileNames::FolderListing listing(carFolder);
    const QString skinPath = listing.path(QStringLiteral("car.bmp"));
    const QString photoPath = listing.path(car->DirectoryName() + QStringLiteral(".jpg"));

    fraInfo->setTitle(QStringLiteral("About ") + FileSystem::Shown(key));
    ShowCarInfo();
    const bool readOnly = car->Classified() == cCar::Classification::Original;
    for (QLineEdit* edit : {txtCarName, txtCarAuthor, txtCarBasedOn})
        edit->setReadOnly(readOnly);
    txtDescription->setReadOnly(readOnly);
    cmdUpdateCarInfo->setEnabled(false);
    fraInfo->show();
    fraImage->show();
    cmdReadMe->setEnabled(car->HasReadMe());

    if (car->HasPhoto())
        ShowPicture(photoPath);
    else if (!listing.hasPlainFile(QStringLiteral("car.bmp")))
        ShowPicture(FileNames::Join(modMain::AppPath(), QStringLiteral("notfound.jpg")));
    else
        ShowPicture(skinPath);

    mSelectedKey = key;
    SetCarButtonsEnabled(true);
}

void frmMain::ShowPicture(const QString& path)
{
    // A picture that is missing or cannot be decoded leaves the box empty but usable. Only a
    // plain file is read: a FIFO of that name would hang the window.
    QPixmap picture;
    if (const std::optional<QByteArray> bytes = FileSystem::ReadPlainFile(path))
        picture.loadFromData(*bytes);
    if (picture.isNull())
        imgSkin->clear();
    else
        imgSkin->setPixmap(picture);
}

void frmMain::TreeMouseUp(Qt::MouseButton button, const QPoint& position)
{
    if (button == Qt::RightButton)
        ShowPopUp(position);
}

void frmMain::ShowPopUp(const QPoint& position)
{
    if (SelectedCarNodeKey().isEmpty())
        return;
    // From the keyboard: at the part of the node in view, which may be wider than the tree.
    const QRect node = tvwCars->visualRect(SelectedNode()).intersected(tvwCars->viewport()->rect());
    mnuPopUp->popup(position.isNull() ? tvwCars->viewport()->mapToGlobal(node.center()) : position);
}

void frmMain::ShowCarInfo()
{
    txtCarName->setText(mSelectedCar->CarName());
    txtCarAuthor->setText(mSelectedCar->Author());
    txtCarBasedOn->setText(mSelectedCar->BasedTemplate());
    txtDescription->setPlainText(DescriptionForBox(mSelectedCar->Description()));
    // A long name is read from its start, not its end.
    for (QLineEdit* edit : {txtCarName, txtCarAuthor, txtCarBasedOn})
        edit->setCursorPosition(0);
}

void frmMain::UpdateCarInfo()
{
    if (!mSelectedCar)
        return;
    try {
        mSelectedCar->setCarName(txtCarName->text());
        mSelectedCar->setAuthor(txtCarAuthor->text());
        mSelectedCar->setBasedTemplate(txtCarBasedOn->text());
        mSelectedCar->setDescription(DescriptionFromBox(txtDescription->toPlainText()));
        mSelectedCar->SaveSettings();
    } catch (const modErrorHandling::AppError& error) {
        // The file and the system's reason tell the player what to mend (a full disk, say).
        QString text = QStringLiteral("There was an error updating the settings.");
        if (!error.detail().isEmpty())
            text += QLatin1Char('\n') + error.detail();
        MsgBox::Show(text, MsgBox::Icon::Critical, QStringLiteral("Error"));
        return;
    }
    cmdUpdateCarInfo->setEnabled(false);
}

void frmMain::SetCarButtonsEnabled(bool enabled)
{
    actMakeCar->setEnabled(enabled);
    for (QAction* action : mCarActions)
        action->setEnabled(enabled);
}

void frmMain::HideCarFrames()
{
    fraInfo->hide();
    fraImage->hide();
}

void frmMain::StartCreateCar(const QString& templateDir)
{
    auto* wizard = new frmCreateCarWizard;
    wizard->show();
    wizard->setTemplateText(templateDir);
    RefreshCarList();
}

void frmMain::StartTextEditor(const QString& file)
{
    const QString editor = gSettings().TextEditorPath();
    if (editor.isEmpty() || !FileNames::EntryExists(editor)) {
        MsgBox::Show(
            QStringLiteral(
                "There is no text editor specified.  Go into Tools/Options and select one."),
            MsgBox::Icon::None, kNoEditorTitle);
        return;
    }
    ShowIfFailed(Launcher::StartProgram(editor, {file}));
}

void frmMain::EditParameters()
{
    EditCarFile(QStringLiteral("parameters.txt"));
}

void frmMain::ReadMeCommand()
{
    EditCarFile(QStringLiteral("readme.txt"));
}

void frmMain::EditCarFile(const QString& name)
{
    if (!mSelectedCar)
        return;
    const QString folder = FileNames::Join(modMain::CarsFolder(), mSelectedCar->DirectoryName());
    StartTextEditor(FileNames::Resolve(folder, name));
}

void frmMain::SkinCommand()
{
    if (mSelectedKey.isEmpty())
        return;
    const QString editor = gSettings().ImageEditorPath();
    if (!FileNames::IsPlainFile(editor)) {
        MsgBox::Show(
            QStringLiteral(
                "There is no image editor specified.  Go into Tools/Options and select one."),
            MsgBox::Icon::None, kNoEditorTitle);
        return;
    }
    const QString folder = FileNames::Join(modMain::CarsFolder(), mSelectedKey);
    ShowIfFailed(
        Launcher::StartProgram(editor, {FileNames::Resolve(folder, QStringLiteral("car.bmp"))}));
}

void frmMain::OpenCarDir(const QString& directoryName)
{
    ShowIfFailed(Launcher::OpenFolder(FileNames::Join(modMain::CarsFolder(), directoryName)));
}

void frmMain::RunGame()
{
    ShowIfFailed(modGame::RunGame(gSettings().DrovakDir()));
}

void frmMain::DeleteSelectedCar(const QString& carKey)
{
    // Only the car the user can see selected is ever asked about, and only that car deleted.
    if (carKey.isEmpty() || !mSelectedCar || mSelectedCar->DirectoryName() != carKey)
        return;
    if (mSelectedCar->Classified() == cCar::Classification::Original) {
        MsgBox::Show(QStringLiteral("This is an actual game car and cannot be deleted."),
                     MsgBox::Icon::Information, QStringLiteral("Cannot Delete"));
        return;
    }
    const MsgBox::Answer answer = MsgBox::Show(
        QStringLiteral("Are you sure you want to delete '") + FileSystem::Shown(carKey) +
            QStringLiteral("'? All of its files will be ") + QStringLiteral("PERMANENTLY deleted!"),
        MsgBox::Icon::Question, QStringLiteral("Warning!"), MsgBox::Buttons::YesNo);
    if (answer != MsgBox::Answer::Yes)
        return;
    mSelectedCar->Delete();
    RefreshCarList();
    // A car that could not be deleted is still listed, and shown again.
    if (!mCarTree->car(carKey).isValid()) {
        SetCarButtonsEnabled(false);
        HideCarFrames();
    }
}
