#pragma once

#include "cars/cDir.h"

#include <QString>

// The folder walk: the sub-folders directly inside one folder, in the order the file system
// yields them. Files, "." and ".." are left out; hidden folders are listed.
namespace modDirSearch {

// A new list of the folder's sub-folders; empty when the folder is missing or unreadable.
cDirList ListCarFolders(const QString& folder);

// Adds the folder's sub-folders to list and returns it.
cDirList& CollectSubfolders(const QString& folder, cDirList& list);

} // namespace modDirSearch
