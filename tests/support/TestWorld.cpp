#include "TestWorld.h"

#include "app/cSettings.h"
#include "app/modMain.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TestWorld::TestWorld(const QByteArray& torvaneIni)
{
    QDir(root()).mkpath(QStringLiteral("program"));
    QDir(root()).mkpath(QStringLiteral("game/cars"));
    if (!torvaneIni.isNull())
        write(QStringLiteral("program/torvane.ini"), torvaneIni);
    modMain::SetAppPath(programDir());
    modMain::gSettings() = cSettings();
    modMain::ReleaseCars();
}

TestWorld::~TestWorld()
{
    // QTemporaryDir cannot reach a name that is not UTF-8.
    for (const FileSystem::Entry& entry : FileSystem::List(root()).value_or(QList<FileSystem::Entry>{}))
        FileSystem::RemoveTree(root(), entry.name, nullptr);
    modMain::SetAppPath(QString());
    modMain::gSettings() = cSettings();
    modMain::ReleaseCars();
}

QByteArray TestWorld::defaultIni()
{
    return "[Directories]\r\nEXEPath=\r\n"
           "[Applications]\r\nImageEditor=\r\nTextEditor=\r\n"
           "[UserInfo]\r\nName=\r\n"
           "[Classify]\r\nrc=original\r\nbuggy=original\r\nmisc=omit\r\n"
           "[Names]\r\nrc=RC Sprinter\r\nbuggy=Dune Buggy\r\n";
}

void TestWorld::loadSettings()
{
    cSettings& settings = modMain::gSettings();
    settings.LoadSettings();
    settings.setDrovakDir(gameDir());
}

QString TestWorld::write(const QString& relativePath, const QByteArray& bytes)
{
    const QString path = mDir.filePath(relativePath);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}

QByteArray TestWorld::read(const QString& relativePath) const
{
    return ReadFile(mDir.filePath(relativePath));
}

QString TestWorld::makeCar(const QString& folder, const QByteArray& carinfo)
{
    const QString relative = QStringLiteral("game/cars/") + folder;
    write(relative + QStringLiteral("/car.bmp"), "BM");
    if (!carinfo.isEmpty())
        write(relative + QStringLiteral("/carinfo.ini"), carinfo);
    return carDir(folder);
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
