#include "ui/main/CarTreeModel.h"

#include "platform/FileSystem.h"
#include "ui/main/CarCollation.h"

#include <QDateTime>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

const QString kBranchTexts[2] = {QStringLiteral("Standard Cars"), QStringLiteral("Custom Cars")};
const QString kBranchKeys[2] = {QStringLiteral("Standard"), QStringLiteral("Custom")};
constexpr quintptr kTopLevel = 0;

// A car node's branch: its internal id less one.
int branchOf(const QModelIndex& car)
{
    return int(car.internalId() - 1);
}

} // namespace

CarTreeModel::CarTreeModel(QObject* parent)
    : QAbstractItemModel(parent), mBranchIcon(QStringLiteral(":/tree/main.png")),
      mCarIcon(QStringLiteral(":/tree/car.png"))
{
}

void CarTreeModel::Sort(QList<Node>& nodes)
{
    const qsizetype n = nodes.size();
    if (n < 2)
        return;
    QStringList texts;
    texts.reserve(n);
    for (const Node& node : nodes)
        texts.append(node.text);
    std::vector<qsizetype> order = CarCollation::Order(texts);
    texts.clear();

    // Position i takes the node at order[i]: each cycle of that permutation is followed once,
    // so the nodes move in place and no second list of 30,000 is needed.
    for (qsizetype start = 0; start < n; ++start) {
        if (order[size_t(start)] < 0)
            continue;
        Node held = std::move(nodes[start]);
        qsizetype at = start;
        for (;;) {
            const qsizetype from = order[size_t(at)];
            order[size_t(at)] = -1;
            if (from == start) {
                nodes[at] = std::move(held);
                break;
            }
            nodes[at] = std::move(nodes[from]);
            at = from;
        }
    }
}

