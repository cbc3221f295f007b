#include "ui/main/WindowPlace.h"

#include "app/modQuarnIniAPI.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <optional>

namespace {

const QString kSection = QStringLiteral("Window");

std::optional<int> Number(const modQuarnIniAPI::Profile& saved, const QString& key)
{
    bool ok = false;
    const int number = saved.value(kSection, key).trimmed().toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

// What the window's frame adds around its client area; nothing while the window system has not
// told it.
QMargins FrameOf(const QWidget* window)
{
    return window->windowHandle() ? window->windowHandle()->frameMargins() : QMargins();
}

// The room of the window's client area on the screen: the available area less the frame.
QRect Room(const QWidget* window, const QScreen* screen)
{
    return screen->availableGeometry().marginsRemoved(FrameOf(window));
}

// The design size within the room. A window cut short scrolls its contents, and is made
// wider by the scroll bar where there is room, so that it need not scroll sideways as well.
QSize DesignWithin(const QWidget* window, QSize design, const QScreen* screen)
{
    const QSize room = Room(window, screen).size();
    const int scrollBar = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, window);
    QSize size = design.boundedTo(room);
    if (size.height() < design.height())
        size.setWidth(std::min(design.width() + scrollBar, room.width()));
    return size;
}

// Fits the window once more when it is first painted, framed by then. On X11 the window manager
// tells the frame only once it maps the window: a window fitted to the whole available area
// before would stick out by its title bar.
class FitFramed : public QObject
{
public:
    // design: the window's design size, where it was given no saved place.
    FitFramed(QWidget* window, std::optional<QSize> design)
        : QObject(window), mWindow(window), mDesign(design), mGiven(window->size())
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == mWindow && event->type() == QEvent::Paint) {
            mWindow->removeEventFilter(this);
            // Not while it paints: a resize there would paint it again from inside the paint.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    fit();
                    deleteLater();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    void fit() const
    {
        if (mWindow->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
            return;
        // Unless the window has been sized otherwise since.
        if (mDesign && mWindow->size() == mGiven)
            mWindow->resize(DesignWithin(mWindow, *mDesign, mWindow->screen()));
        const QMargins frame = FrameOf(mWindow);
        const QRect framed = mWindow->geometry().marginsAdded(frame);
        const QRect available = mWindow->screen()->availableGeometry();
        if (!available.contains(framed))
            mWindow->setGeometry(WindowPlace::Fit(framed, available).marginsRemoved(frame));
    }

    QWidget* mWindow;
    std::optional<QSize> mDesign;
    QSize mGiven;
};

} // namespace

namespace WindowPlace {

QRect Fit(QRect saved, QRect available)
{
    saved.setSize(saved.size().boundedTo(available.size()));
    saved.moveLeft(
        std::clamp(saved.left(), available.left(), available.right() - saved.width() + 1));
    saved.moveTop(
        std::clamp(saved.top(), available.top(), available.bottom() - saved.height() + 1));
    return saved;
}

void Restore(QWidget* window, QSize design, const QString& file)
{
    const modQuarnIniAPI::Profile saved = modQuarnIniAPI::Profile::Load(file);
    const auto left = Number(saved, QStringLiteral("Left"));
    const auto top = Number(saved, QStringLiteral("Top"));
    const auto width = Number(saved, QStringLiteral("Width"));
    const auto height = Number(saved, QStringLiteral("Height"));
    const bool placed = left && top && width && height && *width > 0 && *height > 0;
    if (placed) {
        const QRect place(*left, *top, *width, *height);
        // On the screen it was left on, while that screen is there.
        const QScreen* screen = QGuiApplication::screenAt(place.center());
        window->setGeometry(Fit(place, Room(window, screen ? screen : window->screen())));
    } else {
        // The window system places it, as it places any new window.
        window->resize(DesignWithin(window, design, window->screen()));
    }
    if (saved.value(kSection, QStringLiteral("Maximized")).trimmed() == QLatin1String("1"))
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
    new FitFramed(window, placed ? std::nullopt : std::optional<QSize>(design));
}

Result Save(const QWidget* window, const QString& file)
{
    const QRect normal = window->normalGeometry();
    const auto entry = [](const char* key, int value) {
        return modQuarnIniAPI::ProfileEntry{kSection, QLatin1String(key),
                                            QByteArray::number(value)};
    };
    return modQuarnIniAPI::WriteProfileEntries(
        {entry("Left", normal.left()), entry("Top", normal.top()), entry("Width", normal.width()),
         entry("Height", normal.height()), entry("Maximized", window->isMaximized() ? 1 : 0)},
        file);
}

} // namespace WindowPlace
