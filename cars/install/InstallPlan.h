#pragma once

#include "platform/EntrySource.h"
#include "platform/Result.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// What an archive (or a dropped folder) holds for the cars folder, worked out from a first
// reading of its entries, before anything is written. A car is a folder holding parameters.txt
// in any letter case; the folders above it are left behind, so the car keeps its own folder
// name. An archive whose root holds parameters.txt is one car named after the archive.
class InstallPlan
{
public:
    // More entries than any car holds: the reading stops there.
    static constexpr qint64 kMaxEntries = 20000;
    static constexpr qint64 kMaxBytes = qint64(4) << 30;

    struct Car
    {
        QString folderName; // as the archive names it, or after the archive
        QString root;       // its folder inside the source, names joined by '/'; empty for all
    };

    // sourceName is the archive file's name, with its extensions.
    explicit InstallPlan(const QString& sourceName);

    // An entry of the first reading; a failure when it refuses the source.
    Result add(const EntrySource::Entry& entry);
    // After the last entry: finds the cars and checks the links against them; a failure when
    // the source is refused, or holds no car.
    Result finish();

    const QList<Car>& cars() const { return mCars; }
    // The entries that are not installed, each with the reason, for the report.
    const QStringList& leftOut() const { return mLeftOut; }
    // What the headers say the files of the cars hold.
    qint64 bytes() const { return mBytes; }
    // Whether folder, where the car was unpacked, holds its parameters.txt and every file the
    // archive had for it: the failure names the first missing.
    Result checkUnpacked(int car, const QString& folder) const;

    // Where an entry of the second reading goes: the car's index with the names of its path
    // inside the car folder (none for the car folder itself), or -1 when it is not installed.
    struct Place
    {
        int car = -1;
        QStringList names;
    };
    Place placeOf(const EntrySource::Entry& entry) const;

    // The names of an entry's path as text; a failure when the name is absolute or climbs out
    // with "..".
    static ResultOf<QStringList> Names(const QByteArray& name);
    // "fastcar" for "fastcar.tar.gz".
    static QString WithoutExtensions(const QString& fileName);

private:
    struct Seen
    {
        QString path;
        EntrySource::Kind kind;
        QByteArray target;
        qint64 size;
    };
    int carOf(const QStringList& names, qsizetype* depth) const;

    QString mSourceName;
    QList<Seen> mSeen;
    QStringList mCarFolders; // holding parameters.txt, in the order met
    QSet<QString> mCarFolderSet;
    QSet<QString> mLinks;
    QList<Car> mCars;
    QHash<QString, int> mCarIndex; // by root
    QList<QStringList> mFiles;     // by car
    QStringList mLeftOut;
    qint64 mBytes = 0;
    qint64 mEntries = 0;
};
