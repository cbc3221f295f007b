#include "ui/main/CarTreeView.h"

#include "ui/main/CarTreeModel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScrollBar>

CarTreeView::CarTreeView(CarTreeModel* model, QWidget* parent) : QTreeView(parent)
{
    setObjectName(QStringLiteral("tvwCars"));
    setModel(model);
    // The columns sort by a click on their header; the model keeps the order over a refresh.
    header()->setSortIndicator(CarTreeModel::NameColumn, Qt::AscendingOrder);
    setSortingEnabled(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    setIconSize(QSize(12, 12));
    setRootIsDecorated(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The pop-up menu acts on the selected node, which a right click must not change.
    setContextMenuPolicy(Qt::PreventContextMenu);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    const QFontMetrics metrics = fontMetrics();
    header()->resizeSection(CarTreeModel::AuthorColumn,
                            metrics.horizontalAdvance(QLatin1Char('x')) * 16);
    header()->resizeSection(CarTreeModel::InstalledColumn,
                            metrics.horizontalAdvance(QStringLiteral("0000-00-00")) +
                                metrics.horizontalAdvance(QLatin1Char('x')) * 3);
    // A reset forgets which nodes were open and which spanned the row: the branches always are.
    connect(model, &QAbstractItemModel::modelReset, this, [this, model] {
        for (int b = 0; b < model->rowCount(); ++b) {
            setFirstColumnSpanned(b, QModelIndex(), true);
            expand(model->branch(b));
        }
    });
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { fitToShownNodes(); });
    connect(this, &QTreeView::expanded, this, [this] { fitToShownNodes(); });
    // A click that changed the selection has shown the node already.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { mSelectedAtPress = QModelIndex(); });
    connect(this, &QTreeView::clicked, this, [this](const QModelIndex& node) {
        if (node.siblingAtColumn(0) == mSelectedAtPress)
            emit clickedAgain(node);
    });
}

void CarTreeView::keyPressEvent(QKeyEvent* event)
{
    const QKeyCombination key = event->keyCombination();
    if (key == QKeyCombination(Qt::Key_Menu) || key == (Qt::SHIFT | Qt::Key_F10))
        emit popUpRequested({});
    else if (key == QKeyCombination(Qt::Key_Delete))
        emit deleteRequested();
    else
        QTreeView::keyPressEvent(event);
}

void CarTreeView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton)
        return;
    mSelectedAtPress = selectedNode();
    QTreeView::mousePressEvent(event);
}

void CarTreeView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton)
        emit popUpRequested(event->globalPosition().toPoint());
    else
        QTreeView::mouseReleaseEvent(event);
}

void CarTreeView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton)
        QTreeView::mouseDoubleClickEvent(event);
}

QModelIndex CarTreeView::selectedNode() const
{
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? QModelIndex() : selected.first();
}

void CarTreeView::select(const QModelIndex& node)
{
    setCurrentIndex(node);
    scrollTo(node);
}

void CarTreeView::resizeEvent(QResizeEvent* event)
{
    QTreeView::resizeEvent(event);
    fitToShownNodes(true);
}

void CarTreeView::fitToShownNodes(bool anew)
{
    // Only the nodes in view are measured: measuring 30,000 texts would slow every refresh.
    // The other columns keep their width, and the first takes what room is left.
    const QRect area = viewport()->rect();
    int needed = area.width() - header()->sectionSize(CarTreeModel::AuthorColumn) -
                 header()->sectionSize(CarTreeModel::InstalledColumn);
    for (QModelIndex node = indexAt(area.topLeft()); node.isValid(); node = indexBelow(node)) {
        const QRect place = visualRect(node);
        if (place.top() > area.bottom())
            break;
        needed = qMax(needed, place.left() + horizontalScrollBar()->value() +
                                  sizeHintForIndex(node).width());
    }
    if (anew || needed > header()->sectionSize(0))
        header()->resizeSection(0, needed);
}
