#include "app/modErrorHandling.h"
#include "app/modMain.h"
#include "platform/MsgBox.h"
#include "platform/desktop/DesktopLauncher.h"
#include "platform/desktop/QtFileOpenBox.h"
#include "platform/desktop/QtMsgBoxPresenter.h"
#include "ui/main/frmMain.h"
#include "ui/options/frmOptions.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Torvane"));
    // The desktop matches the windows to the menu's entry, and so to its icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("torvane"));
    QtMsgBoxPresenter presenter;
    MsgBox::SetPresenter(&presenter);
    DesktopLauncher launcher;
    Launcher::SetBackend(&launcher);
    QtFileOpenBox fileOpenBox;
    FileOpenBox::SetPresenter(&fileOpenBox);

    modMain::StartupWindows windows;
    windows.showOptions = [] { frmOptions::ShowShared(); };
    windows.showMain = [] {
        auto* window = new frmMain(cCarsFolder(modMain::gSettings()));
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
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
