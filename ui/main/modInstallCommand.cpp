#include "ui/main/modInstallCommand.h"

#include "cars/CarContext.h"
#include "cars/modInstallCar.h"
#include "platform/FileOpenBox.h"
#include "platform/FileSystem.h"
#include "platform/MsgBox.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QProgressDialog>
#include <QUrl>
#include <QWidget>

#include <optional>

namespace modInstallCommand {

namespace {

// Below this the unpacking is over before a progress box could be read.
constexpr qint64 kProgressFrom = qint64(4) << 20;

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

} // namespace

QStringList PickArchive()
{
    const std::optional<QString> picked =
        FileOpenBox::Show(QString(), QStringLiteral("Install Car from Archive"), kFilter);
    return picked ? QStringList{*picked} : QStringList();
}

modInstallCar::Report Install(QWidget* window, const QStringList& paths)
{
    qint64 total = 0;
    for (const QString& path : paths)
        total += qMax<qint64>(0, FileSystem::StatusOf(path).size);
    std::optional<QProgressDialog> progress;
    if (total > kProgressFrom) {
        progress.emplace(QStringLiteral("Installing..."), QStringLiteral("Cancel"), 0, 1000,
                         window);
        progress->setObjectName(QStringLiteral("dlgInstallProgress"));
        progress->setWindowTitle(MsgBox::kProgramTitle);
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
        progress->show();
    }
    // The box draws itself and takes a click on Cancel only while events are handled: a few
    // times a second is enough, and the checking of a large archive gets its turns too.
    QElapsedTimer sinceEvents;
    return modInstallCar::Install(paths, CarContext::Now(), [&](qint64 done, qint64 size) {
        if (!progress || (sinceEvents.isValid() && sinceEvents.elapsed() < 50))
            return !progress || !progress->wasCanceled();
        sinceEvents.start();
        if (size > 0)
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

void AcceptDrops(QWidget* window, std::function<void(const QStringList&)> install)
{
    window->setAcceptDrops(true);
    window->installEventFilter(new DropTarget(window, std::move(install)));
}

} // namespace modInstallCommand
