#include "platform/FileNames.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace FileNames {

namespace {

bool ByteOrderLess(const QString& a, const QString& b)
{
    return QFile::encodeName(a) < QFile::encodeName(b);
}

} // namespace

FolderListing::FolderListing(const QString& folder) : mFolder(folder)
{
    QDir dir(folder);
    mReadable = dir.exists() && dir.isReadable();
    if (!mReadable)
        return;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        mIsFile.insert(name, it.fileInfo().isFile());
        const QString folded = name.toCaseFolded();
        auto found = mFolded.find(folded);
        if (found == mFolded.end())
            mFolded.insert(folded, name);
        else if (ByteOrderLess(name, found.value()))
            found.value() = name;
    }
}

QString FolderListing::find(const QString& name) const
{
    if (mIsFile.contains(name))
        return name;
    return mFolded.value(name.toCaseFolded());
}

QString FolderListing::path(const QString& name) const
{
    const QString real = find(name);
    return Join(mFolder, real.isEmpty() ? name : real);
}

bool FolderListing::hasPlainFile(const QString& name) const
{
    const QString real = find(name);
    return !real.isEmpty() && mIsFile.value(real);
}

QString Join(const QString& folder, const QString& name)
{
    return folder + QDir::separator() + name;
}

QString Resolve(const QString& folder, const QString& name)
{
    const QString exact = Join(folder, name);
    if (EntryExists(exact))
        return exact;
    return FolderListing(folder).path(name);
}

bool IsPlainFile(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool EntryExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace FileNames
