#include "platform/FileNames.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace FileNames {

namespace {

// Names from the file system; most are plain ASCII, which needs no decoder.
QString DecodeName(const char* name)
{
    const char* end = name;
    bool ascii = true;
    for (; *end; ++end)
        ascii = ascii && uchar(*end) < 0x80;
    return ascii ? QString::fromLatin1(name, end - name) : QFile::decodeName(name);
}

} // namespace

QList<Entry> ListEntries(const QString& folder, bool* readable)
{
    QList<Entry> entries;
#ifdef Q_OS_UNIX
    // The system's own listing: the entry types come with the names, so only links need a
    // second look. A scan lists thousands of car folders this way.
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (readable)
        *readable = dir != nullptr;
    if (!dir)
        return entries;
    while (const dirent* d = readdir(dir)) {
        const char* n = d->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        Entry entry{DecodeName(n)};
        if (d->d_type == DT_DIR) {
            entry.isDir = true;
        } else if (d->d_type == DT_REG) {
            entry.isFile = true;
        } else if (d->d_type == DT_LNK || d->d_type == DT_UNKNOWN) {
            struct stat st;
            if (fstatat(dirfd(dir), n, &st, 0) == 0) {
                entry.isDir = S_ISDIR(st.st_mode);
                entry.isFile = S_ISREG(st.st_mode);
            }
        }
        entries.append(std::move(entry));
    }
    closedir(dir);
#else
    const QDir dir(folder);
    if (readable)
        *readable = dir.exists() && dir.isReadable();
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        entries.append({it.fileName(), info.isDir(), info.isFile()});
    }
#endif
    return entries;
}

FolderListing::FolderListing(const QString& folder)
    : mFolder(folder), mEntries(ListEntries(folder, &mReadable))
{
}

const Entry* FolderListing::findEntry(const QString& name) const
{
    const Entry* match = nullptr;
    for (const Entry& entry : mEntries) {
        if (entry.name == name)
            return &entry;
        if (QString::compare(entry.name, name, Qt::CaseInsensitive) == 0 &&
            (!match || QFile::encodeName(entry.name) < QFile::encodeName(match->name)))
            match = &entry;
    }
    return match;
}

QString FolderListing::find(const QString& name) const
{
    const Entry* entry = findEntry(name);
    return entry ? entry->name : QString();
}

QString FolderListing::path(const QString& name) const
{
    const Entry* entry = findEntry(name);
    return Join(mFolder, entry ? entry->name : name);
}

bool FolderListing::hasPlainFile(const QString& name) const
{
    const Entry* entry = findEntry(name);
    return entry && entry->isFile;
}

QString Folded(const QString& name)
{
    bool upper = false;
    for (const QChar c : name) {
        if (c.unicode() >= 0x80)
            return name.toCaseFolded();
        upper = upper || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
    }
    if (!upper)
        return name;
    QString folded = name;
    for (QChar& c : folded) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return folded;
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
