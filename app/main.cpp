#include "app/modCommandLine.h"
#include "app/modErrorHandling.h"
#include "app/modMain.h"
#include "platform/FileSystem.h"
#include "platform/MsgBox.h"
#include "platform/desktop/DesktopLauncher.h"
#include "platform/desktop/QtFileOpenBox.h"
#include "platform/desktop/QtMsgBoxPresenter.h"
#include "platform/desktop/RunningInstance.h"
#include "ui/main/frmMain.h"
#include "ui/options/frmOptions.h"

#include <QApplication>
#include <QTimer>

namespace {

// Files given on the first run, before there is a cars folder to install them into.
void TellNotInstalled(const QStringList& paths)
{
    QStringList names;
    for (const QString& path : paths)
        names.append(FileSystem::ForMessage(path));
    MsgBox::Show(QStringLiteral("These files were not installed, as the Drovak program directory "
                                "has not been chosen yet:\n\n%1\n\nSelect it in the Options "
                                "dialog box and restart Torvane, then open the files again.")
                     .arg(names.join(QLatin1Char('\n'))),
                 MsgBox::Icon::Exclamation, MsgBox::kProgramTitle);
}

} // namespace

int main(int argc, char* argv[])
{
    // Answered before Qt starts, so that they need no display.
    const QList<QByteArray> given = modCommandLine::Arguments(argc, argv);
    if (const modCommandLine::Parsed asked = modCommandLine::Parse(given);
        asked.request == modCommandLine::Request::Help ||
        asked.request == modCommandLine::Request::Version ||
        asked.request == modCommandLine::Request::UnknownOption)
        return modCommandLine::Answer(asked);
    int qtArgc = modCommandLine::ForQt(given);
    QApplication app(qtArgc, argv);
    const modCommandLine::Parsed command =
        modCommandLine::Parse(modCommandLine::LeftByQt(qtArgc, argv, given));
    if (command.request != modCommandLine::Request::Run)
        return modCommandLine::Answer(command);
    QApplication::setApplicationName(QStringLiteral("Torvane"));
    // The desktop matches the windows to the menu's entry, and so to its icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("torvane"));

    RunningInstance instance(modMain::AppPath());
    if (instance.handOver(command.files) == RunningInstance::Start::HandedOver)
        return 0;

    QtMsgBoxPresenter presenter;
    MsgBox::SetPresenter(&presenter);
    DesktopLauncher launcher;
    Launcher::SetBackend(&launcher);
    QtFileOpenBox fileOpenBox;
    FileOpenBox::SetPresenter(&fileOpenBox);

    // Once the window this run calls for is there, a later start hands its files to it; when
    // it is gone, the next start is the one that serves.
    const auto serve = [&instance](QWidget* window,
                                   const std::function<void(const QStringList&)>& take) {
        if (!instance.listen())
            return;
        QObject::connect(&instance, &RunningInstance::received, window, take);
        QObject::connect(window, &QObject::destroyed, &instance, &RunningInstance::close);
    };
    modMain::StartupWindows windows;
    windows.showOptions = [&] {
        frmOptions* options = frmOptions::ShowShared();
        const auto notYet = [options](const QStringList& paths) {
            options->raise();
            options->activateWindow();
            if (!paths.isEmpty())
                QTimer::singleShot(0, options, [paths] { TellNotInstalled(paths); });
        };
        serve(options, notYet);
        if (!command.files.isEmpty())
            notYet(command.files);
    };
    windows.showMain = [&] {
        auto* window = new frmMain(cCarsFolder(modMain::gSettings()));
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
        serve(window, [window](const QStringList& paths) { window->InstallFromOutside(paths); });
        if (!command.files.isEmpty())
            window->InstallFromOutside(command.files);
    };

    try {
        if (modMain::Main(windows) == modMain::Run::Aborted)
            return 0;
    } catch (const modErrorHandling::AppError& error) {
        MsgBox::Show(error.report(), MsgBox::Icon::Critical);
        return 1;
    }
    return QApplication::exec();
}
