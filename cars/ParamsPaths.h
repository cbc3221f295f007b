#pragma once

#include "platform/FileSystem.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

// The files a car's parameters.txt names for the game to load, and how the game under Wine finds
// a name in a folder. What the checks of the car list and the fix of copied cars share.
namespace ParamsPaths {

struct Span
{
    qsizetype begin = 0;
    qsizetype size = 0;
};

// A quoted value of parameters.txt that names a file from the game folder.
struct Path
{
    qsizetype begin = 0; // where the value starts in the file's bytes
    QString value;       // as written, read as Windows-1252: one character for each byte
    // The names from the game folder to the file, each as its place in value: empty names and
    // "." left out and ".." taken back, as the game's platform reads a path.
    QList<Span> names;

    QStringView name(qsizetype i) const
    {
        return QStringView(value).sliced(names[i].begin, names[i].size);
    }
};

// The values between a pair of double quotes on one line that are relative paths holding a
// backslash, in file order. "NONE", values without a backslash, absolute ones ("\x", "C:x") and
// ones that climb above the game folder name no file to check.
QList<Path> Paths(QByteArrayView text);

// The key two names share when Wine takes them for one: letter case ignored by Unicode case
// folding. Empty for a name that is not UTF-8 on disk (carries bytes): Wine shows the game such a
// name with "?" in it, and no name in a file opens it.
QString Key(QStringView name);

// The entry Wine opens for name: the exact name first, else the first one listed that differs
// only in letter case; nullptr when none.
const FileSystem::Entry* Find(const QList<FileSystem::Entry>& entries, QStringView name);

} // namespace ParamsPaths
