#include "TestWorld.h"

#include "app/cSettings.h"
#include "app/modErrorHandling.h"
#include "app/modMain.h"
#include "cars/cCar.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"

#include <sys/stat.h>

TestWorld::TestWorld(const QByteArray& torvaneIni)
{
    write("game/cars/", {});
    qputenv("XDG_DATA_HOME", FileSystem::Encode(root() + QStringLiteral("/data")));
    write(torvaneIni.isNull() ? "program/" : "program/torvane.ini", torvaneIni);
    modMain::SetAppPath(programDir());
    modMain::gSettings() = cSettings();
    modMain::ReleaseCars();
}

TestWorld::~TestWorld()
{
    // QTemporaryDir cannot reach a name that is not UTF-8.
    for (const FileNames::Entry& entry : FileSystem::List(root()).value)
        FileSystem::RemoveTree(root(), entry.name);
    modMain::SetAppPath(QString());
    modMain::gSettings() = cSettings();
    modMain::ReleaseCars();
}

void TestWorld::loadSettings()
{
    modMain::gSettings().LoadSettings();
    modMain::gSettings().setDrovakDir(gameDir());
}

QString TestWorld::write(const QString& relativePath, const QByteArray& bytes, int permissions)
{
    // The system's own calls, so that a name need not be UTF-8.
    const QString path = root() + QLatin1Char('/') + relativePath;
    for (qsizetype slash = root().size(); (slash = path.indexOf(QLatin1Char('/'), slash + 1)) > 0;)
        FileSystem::CreateFolder(path.left(slash));
    if (path.endsWith(QLatin1Char('|'))) {
        ::mkfifo(FileSystem::Encode(path.chopped(1)).constData(), 0644);
        return path.chopped(1);
    }
    if (!path.endsWith(QLatin1Char('/')))
        FileSystem::ReplaceFile(path, bytes, FileSystem::Replace::Forced, permissions);
    return path;
}

QString TestWorld::makeCar(const QString& folder, const QByteArray& carinfo)
{
    write(QStringLiteral("game/cars/") + folder + QStringLiteral("/car.bmp"), "BM");
    write(QStringLiteral("game/cars/") + folder + QStringLiteral("/parameters.txt"),
          "Name\t\t\"Car\"\r\n");
    if (!carinfo.isEmpty())
        write(QStringLiteral("game/cars/") + folder + QStringLiteral("/carinfo.ini"), carinfo);
    return carDir(folder);
}

QByteArray ReadFile(const QString& path)
{
    return FileSystem::ReadPlainFile(path).value_or(QByteArray());
}

QString Raised(const std::function<void()>& run)
{
    try {
        run();
    } catch (const modErrorHandling::AppError& error) {
        return error.report();
    }
    return {};
}

std::shared_ptr<cCar> Car(const QString& folder, bool load)
{
    auto car = std::make_shared<cCar>();
    car->setDirectoryName(folder);
    if (load)
        car->LoadSettings();
    return car;
}
