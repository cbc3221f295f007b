#include "ui/main/CarTreeModel.h"

#include "platform/FileSystem.h"
#include "ui/main/CarCollation.h"

#include <algorithm>
#include <numeric>
#include <system_error>

// Which cars the tree lists, and in what order: the sort by a column, the filter, and the
// days the cars came that the sort by day needs.

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

void CarTreeModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    Relist([&] {
        mSortColumn = column;
        mSortOrder = order;
        Order();
        Choose();
    });
}

void CarTreeModel::Relist(const std::function<void()>& change)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // The selection and the current node stay on their cars, wherever those move.
    const QModelIndexList before = persistentIndexList();
    std::vector<int> cars;
    cars.reserve(size_t(before.size()));
    for (const QModelIndex& index : before)
        cars.push_back(
            isBranch(index) || !index.isValid() ? -1 : mRows[BranchOf(index)][size_t(index.row())]);
    change();
    std::vector<int> rowOf[kBranches];
    for (int b = 0; b < kBranches; ++b) {
        rowOf[b].assign(size_t(mCars[b].size()), -1);
        for (size_t row = 0; row < mRows[b].size(); ++row)
            rowOf[b][size_t(mRows[b][row])] = int(row);
    }
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const QModelIndex& index = before[i];
        const int row = cars[size_t(i)] < 0 ? -1 : rowOf[BranchOf(index)][size_t(cars[size_t(i)])];
        // A car no longer listed leaves no index behind.
        after.append(cars[size_t(i)] < 0 ? index
                     : row < 0           ? QModelIndex()
                                         : createIndex(row, index.column(), index.internalId()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CarTreeModel::Order()
{
    for (int b = 0; b < kBranches; ++b) {
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
    for (int b = 0; b < kBranches; ++b) {
        if (mFilter.isEmpty() && !mProblemsOnly) {
            mRows[b] = mOrder[b];
            continue;
        }
        std::vector<QString>& folded = mFolded[b];
        if (folded.empty() && !mFilter.isEmpty()) {
            folded.reserve(size_t(mCars[b].size()));
            for (const Node& node : mCars[b])
                folded.push_back(CarFilter::Fold(node.text + QLatin1Char('\n') + node.author));
        }
        mRows[b].clear();
        for (const int car : mOrder[b]) {
            if ((!mProblemsOnly || mMarks.has(mCars[b][car].key)) &&
                (mFilter.isEmpty() || mFilter.matches(folded[size_t(car)])))
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
    std::array<QStringList, kBranches> names;
    bool needed = false; // sorted by the day, every car's is known already
    for (int b = 0; b < kBranches; ++b) {
        for (const Node& node : mCars[b]) {
            names[size_t(b)].append(FolderName(node.key));
            needed = needed || node.installed < 0;
        }
    }
    if (!needed)
        return;
    try {
        mLookAhead = std::async(std::launch::async, [names, folders = mFolders] {
            const FileSystem::Folder cars(folders[0]);
            return Times{cars.ModifiedTimes(names[0]), cars.ModifiedTimes(names[1]),
                         names[2].isEmpty()
                             ? QList<qint64>()
                             : FileSystem::Folder(folders[2]).ModifiedTimes(names[2])};
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
    const Times found = mLookAhead.get();
    // Found for these very cars: setCars forgets a look ahead begun for others.
    for (int b = 0; b < kBranches; ++b) {
        for (qsizetype i = 0; i < mCars[b].size(); ++i) {
            if (mCars[b][i].installed < 0)
                mCars[b][i].installed = found[size_t(b)][i];
        }
    }
}

void CarTreeModel::LookUpInstalled(int branch, int car) const
{
    TakeLookAhead(car < 0);
    QStringList names;
    std::vector<int> cars;
    for (int i = car < 0 ? 0 : car; i < (car < 0 ? mCars[branch].size() : car + 1); ++i) {
        if (mCars[branch][i].installed < 0) {
            names.append(FolderName(mCars[branch][i].key));
            cars.push_back(i);
        }
    }
    if (cars.empty())
        return;
    const QList<qint64> times = FileSystem::Folder(mFolders[branch]).ModifiedTimes(names);
    for (size_t i = 0; i < cars.size(); ++i)
        mCars[branch][cars[i]].installed = times[qsizetype(i)];
}
