#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QString>

// The car tree: the two branches and, under each, one node per listed car. A node is two
// texts, so a list of 30,000 cars costs what it shows rather than an item object each.
class CarTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    // The node's key: "Standard" or "Custom" for a branch, the car's folder name for a car.
    static constexpr int KeyRole = Qt::UserRole;

    struct Node
    {
        QString text; // as shown
        QString key;
    };

    explicit CarTreeModel(QObject* parent = nullptr);

    // Replaces the cars of both branches, and the warnings, by key, of the few cars whose
    // tooltip has one below the text. Each branch is sorted as a file manager sorts names:
    // letter case and accents ignored, digits by their value, ties by the exact text.
    void setCars(QList<Node> standard, QList<Node> custom, QHash<QString, QString> warnings = {});

    bool isBranch(const QModelIndex& index) const;
    QString key(const QModelIndex& index) const;
    QModelIndex branch(int row) const { return index(row, 0); }
    // The car node of that key, or an invalid index.
    QModelIndex car(const QString& key) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Sorts nodes in place by the order above.
    static void Sort(QList<Node>& nodes);

private:
    QList<Node> mCars[2];
    QHash<QString, QString> mWarnings;
    QIcon mBranchIcon;
    QIcon mCarIcon;
};
