#include "ui/main/CarTreeModel.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>

#include <algorithm>
#include <vector>

namespace {

const QString kBranchTexts[2] = {QStringLiteral("Standard Cars"), QStringLiteral("Custom Cars")};
const QString kBranchKeys[2] = {QStringLiteral("Standard"), QStringLiteral("Custom")};
constexpr quintptr kTopLevel = 0;

// The system's collation; a system without a language of its own (the C locale, as on build
// machines) compares code points and knows no numbers, so it gets English collation instead,
// and every machine orders alike.
QCollator MakeCollator()
{
    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

} // namespace

CarTreeModel::CarTreeModel(QObject* parent)
    : QAbstractItemModel(parent), mBranchIcon(QStringLiteral(":/tree/main.png")),
      mCarIcon(QStringLiteral(":/tree/car.png"))
{
}

void CarTreeModel::Sort(QList<Node>& nodes)
{
    // A sort key per node, made once: comparing keys is far cheaper than collating texts.
    const qsizetype n = nodes.size();
    if (n < 2)
        return;
    const QCollator collator = MakeCollator();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(n));
    for (const Node& node : nodes)
        keys.push_back(collator.sortKey(node.text));
    std::vector<qsizetype> order(static_cast<size_t>(n));
    for (qsizetype i = 0; i < n; ++i)
        order[size_t(i)] = i;
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int c = keys[size_t(a)].compare(keys[size_t(b)]);
        return c != 0 ? c < 0 : nodes[a].text < nodes[b].text;
    });
    keys.clear();
    keys.shrink_to_fit();

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
    beginResetModel();
    mCars[0] = std::move(standard);
    mCars[1] = std::move(custom);
    mWarnings = std::move(warnings);
    endResetModel();
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
        for (int row = 0; row < mCars[b].size(); ++row) {
            if (mCars[b][row].key == key)
                return createIndex(row, 0, quintptr(b + 1));
        }
    }
    return {};
}

QModelIndex CarTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0 || row >= rowCount(parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, 0, kTopLevel);
    return createIndex(row, 0, quintptr(parent.row() + 1));
}

QModelIndex CarTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == kTopLevel)
        return {};
    return createIndex(int(child.internalId() - 1), 0, kTopLevel);
}

int CarTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return 2;
    if (parent.internalId() == kTopLevel)
        return int(mCars[parent.row()].size());
    return 0;
}

int CarTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant CarTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const bool branch = index.internalId() == kTopLevel;
    const Node* node = branch ? nullptr : &mCars[index.internalId() - 1][index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return branch ? kBranchTexts[index.row()] : node->text;
    case Qt::ToolTipRole: // the tree is narrow: a long name is cut off, its tooltip is whole
        if (!branch && mWarnings.contains(node->key))
            return node->text + QLatin1Char('\n') + mWarnings.value(node->key);
        return data(index, Qt::DisplayRole);
    case KeyRole:
        return branch ? kBranchKeys[index.row()] : node->key;
    case Qt::DecorationRole:
        return branch ? mBranchIcon : mCarIcon;
    default:
        return {};
    }
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
