#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A program folder and a game folder in a fresh temporary folder, for one test. Creating it
// points the program at its program folder and resets the settings and the car list; the
// program folder gets a torvane.ini with the given tables.
class TestWorld
{
public:
    explicit TestWorld(const QByteArray& torvaneIni = defaultIni());
    ~TestWorld();

    static QByteArray defaultIni();

    QString root() const { return mDir.path(); }
    QString programDir() const { return mDir.filePath(QStringLiteral("program")); }
    QString gameDir() const { return mDir.filePath(QStringLiteral("game")); }
    QString carsDir() const { return mDir.filePath(QStringLiteral("game/cars")); }
    QString iniPath() const { return mDir.filePath(QStringLiteral("program/torvane.ini")); }
    QString carDir(const QString& folder) const { return carsDir() + QLatin1Char('/') + folder; }

    // Loads the settings from the program folder's torvane.ini with EXEPath set to gameDir().
    void loadSettings();

    // Writes bytes to a path under root(), creating folders on the way.
    QString write(const QString& relativePath, const QByteArray& bytes);
    QByteArray read(const QString& relativePath) const;
    // A car folder with the given carinfo.ini bytes (none when empty) and a car.bmp.
    QString makeCar(const QString& folder, const QByteArray& carinfo = {});

private:
    QTemporaryDir mDir;
};

QByteArray ReadFile(const QString& path);
