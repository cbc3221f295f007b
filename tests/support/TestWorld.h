#pragma once

#include "app/modMain.h"
#include "cars/cCarsFolder.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

class cCar;

// The file's bytes; empty when it cannot be read.
QByteArray ReadFile(const QString& path);
// The report of the application error that run raises; empty when it raises none.
QString Raised(const std::function<void()>& run);
// A record of the car folder, loaded unless load is false.
std::shared_ptr<cCar> Car(const QString& folder, bool load = true);
// Adds a column of test data for each type, named in the same order.
template <typename... Types, typename... Names> void Columns(Names... names)
{
    (QTest::addColumn<Types>(names), ...);
}

// A program folder and a game folder in a fresh temporary folder, for one test. Creating it
// points the program at its program folder and resets the settings and the car list; the
// program folder gets a torvane.ini with the given tables (none when null).
class TestWorld
{
public:
    static constexpr char kDefaultIni[] =
        "[Directories]\r\nEXEPath=\r\n[Applications]\r\nImageEditor=\r\nTextEditor=\r\n"
        "[UserInfo]\r\nName=\r\n[Classify]\r\nrc=original\r\nbuggy=original\r\nmisc=omit\r\n"
        "[Names]\r\nrc=RC Sprinter\r\nbuggy=Dune Buggy\r\n";

    explicit TestWorld(const QByteArray& torvaneIni = kDefaultIni);
    ~TestWorld();

    QString root() const { return mDir.path(); }
    QString programDir() const { return mDir.filePath(QStringLiteral("program")); }
    QString gameDir() const { return mDir.filePath(QStringLiteral("game")); }
    QString carsDir() const { return mDir.filePath(QStringLiteral("game/cars")); }
    QString iniPath() const { return mDir.filePath(QStringLiteral("program/torvane.ini")); }
    QString carDir(const QString& folder) const { return carsDir() + QLatin1Char('/') + folder; }
    // The home trash: XDG_DATA_HOME points into the world from its creation on, so that no test
    // fills the trash of the one who runs it.
    QString homeTrash() const { return mDir.filePath(QStringLiteral("data/Trash")); }

    // Loads the settings from the program folder's torvane.ini with EXEPath set to gameDir().
    void loadSettings();
    // The cars folder of the settings, as the windows are handed it.
    static cCarsFolder cars() { return cCarsFolder(modMain::gSettings()); }

    // Replaces a file under root() by one with these bytes (and permissions, or the default
    // ones), creating folders on the way; a path ending in "/" makes just the folders, one
    // ending in "|" a FIFO named without it.
    QString write(const QString& relativePath, const QByteArray& bytes, int permissions = -1);
    QByteArray read(const QString& path) const { return ReadFile(mDir.filePath(path)); }
    // A car folder with the given carinfo.ini bytes (none when empty), a car.bmp and a
    // parameters.txt: a car the game can use.
    QString makeCar(const QString& folder, const QByteArray& carinfo = {});

private:
    QTemporaryDir mDir;
};
