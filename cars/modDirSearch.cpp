#include "cars/modDirSearch.h"

#include <QDir>
#include <QDirIterator>

namespace modDirSearch {

cDirList ListCarFolders(const QString& folder)
{
    cDirList list;
    return CollectSubfolders(folder, list);
}

cDirList& CollectSubfolders(const QString& folder, cDirList& list)
{
    QDirIterator it(folder, QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        list.append(cDir{it.fileName()});
    }
    return list;
}

} // namespace modDirSearch
