#include "ui/main/MainLayout.h"

#include "ui/Twips.h"
#include "ui/main/MainActions.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QScrollArea>

MainLayout* MainLayout::MakeCentral(QMainWindow* window)
{
    auto* scroll = new QScrollArea(window);
    scroll->setObjectName(QStringLiteral("scrClient"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* client = new MainLayout(scroll);
    // Never squeezed below the designed layout: a smaller window scrolls it.
    client->setMinimumSize(DesignSize());
    scroll->setWidget(client);
    window->setCentralWidget(scroll);
    // Fixed, and small enough for any screen. Left to the window's layout, the minimum would
    // follow the status line's count each time the list changes.
    window->setMinimumSize(DesignSize() / 2);
    return client;
}

QSize MainLayout::DesignSize()
{
    return {Twips(kClientWidth),
            Twips(kClientHeight) - Twips(MainActions::kToolbarHeight) - Twips(kStatusHeight)};
}

QSize MainLayout::DesignWindowSize(const QMainWindow* window)
{
    return {Twips(kClientWidth), Twips(kClientHeight) + window->menuBar()->sizeHint().height()};
}

MainLayout::MainLayout(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("client"));
}

void MainLayout::place(QWidget* control, const QRect& twips, Follow follow)
{
    // Each edge rounded as the designed layout rounds it, so that controls that touch there
    // still touch.
    const QRect design(Twips(twips.left()), Twips(twips.top()) - Twips(MainActions::kToolbarHeight),
                       Twips(twips.width()), Twips(twips.height()));
    mPlaced.append({control, design, follow});
    fit(control, design, follow);
}

void MainLayout::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    for (const Placed& placed : std::as_const(mPlaced)) {
        if (placed.control)
            fit(placed.control, placed.design, placed.follow);
    }
}

void MainLayout::fit(QWidget* control, const QRect& design, Follow follow) const
{
    // The area's minimum size is its design size: only a larger window gives room.
    const QSize room = (size() - DesignSize()).expandedTo(QSize(0, 0));
    switch (follow) {
    case Follow::RightEdge:
        control->setGeometry(design.translated(room.width(), 0));
        break;
    case Follow::Width:
        control->setGeometry(design.adjusted(0, 0, room.width(), 0));
        break;
    case Follow::Size:
        control->setGeometry(design.adjusted(0, 0, room.width(), room.height()));
        break;
    }
}
