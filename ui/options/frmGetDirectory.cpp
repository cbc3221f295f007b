#include "ui/options/frmGetDirectory.h"

#include "app/cSettings.h"
#include "app/modMain.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/MsgBox.h"
#include "ui/FocusedButton.h"
#include "ui/Twips.h"
#include "ui/options/frmOptions.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>

namespace {

constexpr int kPathRole = Qt::UserRole;
const QString kGameProgram = QStringLiteral("drovak.exe");

// A root already ends with its separator.
QString JoinPath(const QString& folder, const QString& name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : FileNames::Join(folder, name);
}

bool IsUnder(const QString& folder, const QString& root)
{
    return folder == root || folder.startsWith(JoinPath(root, QString()));
}

// Why a folder cannot be listed, or an empty text when it can.
QString WhyUnreadable(const QString& folder)
{
    const FileSystem::Status status = FileSystem::StatusOf(folder);
    if (!status.exists)
        return QStringLiteral("it does not exist");
    if (!status.folder)
        return QStringLiteral("it is not a folder");
    if (!FileSystem::List(folder))
        return QStringLiteral("access is denied");
    return {};
}

// A drive that was listed can be unmounted or lose its medium while the chooser is open.
QString WhyDriveUnreadable(const QString& root)
{
    if (!FileSystem::MountRoots().contains(root))
        return QStringLiteral("it is not ready");
    return WhyUnreadable(root);
}

// The label holds three lines; a longer path loses its start, which matters least, and the
// whole path stays in the tooltip.
QString FitInto(const QLabel* label, const QString& path)
{
    const QFontMetrics metrics(label->font());
    const QRect room = label->contentsRect();
    const auto fits = [&](const QString& text) {
        const QRect needed = metrics.boundingRect(room, Qt::TextWordWrap, text);
        return needed.height() <= room.height() && needed.width() <= room.width();
    };
    QString shown = path;
    for (qsizetype keep = path.size() - 1; keep > 0 && !fits(shown); --keep)
        shown = QStringLiteral("\u2026") + path.right(keep);
    return shown;
}

} // namespace

frmGetDirectory::frmGetDirectory(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmGetDirectory"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Select the Drovak Directory..."));
    setWindowIcon(QIcon(QStringLiteral(":/torvane.png")));
    createControls();
    setFixedSize(Twips(4380), Twips(3705));

    fillDrives();
    const QString here = FileSystem::CurrentFolder();
    mDrive = driveOf(here);
    {
        const QSignalBlocker blocker(Drive1);
        Drive1->setCurrentIndex(Drive1->findText(mDrive));
    }
    showFolder(WhyUnreadable(here).isEmpty() ? here : mDrive);
    connectControls();
    Dir1->setFocus();
}

