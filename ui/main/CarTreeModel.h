#pragma once

#include "ui/main/CarFilter.h"
#include "ui/main/CarMarks.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QString>

#include <array>
#include <functional>
#include <future>
#include <vector>

// The car tree: the branches of standard and custom cars, and of disabled cars when there are
// any, and under each one row per listed car that the filter lets through, in the order of the
// sorted column; a car the game cannot use carries a mark. A node is a few texts, so a list of
// 30,000 cars costs what it shows rather than an item object each.
class CarTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    // The node's key: "Standard", "Custom" or "Disabled" for a branch, the car's folder name
    // for a car, and DisabledKey of it for a disabled car.
    static constexpr int KeyRole = Qt::UserRole;
    enum Column { NameColumn, AuthorColumn, InstalledColumn, ColumnCount };
    enum Branch { Standard, Custom, Disabled };
    static QString DisabledKey(const QString& folderName);
    // The folder name of a car's key.
    static QString FolderName(const QString& key);

    struct Node
    {
        QString text; // as shown
        QString key;
        QString author;
        // When the car's folder last changed, in seconds since 1970; 0 when it cannot be told,
        // -1 until it is first needed: looking costs a scan of 30,000 cars a tenth more.
        mutable qint64 installed = -1;
    };

    explicit CarTreeModel(QObject* parent = nullptr);

    // Replaces the cars of the branches, and the scan's warnings, by key, of the few cars the
    // game cannot open. The filter, the sort and the problems found stay.
    void setCars(QList<Node> standard, QList<Node> custom, QList<Node> disabled = {},
                 QHash<QString, QString> warnings = {});
    // Where the cars' folders are, for the day each came.
    void setCarsFolder(const QString& folder, const QString& disabledFolder = {})
    {
        mFolders = {folder, folder, disabledFolder};
    }
    // Problems the checks found, and once every car is checked, the cars that have any.
    void addProblems(const QHash<QString, QStringList>& found);
    void keepProblemsOf(const QSet<QString>& found);
    const CarMarks& marks() const { return mMarks; }
    // Lists only the cars with a mark, the filter still applying.
    void setProblemsOnly(bool only);
    // Starts looking up the day each car came on another thread, so that the first sort by it
    // finds them looked up, or nearly.
    void lookAheadInstalled();
    // Lists only the cars whose text or author holds every word typed.
    void setFilter(const QString& typed);
    const CarFilter& filter() const { return mFilter; }
    int branchCount() const;
    // The cars of the cars folder listed, and all those there are.
    qsizetype shownCount() const;
    qsizetype carCount(int branch) const { return mCars[branch].size(); }
    // For the status line: the cars there are, or while a filter is set, how many it lists.
    QString countText() const;

    bool isBranch(const QModelIndex& index) const;
    QString key(const QModelIndex& index) const;
    QModelIndex branch(int row) const { return index(row, 0); }
    // The listed car node of that key, or an invalid index.
    QModelIndex car(const QString& key) const;
    // The key of the car listed after that one, or at the end of its branch, before it; empty
    // when it is the only one.
    QString neighbourKey(const QString& key) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Orders the cars of each branch by the column; ties, and the name column itself, in the
    // order a file manager gives names: letter case and accents ignored, digits by value.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Sorts nodes in place by their text, in the order above, ties by the exact text.
    static void Sort(QList<Node>& nodes);

private:
    // A car node's branch: its internal id less one.
    static int BranchOf(const QModelIndex& car) { return int(car.internalId() - 1); }
    const Node& node(const QModelIndex& index) const;
    // Each branch's cars in the sorted column's order, then the filter's choice of them.
    void Order();
    void Choose();
    // Lists the cars anew after change, each selected or current car keeping its index.
    void Relist(const std::function<void()>& change);
    void MarksChanged();
    // Ranks, by branch, of the authors in collation order: the same rank for authors
    // collation does not tell apart. Made when first sorted by, for the cars of the moment.
    const std::vector<int>& AuthorRanks(int branch);
    // Looks up the day each car of the branch came, or only the car at that place, where it is
    // not known yet.
    void LookUpInstalled(int branch, int car = -1) const;
    // Takes in what the look ahead found, waiting for it when wait is set, or else if it is
    // still at work, leaving it.
    void TakeLookAhead(bool wait) const;

    static constexpr int kBranches = 3;
    using Times = std::array<QList<qint64>, kBranches>;
    QList<Node> mCars[kBranches]; // by name
    std::vector<int> mOrder[kBranches];
    std::vector<int> mRows[kBranches]; // the listed cars, in order
    std::vector<int> mAuthorRank[kBranches];
    std::vector<QString> mFolded[kBranches]; // what the filter reads, made on its first use
    CarMarks mMarks;
    std::array<QString, kBranches> mFolders;
    mutable std::future<Times> mLookAhead;
    CarFilter mFilter;
    bool mProblemsOnly = false;
    int mSortColumn = NameColumn;
    Qt::SortOrder mSortOrder = Qt::AscendingOrder;
    QIcon mBranchIcon;
    QIcon mCarIcon;
    QIcon mProblemIcon;
};