void CarTreeModel::setCars(QList<Node> standard, QList<Node> custom,
                           QHash<QString, QString> warnings)
{
    Sort(standard);
    Sort(custom);
    // What it finds is of the cars before: it is let finish, and forgotten.
    if (mLookAhead.valid())
        mLookAhead.wait();
    mLookAhead = {};
    beginResetModel();
    mCars[0] = std::move(standard);
    mCars[1] = std::move(custom);
    mWarnings = std::move(warnings);
    for (int b = 0; b < 2; ++b) {
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

qsizetype CarTreeModel::shownCount() const
{
    return qsizetype(mRows[0].size() + mRows[1].size());
}

QString CarTreeModel::countText() const
{
    const qsizetype cars = carCount(0) + carCount(1);
    if (!mFilter.isEmpty())
        return QStringLiteral("%1 of %2 cars match '%3'.")
            .arg(shownCount())
            .arg(cars)
            .arg(mFilter.text());
    return QStringLiteral("%1 cars found. (%2 standard cars, %3 custom cars)")
        .arg(cars)
        .arg(carCount(0))
        .arg(carCount(1));
}

void CarTreeModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // The selection and the current node stay on their cars, wherever those move.
    const QModelIndexList before = persistentIndexList();
    std::vector<int> cars;
    cars.reserve(size_t(before.size()));
    for (const QModelIndex& index : before)
        cars.push_back(
            isBranch(index) || !index.isValid() ? -1 : mRows[branchOf(index)][size_t(index.row())]);
    mSortColumn = column;
    mSortOrder = order;
    Order();
    Choose();
    std::vector<int> rowOf[2];
    for (int b = 0; b < 2; ++b) {
        rowOf[b].assign(size_t(mCars[b].size()), -1);
        for (size_t row = 0; row < mRows[b].size(); ++row)
            rowOf[b][size_t(mRows[b][row])] = int(row);
    }
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const QModelIndex& index = before[i];
        after.append(cars[size_t(i)] < 0
                         ? index
                         : createIndex(rowOf[branchOf(index)][size_t(cars[size_t(i)])],
                                       index.column(), index.internalId()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CarTreeModel::Order()
{
    for (int b = 0; b < 2; ++b) {
        std::vector<int>& order = mOrder[b];
        order.resize(size_t(mCars[b].size()));
        std::iota(order.begin(), order.end(), 0);
        const bool down = mSortOrder == Qt::DescendingOrder;
        // The cars are held in name order, so a car's place there is its rank by name.
        const auto by = [&order, down](const auto& rank) {
            std::sort(order.begin(), order.end(), [&rank, down](int x, int y) {
                if (rank(x) != rank(y))
                    return down ? rank(y) < rank(x) : rank(x) < rank(y);
                return x < y;
            });
        };
        if (mSortColumn == AuthorColumn) {
            const std::vector<int>& ranks = AuthorRanks(b);
            by([&ranks](int car) { return ranks[size_t(car)]; });
        } else if (mSortColumn == InstalledColumn) {
            LookUpInstalled(b);
            const QList<Node>& cars = mCars[b];
            by([&cars](int car) { return cars[car].installed; });
        } else if (down) {
            std::reverse(order.begin(), order.end());
        }
    }
}

void CarTreeModel::Choose()
{
    for (int b = 0; b < 2; ++b) {
        if (mFilter.isEmpty()) {
            mRows[b] = mOrder[b];
            continue;
        }
        std::vector<QString>& folded = mFolded[b];
        if (folded.empty()) {
            folded.reserve(size_t(mCars[b].size()));
            for (const Node& node : mCars[b])
                folded.push_back(CarFilter::Fold(node.text + QLatin1Char('\n') + node.author));
        }
        mRows[b].clear();
        for (const int car : mOrder[b]) {
            if (mFilter.matches(folded[size_t(car)]))
                mRows[b].push_back(car);
        }
    }
}

const std::vector<int>& CarTreeModel::AuthorRanks(int branch)
{
    std::vector<int>& ranks = mAuthorRank[branch];
    if (ranks.empty() && !mCars[branch].isEmpty()) {
        QStringList authors;
        authors.reserve(mCars[branch].size());
        for (const Node& node : mCars[branch])
            authors.append(node.author);
        ranks = CarCollation::Ranks(authors);
    }
    return ranks;
}

void CarTreeModel::lookAheadInstalled()
{
    TakeLookAhead(true);
    std::array<QStringList, 2> keys;
    bool needed = false; // sorted by the day, every car's is known already
    for (int b = 0; b < 2; ++b) {
        for (const Node& node : mCars[b]) {
            keys[size_t(b)].append(node.key);
            needed = needed || node.installed < 0;
        }
    }
    if (!needed)
        return;
    try {
        mLookAhead = std::async(std::launch::async, [keys, folder = mCarsFolder] {
            const FileSystem::Folder cars(folder);
            return std::array<QList<qint64>, 2>{cars.ModifiedTimes(keys[0]),
                                                cars.ModifiedTimes(keys[1])};
        });
    } catch (const std::system_error&) {
        // Without a thread, each day is looked up when it is needed.
    }
}

void CarTreeModel::TakeLookAhead(bool wait) const
{
    if (!mLookAhead.valid() ||
        (!wait && mLookAhead.wait_for(std::chrono::seconds(0)) != std::future_status::ready))
        return;
    const std::array<QList<qint64>, 2> found = mLookAhead.get();
    // Found for these very cars: setCars forgets a look ahead begun for others.
    for (int b = 0; b < 2; ++b) {
        for (qsizetype i = 0; i < mCars[b].size(); ++i) {
            if (mCars[b][i].installed < 0)
                mCars[b][i].installed = found[size_t(b)][i];
        }
    }
}

void CarTreeModel::LookUpInstalled(int branch, int car) const
{
    TakeLookAhead(car < 0);
    QStringList keys;
    std::vector<int> cars;
    for (int i = car < 0 ? 0 : car; i < (car < 0 ? mCars[branch].size() : car + 1); ++i) {
        if (mCars[branch][i].installed < 0) {
            keys.append(mCars[branch][i].key);
            cars.push_back(i);
        }
    }
    if (cars.empty())
        return;
    const QList<qint64> times = FileSystem::Folder(mCarsFolder).ModifiedTimes(keys);
    for (size_t i = 0; i < cars.size(); ++i)
        mCars[branch][cars[i]].installed = times[qsizetype(i)];
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
    for (int b = 0; b < 2; ++b) {
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
    const int b = branchOf(index);
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
    return createIndex(branchOf(child), 0, kTopLevel);
}

int CarTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return 2;
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
        LookUpInstalled(branchOf(index), mRows[branchOf(index)][size_t(index.row())]);
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
        if (mWarnings.contains(car.key))
            return car.text + QLatin1Char('\n') + mWarnings.value(car.key);
        return car.text;
    case KeyRole:
        return car.key;
    case Qt::DecorationRole:
        return index.column() == NameColumn ? QVariant(mCarIcon) : QVariant();
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
