#include "cars/modDirSearch.h"

#include "cars/install/InstallFolders.h"
#include "platform/FileNames.h"

namespace modDirSearch {

cDirList ListCarFolders(const QString& folder)
{
    cDirList list;
    return CollectSubfolders(folder, list);
}

cDirList& CollectSubfolders(const QString& folder, cDirList& list)
{
    // A folder that cannot be listed lists no cars, as one that holds none: the window's
    // status line counts what was found.
    const QList<FileNames::Entry> entries = FileSystem::List(folder).value_or({});
    list.reserve(list.size() + entries.size());
    for (const FileNames::Entry& entry : entries) {
        if (entry.isDir && !InstallFolders::IsUnpacking(entry.name))
            list.append(cDir{entry.name});
    }
    return list;
}

} // namespace modDirSearch
