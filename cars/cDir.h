#pragma once

#include <QList>
#include <QString>

// One sub-folder found by the folder walk: its bare name, no path.
class cDir
{
public:
    QString FolderName;
};

// The folder walk's result, in the order the file system yields the folders; an item's key
// is its position counted from 1.
using cDirList = QList<cDir>;
