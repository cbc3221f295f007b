#include "ui/main/CarTreeView.h"

#include "ui/main/CarTreeModel.h"

#include <QHeaderView>
#include <QScrollBar>

CarTreeView::CarTreeView(CarTreeModel* model, QWidget* parent) : QTreeView(parent)
{
    setObjectName(QStringLiteral("tvwCars"));
    setModel(model);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    setIconSize(QSize(12, 12));
    setRootIsDecorated(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The pop-up menu acts on the selected node, which a right click must not change.
    setContextMenuPolicy(Qt::PreventContextMenu);
    header()->setStretchLastSection(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &CarTreeView::fitToShownNodes);
    connect(this, &QTreeView::expanded, this, &CarTreeView::fitToShownNodes);
}

void CarTreeView::select(const QModelIndex& node)
{
    setCurrentIndex(node);
    scrollTo(node);
}

void CarTreeView::fitToShownNodes()
{
    // Only the nodes in view are measured: measuring 30,000 texts would slow every refresh.
    const QRect area = viewport()->rect();
    int needed = area.width();
    for (QModelIndex node = indexAt(area.topLeft()); node.isValid(); node = indexBelow(node)) {
        const QRect place = visualRect(node);
        if (place.top() > area.bottom())
            break;
        needed = qMax(needed, place.left() + horizontalScrollBar()->value() +
                                  sizeHintForIndex(node).width());
    }
    if (needed > header()->sectionSize(0))
        header()->resizeSection(0, needed);
}
