#pragma once

#include <QTreeView>

class CarTreeModel;

// The tree of cars: one column as wide as the longest node text in view, so that a text too
// long for the tree can be scrolled to sideways, with the keyboard too.
class CarTreeView : public QTreeView
{
public:
    CarTreeView(CarTreeModel* model, QWidget* parent);

    // Selects the node, which shows it, and scrolls it into view.
    void select(const QModelIndex& node);
    // Widens the column to the longest node text in view.
    void fitToShownNodes();
};
