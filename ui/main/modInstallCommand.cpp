#include "ui/main/modInstallCommand.h"

#include "platform/FileOpenBox.h"
#include "platform/FileSystem.h"
#include "platform/MsgBox.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QProgressDialog>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <optional>

namespace modInstallCommand {

namespace {

// Below this the unpacking is over before a progress box could be read.
constexpr qint64 kProgressFrom = qint64(4) << 20;
constexpr qint64 kProgressAfterMs = 400;

QStringList LocalPaths(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    return paths;
}

class DropTarget : public QObject
{
public:
    DropTarget(QWidget* window, std::function<void(const QStringList&)> install)
        : QObject(window), mInstall(std::move(install))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* enter = static_cast<QDragMoveEvent*>(event);
            if (LocalPaths(enter->mimeData()).isEmpty())
                return false;
            enter->acceptProposedAction();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList paths = LocalPaths(drop->mimeData());
            if (paths.isEmpty())
                return false;
            drop->acceptProposedAction();
            // The drag source waits for the drop to end: the install runs after it.
            QMetaObject::invokeMethod(
                this, [this, paths] { mInstall(paths); }, Qt::QueuedConnection);
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(const QStringList&)> mInstall;
};

// The paths waiting for the boxes to close, a child of their window.
class Waiting : public QObject
{
public:
    explicit Waiting(QWidget* window) : QObject(window)
    {
        setObjectName(kName);
        mPoll.setInterval(100);
        connect(&mPoll, &QTimer::timeout, this, &Waiting::tryNow);
    }

    static inline const QString kName = QStringLiteral("waitingInstalls");

    void add(const QStringList& paths, std::function<void(const QStringList&)> install)
    {
        mPaths.append(paths);
        mInstall = std::move(install);
        mPoll.start();
    }

private:
    void tryNow()
    {
        // A box open (a question, a report, the file-open box, an install's progress) is the
        // player's to answer first: an install begun under it would ask and report over it, and
        // could change the cars the box is about.
        if (QApplication::activeModalWidget() || QApplication::activePopupWidget())
            return;
        mPoll.stop();
        mInstall(std::exchange(mPaths, {}));
    }

    QStringList mPaths;
    std::function<void(const QStringList&)> mInstall;
    QTimer mPoll;
};

} // namespace

QStringList PickArchive()
{
    const std::optional<QString> picked =
        FileOpenBox::Show(QString(), QStringLiteral("Install Car from Archive"), kFilter);
    return picked ? QStringList{*picked} : QStringList();
}

modInstallCar::Report Install(QWidget* window, const cCarsFolder& cars, const QStringList& paths)
{
    qint64 total = 0;
    for (const QString& path : paths) {
        if (const FileSystem::Status status = FileSystem::StatusOf(path); status.plainFile)
            total += status.size;
    }
    std::optional<QProgressDialog> progress;
    const auto showBox = [&] {
        if (progress)
            return;
        progress.emplace(QStringLiteral("Installing..."), QStringLiteral("Cancel"), 0, 1000,
                         window);
        progress->setObjectName(QStringLiteral("dlgInstallProgress"));
        progress->setWindowTitle(MsgBox::kProgramTitle);
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
        progress->show();
    };
    // A large archive shows the box at once; a dropped folder, whose size is known only once
    // it is read, and a wait for another install show it as soon as they last.
    if (total > kProgressFrom)
        showBox();
    QElapsedTimer started;
    started.start();
    // The box draws itself and takes a click on Cancel only while events are handled: a few
    // times a second is enough, and the checking of a large archive gets its turns too.
    QElapsedTimer sinceEvents;
    std::optional<modInstallCar::Stage> shown;
    return cars.Install(paths, [&](modInstallCar::Stage stage, qint64 done, qint64 size) {
        if (sinceEvents.isValid() && sinceEvents.elapsed() < 50 && stage == shown)
            return !progress || !progress->wasCanceled();
        sinceEvents.start();
        if (stage == modInstallCar::Stage::Waiting || size > kProgressFrom ||
            started.elapsed() > kProgressAfterMs)
            showBox();
        if (!progress) {
            // Nothing the player does reaches the window before the box is there.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            return true;
        }
        if (stage != shown)
            progress->setLabelText(stage == modInstallCar::Stage::Waiting
                                       ? QStringLiteral("Waiting for another install to "
                                                        "finish...")
                                       : QStringLiteral("Installing..."));
        shown = stage;
        if (stage == modInstallCar::Stage::Unpacking && size > 0)
            progress->setValue(int(qMin(done * 1000 / size, qint64(999))));
        QCoreApplication::processEvents();
        return !progress->wasCanceled();
    });
}

void Tell(const modInstallCar::Report& report)
{
    MsgBox::Show(report.text,
                 report.installed.isEmpty() ? MsgBox::Icon::Exclamation : MsgBox::Icon::Information,
                 QString());
}

void InstallInTurn(QWidget* window, const cCarsFolder& cars, const QStringList& paths,
                   const std::function<void(const modInstallCar::Report&)>& installed)
{
    static QStringList queue;
    static bool running = false;
    queue.append(paths);
    if (running)
        return;
    running = true;
    while (!queue.isEmpty()) {
        const modInstallCar::Report report = Install(window, cars, std::exchange(queue, {}));
        installed(report);
        Tell(report);
    }
    running = false;
}

void InstallWhenFree(QWidget* window, const QStringList& paths,
                     std::function<void(const QStringList&)> install)
{
    auto* waiting = dynamic_cast<Waiting*>(
        window->findChild<QObject*>(Waiting::kName, Qt::FindDirectChildrenOnly));
    if (!waiting)
        waiting = new Waiting(window);
    waiting->add(paths, std::move(install));
}

void AcceptDrops(QWidget* window, std::function<void(const QStringList&)> install)
{
    window->setAcceptDrops(true);
    window->installEventFilter(new DropTarget(window, std::move(install)));
}

} // namespace modInstallCommand
