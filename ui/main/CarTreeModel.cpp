#include "ui/main/CarTreeModel.h"

#include "platform/FileSystem.h"

#include <QApplication>
#include <QDateTime>
#include <QStyle>

#include <vector>

namespace {

const QString kBranchTexts[] = {QStringLiteral("Standard Cars"), QStringLiteral("Custom Cars"),
                                QStringLiteral("Disabled Cars")};
const QString kBranchKeys[] = {QStringLiteral("Standard"), QStringLiteral("Custom"),
                               QStringLiteral("Disabled")};
// No folder name holds it, so a disabled car's key is never an enabled car's.
constexpr QLatin1Char kDisabledMark('/');
constexpr quintptr kTopLevel = 0;

} // namespace

CarTreeModel::CarTreeModel(QObject* parent)
    : QAbstractItemModel(parent), mBranchIcon(QStringLiteral(":/tree/main.png")),
      mCarIcon(QStringLiteral(":/tree/car.png")),
      mProblemIcon(QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning))
{
}

QString CarTreeModel::DisabledKey(const QString& folderName)
{
    return kBranchKeys[Disabled] + kDisabledMark + folderName;
}

QString CarTreeModel::FolderName(const QString& key)
{
    return key.mid(key.lastIndexOf(kDisabledMark) + 1);
}

void CarTreeModel::setCars(QList<Node> standard, QList<Node> custom, QList<Node> disabled,
                           QHash<QString, QString> warnings)
{
    Sort(standard);
    Sort(custom);
    Sort(disabled);
    // What it finds is of the cars before: it is let finish, and forgotten.
    if (mLookAhead.valid())
        mLookAhead.wait();
    mLookAhead = {};
    beginResetModel();
    mCars[0] = std::move(standard);
    mCars[1] = std::move(custom);
    mCars[2] = std::move(disabled);
    mMarks.setWarnings(std::move(warnings));
    for (int b = 0; b < kBranches; ++b) {
        mAuthorRank[b].clear();
        mFolded[b].clear();
    }
    Order();
    Choose();
    endResetModel();
}

void CarTreeModel::setFilter(const QString& typed)
{
    if (typed == mFilter.text())
        return;
    beginResetModel();
    mFilter = CarFilter(typed);
    Choose();
    endResetModel();
}

void CarTreeModel::setProblemsOnly(bool only)
{
    if (only == mProblemsOnly)
        return;
    beginResetModel();
    mProblemsOnly = only;
    Choose();
    endResetModel();
}

void CarTreeModel::addProblems(const QHash<QString, QStringList>& found)
{
    mMarks.add(found);
    MarksChanged();
}

void CarTreeModel::keepProblemsOf(const QSet<QString>& found)
{
    mMarks.keepOnly(found);
    MarksChanged();
}

void CarTreeModel::MarksChanged()
{
    // Listed by their marks, cars come and go; else only the icons and tooltips change, of the
    // rows in view.
    if (mProblemsOnly) {
        Relist([this] { Choose(); });
        return;
    }
    for (int b = 0; b < branchCount(); ++b) {
        if (!mRows[b].empty())
            emit dataChanged(index(0, NameColumn, branch(b)),
                             index(int(mRows[b].size()) - 1, NameColumn, branch(b)),
                             {Qt::DecorationRole, Qt::ToolTipRole});
    }
}

int CarTreeModel::branchCount() const
{
    // Most players never disable a car: their tree stays as it was.
    return mCars[Disabled].isEmpty() ? Disabled : kBranches;
}

qsizetype CarTreeModel::shownCount() const
{
    return qsizetype(mRows[0].size() + mRows[1].size());
}

QString CarTreeModel::countText() const
{
    const qsizetype cars = carCount(0) + carCount(1);
    if (!mFilter.isEmpty())
        return QString::fromLatin1(mProblemsOnly ? "%1 of %2 cars with problems match '%3'."
                                                 : "%1 of %2 cars match '%3'.")
            .arg(shownCount())
            .arg(cars)
            .arg(mFilter.text());
    if (mProblemsOnly)
        return QStringLiteral("%1 of %2 cars have problems.").arg(shownCount()).arg(cars);
    return QStringLiteral("%1 cars found. (%2 standard cars, %3 custom cars)")
        .arg(cars)
        .arg(carCount(0))
        .arg(carCount(1));
}

bool CarTreeModel::isBranch(const QModelIndex& index) const
{
    return index.isValid() && index.internalId() == kTopLevel;
}

QString CarTreeModel::key(const QModelIndex& index) const
{
    return data(index, KeyRole).toString();
}

QModelIndex CarTreeModel::car(const QString& key) const
{
    for (int b = 0; b < kBranches; ++b) {
        for (size_t row = 0; row < mRows[b].size(); ++row) {
            if (mCars[b][mRows[b][row]].key == key)
                return createIndex(int(row), 0, quintptr(b + 1));
        }
    }
    return {};
}

QString CarTreeModel::neighbourKey(const QString& key) const
{
    const QModelIndex car = this->car(key);
    const QModelIndex next = car.siblingAtRow(car.row() + 1);
    return this->key(next.isValid() ? next : car.siblingAtRow(car.row() - 1));
}

const CarTreeModel::Node& CarTreeModel::node(const QModelIndex& index) const
{
    const int b = BranchOf(index);
    return mCars[b][mRows[b][size_t(index.row())]];
}

QModelIndex CarTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column < 0 || column >= ColumnCount || row < 0 || row >= rowCount(parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, column, kTopLevel);
    return createIndex(row, column, quintptr(parent.row() + 1));
}

QModelIndex CarTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == kTopLevel)
        return {};
    return createIndex(BranchOf(child), 0, kTopLevel);
}

int CarTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return branchCount();
    if (parent.internalId() == kTopLevel && parent.column() == 0)
        return int(mRows[parent.row()].size());
    return 0;
}

int CarTreeModel::columnCount(const QModelIndex&) const
{
    return ColumnCount;
}

QVariant CarTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const bool branch = index.internalId() == kTopLevel;
    if (branch) {
        if (role == KeyRole)
            return kBranchKeys[index.row()];
        if (index.column() != NameColumn)
            return {};
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return kBranchTexts[index.row()];
        return role == Qt::DecorationRole ? QVariant(mBranchIcon) : QVariant();
    }
    const Node& car = node(index);
    if (index.column() == InstalledColumn && role == Qt::DisplayRole)
        LookUpInstalled(BranchOf(index), mRows[BranchOf(index)][size_t(index.row())]);
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == AuthorColumn)
            return car.author;
        if (index.column() == InstalledColumn)
            return car.installed <= 0 ? QString()
                                      : QDateTime::fromSecsSinceEpoch(car.installed)
                                            .toString(QStringLiteral("yyyy-MM-dd"));
        return car.text;
    case Qt::ToolTipRole: // the tree is narrow: a long name is cut off, its tooltip is whole
        if (mMarks.has(car.key))
            return car.text + QLatin1Char('\n') + CarMarks::Summary(mMarks.lines(car.key));
        return car.text;
    case KeyRole:
        return car.key;
    case Qt::DecorationRole:
        if (index.column() != NameColumn)
            return {};
        return mMarks.has(car.key) ? mProblemIcon : mCarIcon;
    default:
        return {};
    }
}

QVariant CarTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return {};
    const QString titles[] = {QStringLiteral("Car"), QStringLiteral("Author"),
                              QStringLiteral("Installed")};
    return titles[section];
}

Qt::ItemFlags CarTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.internalId() != kTopLevel)
        flags |= Qt::ItemNeverHasChildren;
    return flags;
}
