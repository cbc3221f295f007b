#include "ui/main/modInstallCommand.h"

#include "app/cSettings.h"
#include "app/modMain.h"
#include "platform/FileNames.h"
#include "platform/FileOpenBox.h"
#include "platform/FileSystem.h"
#include "platform/MsgBox.h"
#include "ui/main/ProgressBox.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <optional>

namespace modInstallCommand {

namespace {

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

// Where an archive that brought a car lies, kept for the next archive box.
void RememberFolder(const QStringList& paths)
{
    for (auto path = paths.crbegin(); path != paths.crend(); ++path) {
        if (!FileSystem::StatusOf(*path).plainFile)
            continue;
        cSettings& settings = modMain::gSettings();
        const QString folder = FileNames::FolderOf(*path);
        if (folder == settings.InstallFolder())
            return;
        settings.setInstallFolder(folder);
        // Only a convenience: a program folder the player cannot write to costs them the
        // folder, and a message after every install would cost them more.
        (void)settings.SaveInstallFolder();
        return;
    }
}

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

QString StartFolder()
{
    for (const QString& folder :
         {modMain::gSettings().InstallFolder(), FileSystem::DownloadsFolder()}) {
        if (!folder.isEmpty() && FileSystem::StatusOf(folder).folder)
            return folder;
    }
    return FileSystem::HomeFolder();
}

QStringList PickArchive()
{
    const std::optional<QString> picked =
        FileOpenBox::Show(StartFolder(), QStringLiteral("Install Car from Archive"), kFilter);
    return picked ? QStringList{*picked} : QStringList();
}

modInstallCar::Report Install(QWidget* window, const cCarsFolder& cars, const QStringList& paths)
{
    qint64 total = 0;
    for (const QString& path : paths) {
        if (const FileSystem::Status status = FileSystem::StatusOf(path); status.plainFile)
            total += status.size;
    }
    const QString installing = QStringLiteral("Installing...");
    ProgressBox box(window, installing);
    // A large archive shows the box at once; a dropped folder, whose size is known only once
    // it is read, and a wait for another install show it as soon as they last.
    if (total > ProgressBox::kLarge)
        box.show();
    return cars.Install(paths, [&](modInstallCar::Stage stage, qint64 done, qint64 size) {
        if (stage == modInstallCar::Stage::Waiting)
            return box.tell(QStringLiteral("Waiting for another install to finish..."), size, -1,
                            true);
        const bool unpacking = stage == modInstallCar::Stage::Unpacking && size > 0;
        return box.tell(installing, size, unpacking ? int(done * 1000 / size) : -1);
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
        const QStringList batch = std::exchange(queue, {});
        const modInstallCar::Report report = Install(window, cars, batch);
        if (!report.installed.isEmpty())
            RememberFolder(batch);
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
