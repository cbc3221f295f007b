#include "app/modMain.h"

#include "app/cSettings.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"
#include "platform/FileNames.h"
#include "platform/MsgBox.h"

#include <QCoreApplication>

namespace modMain {

namespace {
QString gAppPathOverride;
std::unique_ptr<cCarCollection> gCarsHolder;
} // namespace

std::unique_ptr<cDirList> gCarDirs;

QString AppPath()
{
    return gAppPathOverride.isEmpty() ? QCoreApplication::applicationDirPath() : gAppPathOverride;
}

void SetAppPath(const QString& folder)
{
    gAppPathOverride = folder;
}

cSettings& gSettings()
{
    static cSettings settings;
    return settings;
}

cCarCollection& gCars()
{
    if (!gCarsHolder)
        gCarsHolder = std::make_unique<cCarCollection>();
    return *gCarsHolder;
}

void ReleaseCars()
{
    gCarsHolder.reset();
}

QString ReplaceAll(QString& text, const QString& find, const QString& replacement)
{
    if (find.isEmpty())
        return text;
    qsizetype p = text.indexOf(find);
    while (p >= 0) {
        text.replace(p, find.size(), replacement);
        p = text.indexOf(find, p + replacement.size());
    }
    return text;
}

Run Main(const StartupWindows& windows)
{
    cSettings& settings = gSettings();
    settings.LoadSettings();

    if (!FileNames::IsPlainFile(settings.INIPath())) {
        MsgBox::Show(
            QStringLiteral("Could not find the TORVANE.INI file! Please make sure that this") +
                QStringLiteral(" file is located in the same directory as the application!"),
            MsgBox::Icon::Exclamation, QStringLiteral("Program Aborted"));
        return Run::Aborted;
    }

    if (settings.DrovakDir().isEmpty()) {
        MsgBox::Show(
            QStringLiteral("The Drovak program directory has not been specified. Select one now") +
                QStringLiteral(
                    " from the Options dialog box. You may also want to enter your name in") +
                QStringLiteral(" the Author box to personalize your custom cars.") +
                QStringLiteral("\r\n\r\nRestart Torvane when you are finished."),
            MsgBox::Icon::Information, QStringLiteral("Welcome to Zelmor Torvane!"));
        windows.showOptions();
        return Run::FirstRun;
    }

    windows.showMain();
    return Run::Normal;
}

} // namespace modMain