void frmGetDirectory::createControls()
{
    setFont(TwipsFont(QStringLiteral("MS Sans Serif"), 8.25, false));

    Drive1 = new QComboBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    PlaceTwips(Drive1, 0, 120, 3015, 315);

    Dir1 = new QTreeWidget(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    PlaceTwips(Dir1, 0, 480, 4335, 2115);
    Dir1->setHeaderHidden(true);
    Dir1->setColumnCount(1);
    Dir1->setUniformRowHeights(true);
    // The tree always shows the way from the root to the open folder and that folder's
    // sub-folders; only opening a folder changes what it shows.
    Dir1->setRootIsDecorated(false);
    Dir1->setItemsExpandable(false);
    Dir1->setExpandsOnDoubleClick(false);
    Dir1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Dir1->setIndentation(Twips(150));
    // Nothing here can be folded, so no branch shows a fold mark.
    Dir1->setStyleSheet(QStringLiteral("QTreeView::branch { image: none; border-image: none; }"));
    Dir1->installEventFilter(this);

    const auto button = [this](const char* name, const QString& caption, int left) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        // Neither button answers Enter: Enter opens the selected folder.
        b->setAutoDefault(false);
        PressOnEnterWhenFocused(b);
        PlaceTwips(b, left, 2640, 975, 375);
        return b;
    };
    cmdOK = button("cmdOK", QStringLiteral("&OK"), 3360);
    cmdOK->setEnabled(false);
    cmdCancel = button("cmdCancel", QStringLiteral("&Cancel"), 2280);

    lblCurrentPath = new QLabel(this);
    lblCurrentPath->setObjectName(QStringLiteral("lblCurrentPath"));
    lblCurrentPath->setFont(TwipsFont(QStringLiteral("MS Sans Serif"), 8.25, true));
    lblCurrentPath->setWordWrap(true);
    lblCurrentPath->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PlaceTwips(lblCurrentPath, 120, 3120, 4215, 615);

    setTabOrder(Dir1, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    setTabOrder(cmdCancel, Drive1);
}

void frmGetDirectory::connectControls()
{
    connect(Drive1, &QComboBox::activated, this, &frmGetDirectory::driveChosen);
    connect(Dir1, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { openFolder(item->data(0, kPathRole).toString()); });
    connect(Dir1, &QTreeWidget::itemClicked, this, &frmGetDirectory::refreshFolderUnderTest);
    connect(Dir1, &QTreeWidget::currentItemChanged, this, [this] {
        if (!mBuilding)
            refreshFolderUnderTest();
    });
    connect(cmdOK, &QPushButton::clicked, this, &frmGetDirectory::okClicked);
    connect(cmdCancel, &QPushButton::clicked, this, &QWidget::close);
}

void frmGetDirectory::fillDrives()
{
    QStringList roots = FileSystem::MountRoots();
    roots.removeAll(QStringLiteral("/"));
    roots.sort();
    roots.prepend(QStringLiteral("/"));
    Drive1->addItems(roots);
}

QString frmGetDirectory::driveOf(const QString& folder) const
{
    QString best = QStringLiteral("/");
    for (int i = 0; i < Drive1->count(); ++i) {
        const QString root = Drive1->itemText(i);
        if (IsUnder(folder, root) && root.size() > best.size())
            best = root;
    }
    return best;
}

void frmGetDirectory::driveChosen(int index)
{
    const QString root = Drive1->itemText(index);
    if (root == mDrive)
        return;
    const QString why = WhyDriveUnreadable(root);
    if (!why.isEmpty()) {
        MsgBox::Show(QStringLiteral("The drive %1 cannot be read: %2.")
                         .arg(FileSystem::NativeSeparators(root), why),
                     MsgBox::Icon::Exclamation);
        const QSignalBlocker blocker(Drive1);
        Drive1->setCurrentIndex(Drive1->findText(mDrive));
        return;
    }
    mDrive = root;
    // A drive's current folder is the process's when it lies there, else the drive's root.
    const QString here = FileSystem::CurrentFolder();
    const bool hereOnDrive = driveOf(here) == root && WhyUnreadable(here).isEmpty();
    showFolder(hereOnDrive ? here : root);
    refreshFolderUnderTest();
}

void frmGetDirectory::openFolder(const QString& folder)
{
    const QString why = WhyUnreadable(folder);
    if (!why.isEmpty()) {
        MsgBox::Show(QStringLiteral("The folder %1 cannot be read: %2.")
                         .arg(FileSystem::ForMessage(folder), why),
                     MsgBox::Icon::Exclamation);
        return;
    }
    showFolder(folder);
    refreshFolderUnderTest();
}

void frmGetDirectory::showFolder(const QString& folder)
{
    mBuilding = true;
    mCurrent = folder;
    Dir1->clear();

    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const auto add = [&](QTreeWidgetItem* parent, const QString& text, const QString& path,
                         const QIcon& icon) {
        // A name copied from Windows shows its Windows-1252 characters; the path keeps its bytes.
        const QString shown = FileSystem::Shown(text);
        auto* item =
            parent ? new QTreeWidgetItem(parent, {shown}) : new QTreeWidgetItem(Dir1, {shown});
        item->setData(0, kPathRole, path);
        item->setIcon(0, icon);
        item->setToolTip(0, FileSystem::ForMessage(path));
        return item;
    };

    QString path = mDrive;
    QTreeWidgetItem* current = add(nullptr, FileSystem::NativeSeparators(mDrive), mDrive, open);
    const QString below = folder.mid(mDrive.size());
    for (const QString& name : below.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path = JoinPath(path, name);
        current = add(current, name, path, open);
    }
    QFont font = current->font(0);
    font.setBold(true);
    current->setFont(0, font);

    QStringList children;
    // A folder that cannot be listed shows no sub-folders; the chooser's check of the folder
    // picked says what is wrong with it.
    for (const FileNames::Entry& entry : FileSystem::List(folder).value_or({})) {
        if (entry.isDir)
            children.append(entry.name);
    }
    std::sort(children.begin(), children.end(), [](const QString& a, const QString& b) {
        const int folded =
            QString::compare(FileSystem::Shown(a), FileSystem::Shown(b), Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : FileSystem::Encode(a) < FileSystem::Encode(b);
    });
    for (const QString& name : children)
        add(current, name, JoinPath(folder, name), closed);

    Dir1->expandAll();
    Dir1->setCurrentItem(current);
    Dir1->scrollToItem(current);
    mBuilding = false;
}

void frmGetDirectory::refreshFolderUnderTest()
{
    QString shown = FileSystem::ForMessage(mCurrent);
    // The root of everything would be left with no name at all.
    if (shown.size() > 1 && shown.endsWith(FileSystem::Separator()))
        shown.chop(1);
    lblCurrentPath->setText(FitInto(lblCurrentPath, shown));
    lblCurrentPath->setToolTip(shown);
    cmdOK->setEnabled(FileNames::IsPlainFile(FileNames::Resolve(mCurrent, kGameProgram)));
}

void frmGetDirectory::okClicked()
{
    const QString folder = FileSystem::NativeSeparators(mCurrent);
    modMain::gSettings().setDrovakDir(folder);
    if (frmOptions* options = frmOptions::Shared())
        options->ShowGameFolder(folder);
    close();
}

bool frmGetDirectory::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Dir1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (QTreeWidgetItem* item = Dir1->currentItem())
                openFolder(item->data(0, kPathRole).toString());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmGetDirectory::keyPressEvent(QKeyEvent* event)
{
    // Esc leaves as Cancel does; Enter is the folder list's, to open a folder.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
