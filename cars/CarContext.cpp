#include "cars/CarContext.h"

#include "app/cSettings.h"
#include "app/modMain.h"
#include "platform/FileNames.h"

CarContext CarContext::Now()
{
    CarContext context;
    context.carsFolder = modMain::CarsFolder();
    context.gameFolderFound = FileNames::EntryExists(modMain::gSettings().DrovakDir());
    // The car records open the tables by the program's own folder, as the settings do.
    context.tables = modQuarnIniAPI::Profile::Load(
        FileNames::Join(modMain::AppPath(), QStringLiteral("torvane.ini")));
    return context;
}
