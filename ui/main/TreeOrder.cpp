#include "ui/main/TreeOrder.h"

#include "app/modQuarnIniAPI.h"

#include <QHeaderView>
#include <QTreeView>

namespace TreeOrder {

namespace {

const QString kSection = QStringLiteral("Window");
const QString kColumnKey = QStringLiteral("SortColumn");
const QString kOrderKey = QStringLiteral("SortOrder");
const QString kOrders[] = {QStringLiteral("Ascending"), QStringLiteral("Descending")};

// A column is kept by its header's text, which reads plainly in the file.
QString ColumnName(const QTreeView* tree, int column)
{
    return tree->model()->headerData(column, Qt::Horizontal).toString();
}

} // namespace

void Restore(QTreeView* tree, const QString& file)
{
    const modQuarnIniAPI::Profile saved = modQuarnIniAPI::Profile::Load(file);
    const QString column = saved.value(kSection, kColumnKey).trimmed();
    int sorted = 0;
    for (int c = 0; c < tree->model()->columnCount(); ++c) {
        if (column.compare(ColumnName(tree, c), Qt::CaseInsensitive) == 0)
            sorted = c;
    }
    const bool down =
        saved.value(kSection, kOrderKey).trimmed().compare(kOrders[1], Qt::CaseInsensitive) == 0;
    tree->sortByColumn(sorted, down ? Qt::DescendingOrder : Qt::AscendingOrder);
}

Result Save(const QTreeView* tree, const QString& file)
{
    const QHeaderView* header = tree->header();
    return modQuarnIniAPI::WriteProfileEntries(
        {{kSection, kColumnKey, ColumnName(tree, header->sortIndicatorSection()).toUtf8()},
         {kSection, kOrderKey, kOrders[header->sortIndicatorOrder()].toUtf8()}},
        file);
}

} // namespace TreeOrder
