#pragma once

#include <QList>
#include <QPointer>
#include <QRect>
#include <QWidget>

class QMainWindow;

// The main window's client area, between the toolbar and the status line. Its controls stand
// where they were placed while the window has its design size; the room a larger window
// gives goes to the controls that grow with it, and a smaller window scrolls the area instead
// of squeezing it, so that every control stays reachable.
class MainLayout : public QWidget
{
    Q_OBJECT

public:
    // The client area, in twips, with the toolbar heading it and the status line ending it.
    static constexpr int kClientWidth = 8055;
    static constexpr int kClientHeight = 8295;
    static constexpr int kStatusHeight = 345;

    // How a control takes the room beyond the design size.
    enum class Follow {
        RightEdge, // keeps its size and its distance from the right edge
        Width,     // widens, keeping its height
        Size,      // widens and lengthens
    };

    // A new client area, made the window's central widget inside a scroll area.
    static MainLayout* MakeCentral(QMainWindow* window);
    // The area's size at the window's design size, in pixels.
    static QSize DesignSize();
    // The window's design size: the client area under the window's menu bar.
    static QSize DesignWindowSize(const QMainWindow* window);

    // Places the control, a child of this area, at the window's design size: in twips from
    // the top of the client area, which the toolbar heads.
    void place(QWidget* control, const QRect& twips, Follow follow);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    explicit MainLayout(QWidget* parent);
    void fit(QWidget* control, const QRect& design, Follow follow) const;

    struct Placed
    {
        QPointer<QWidget> control;
        QRect design; // in pixels, in this area
        Follow follow;
    };
    QList<Placed> mPlaced;
};
