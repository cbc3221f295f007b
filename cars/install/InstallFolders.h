#pragma once

#include "platform/FileSystem.h"
#include "platform/Result.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// The hidden folders an install unpacks into, inside the cars folder so that a car moves into
// place with one rename. Each is locked while its install runs; one whose lock is free was left
// by an install that was cut short (the program killed, the power cut), and is finished or
// undone, then removed, by the next start or install.
namespace InstallFolders {

inline const QString kPrefix = QStringLiteral(".torvane-install-");

inline bool IsUnpacking(const QString& folderName)
{
    return folderName.startsWith(kPrefix, Qt::CaseInsensitive);
}

// A car that takes the place of an installed one: its unpacked folder inside the hidden one,
// and the installed car's folder name.
struct Replacing
{
    QString unpacked; // a name inside the hidden folder
    QString folderName;
    // The installed car's number on its disk (FileSystem::Status::id), 0 when unknown: after a
    // swap of two names, it tells the installed car from the new one in the hidden folder.
    quint64 installed = 0;
};

// A hidden folder of a running install, held locked; removed with everything in it when the
// object goes, unless kept or removed before. An install that failed removes it so, as what
// cannot be removed then is a leftover like any other, which the next start removes.
class Unpacking
{
public:
    // Makes a new one in carsFolder; the result says why when it cannot.
    static std::unique_ptr<Unpacking> Create(const QString& carsFolder, Result* made);
    ~Unpacking();
    Unpacking(const Unpacking&) = delete;
    Unpacking& operator=(const Unpacking&) = delete;

    const QString& path() const { return mPath; }
    // Left in place for the next start to finish: an installed car may be inside it.
    void keep() { mKept = true; }
    // Removes it with everything in it, now, unless kept.
    Result remove();

    // Written down on disk before the first installed car is moved aside, so that an install
    // cut short between its renames can be finished, with the installed cars' numbers.
    Result writeDown(QList<Replacing> replacing) const;
    // Puts the car unpacked in the folder of that name in the place of the installed car at
    // target: one swap of the two names where the disk can, else (written down first) two
    // renames with the installed car aside in this folder between them. The installed car ends
    // up in this folder, under the unpacked name or Aside(unpacked), and goes with it.
    Result replace(const QString& unpacked, const QString& target);
    // Moves the installed car that replace() took out of target into trash (FileSystem's). A
    // failure says where the car is instead: back in the cars folder under a name of its own,
    // or in this folder, which is then kept for the next start to try again.
    Result trashReplaced(const QString& unpacked, const QString& target, const QString& trash);
    // Where an installed car waits while the new one moves into its place.
    static QString Aside(const QString& unpacked) { return QStringLiteral("old-") + unpacked; }

private:
    Unpacking(const QString& carsFolder, const QString& name);

    QString mCarsFolder;
    QString mName;
    QString mPath;
    std::unique_ptr<FileSystem::FolderHold> mHold;
    bool mKept = false;
    bool mRemoved = false;
};

// Finishes what the installs that were cut short left in carsFolder, and removes their hidden
// folders: one line for each car put in place, none when there was nothing to finish.
QStringList Recover(const QString& carsFolder);

// Whether a folder renamed on the disk of the hidden folder staging keeps its files. A car
// moves into place as one folder rename, and there are FUSE drivers for FAT that rename a
// folder without what is in it: on such a disk nothing is installed, rather than an empty car.
Result MovesFolders(const QString& staging);

} // namespace InstallFolders
