#pragma once

#include <QPersistentModelIndex>
#include <QTreeView>

class CarTreeModel;

// The tree of cars: the node texts in a first column as wide as the longest in view, so that
// a text too long for the tree can be scrolled to sideways, with the keyboard too; then each
// car's author and the day it came. Its pop-up menu and its Delete key act on the selected node.
class CarTreeView : public QTreeView
{
    Q_OBJECT

public:
    CarTreeView(CarTreeModel* model, QWidget* parent);

    // The selected node, or an invalid index when none is.
    QModelIndex selectedNode() const;
    // Selects the node, which shows it, and scrolls it into view.
    void select(const QModelIndex& node);
    // Widens the first column to the longest node text in view, or to the room the others
    // leave; anew, narrows it too.
    void fitToShownNodes(bool anew = false);

signals:
    // At the place of a right click; from the keyboard (the menu key, Shift+F10) at no place.
    void popUpRequested(const QPoint& globalPosition);
    void deleteRequested();
    // A click on the node that was selected already, which shows it again.
    void clickedAgain(const QModelIndex& node);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPersistentModelIndex mSelectedAtPress; // while the selection stays as it was at the press
};
