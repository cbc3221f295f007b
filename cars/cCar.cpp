#include "cars/cCar.h"

#include "app/cSettings.h"
#include "app/modErrorHandling.h"
#include "app/modMain.h"
#include "app/modQuarnIniAPI.h"
#include "cars/CarContext.h"
#include "cars/CarInfoFile.h"
#include "cars/cCarsFolder.h"
#include "cars/modFolderNames.h"
#include "platform/Cp1252.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/MsgBox.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kBar = QStringLiteral("|");
// In the order of cCarFolder::entries.
const QString kEntries[] = {CarInfoFile::kName, CarInfoFile::kAuthor, CarInfoFile::kOriginalSkin,
                            CarInfoFile::kDescription};

// See cCarFolder::foreignName; bytes is set when it is not UTF-8. The names listed are at hand;
// only a car with sub-folders, which few have, is listed deeper.
QString FirstForeignName(const QString& directoryName, const FileSystem::Folder& car,
                         const FileNames::FolderListing& folder, bool* bytes)
{
    *bytes = true;
    if (FileSystem::CarriesBytes(directoryName))
        return directoryName;
    QString unheld = modFolderNames::WindowsCanHold(directoryName) ? QString() : directoryName;
    bool subFolders = false;
    for (const FileNames::Entry& entry : folder.entries()) {
        if (FileSystem::CarriesBytes(entry.name))
            return entry.name;
        if (unheld.isEmpty() && !modFolderNames::WindowsCanHold(entry.name))
            unheld = entry.name;
        subFolders = subFolders || entry.isDir;
    }
    if (subFolders) {
        for (const QString& path : car.ListTree().value_or(QStringList())) {
            const QStringView name = QStringView(path).sliced(path.lastIndexOf('/') + 1);
            if (FileSystem::CarriesBytes(name))
                return path;
            if (unheld.isEmpty() && !modFolderNames::WindowsCanHold(name))
                unheld = path;
        }
    }
    *bytes = false;
    return unheld;
}

} // namespace

QString cCar::Text(Classification classification)
{
    switch (classification) {
    case Classification::Original:
        return QStringLiteral("Original");
    case Classification::Custom:
        return QStringLiteral("Custom");
    case Classification::Omit:
        return QStringLiteral("Omit");
    case Classification::None:
        break;
    }
    return {};
}

QString cCar::CarsFolder() const
{
    return mCarsFolder.isEmpty() ? cCarsFolder(modMain::gSettings()).Path() : mCarsFolder;
}

QString cCar::FolderPath() const
{
    return FileNames::Join(CarsFolder(), mDirectoryName);
}

void cCarFolder::Read(const FileSystem::Folder& carsFolder, const QString& directoryName)
{
    entries.resize(0);
    const FileSystem::Folder car(carsFolder, directoryName);
    const FileNames::FolderListing folder(car);
    // A listed folder without the file needs no attempt to open it; one that cannot be
    // listed may still let the file be read by its path.
    const QString infoName = folder.find(CarInfoFile::kFileName);
    if (!infoName.isEmpty() || !folder.isReadable()) {
        const auto info = modQuarnIniAPI::Profile::Parse(
            (folder.isReadable() ? car.ReadPlainFile(infoName)
                                 : FileSystem::ReadPlainFile(folder.path(CarInfoFile::kFileName)))
                .value_or(QByteArray()));
        QByteArrayView values[std::size(kEntries)];
        qsizetype size = 0;
        for (size_t i = 0; i < std::size(kEntries); ++i)
            size += (values[i] = info.view(CarInfoFile::kSection, kEntries[i])).size() + 1;
        entries.reserve(size);
        for (const QByteArrayView value : values)
            entries.append(value).append('\n');
    }
    hasPhoto = folder.hasPlainFile(directoryName + QStringLiteral(".jpg"));
    hasReadMe = folder.hasPlainFile(QStringLiteral("readme.txt"));
    foreignName = FirstForeignName(directoryName, car, folder, &foreignBytes);
}

bool cCar::CanLoad(const CarContext& context)
{
    if (context.gameFolderFound)
        return true;
    MsgBox::Show(QStringLiteral("cCar: Unable to load settings."), MsgBox::Icon::Critical,
                 QStringLiteral("Error"));
    return false;
}

void cCar::LoadSettings()
{
    LoadSettings(cCarsFolder(modMain::gSettings()).Context());
}

void cCar::LoadSettings(const CarContext& context)
{
    if (CanLoad(context)) {
        cCarFolder folder;
        folder.Read(FileSystem::Folder(context.carsFolder), mDirectoryName);
        Apply(context, folder);
    }
}

void cCar::LoadSettings(const CarContext& context, const cCarFolder& folder)
{
    if (CanLoad(context))
        Apply(context, folder);
}

void cCar::Apply(const CarContext& context, const cCarFolder& folder)
{
    mCarsFolder = context.carsFolder;
    // A line ends every entry, so no entry can hold one (a value stands on one line).
    QString* fields[] = {&mCarName, &mAuthor, &mBasedTemplate, &mDescription};
    const QByteArrayView entries(folder.entries);
    qsizetype from = 0;
    for (QString* field : fields) {
        const qsizetype end = entries.indexOf('\n', from);
        *field = end < 0 ? QString() : modQuarnIniAPI::TextOf(entries.sliced(from, end - from));
        from = end + 1;
    }
    if (mDescription.contains(kBar)) {
        modMain::ReplaceAll(mDescription, kBar, kCrLf);
        mDescription.squeeze(); // kept for as long as the list: no room to grow
    }
    // Only ever set by loading, never cleared.
    mHasPhoto = mHasPhoto || folder.hasPhoto;
    mHasReadMe = mHasReadMe || folder.hasReadMe;
    // A new text, so that the record keeps one from this thread's heap: Shown makes one for a
    // name that carries bytes, and any other is copied.
    const QString& foreign = folder.foreignName;
    mForeignName = folder.foreignBytes ? FileSystem::Shown(foreign)
                                       : QString(foreign.constData(), foreign.size());
    mForeignBytes = folder.foreignBytes;

    const QString kind = context.disabled
                             ? QString()
                             : context.tables.value(QStringLiteral("Classify"), mDirectoryName);
    if (kind == QLatin1String("original")) {
        mClassification = Classification::Original;
        mCarName = context.tables.value(QStringLiteral("Names"), mDirectoryName);
        mAuthor = QStringLiteral("Merrowin");
        mDescription = QStringLiteral("Original Drovak Car");
    } else if (kind == QLatin1String("omit")) {
        mClassification = Classification::Omit;
    } else {
        mClassification = Classification::Custom;
    }
}

bool cCar::SaveSettings()
{
    if (!FileNames::EntryExists(modMain::gSettings().DrovakDir())) {
        MsgBox::Show(QStringLiteral("cCar: Unable to save settings."), MsgBox::Icon::Critical,
                     QStringLiteral("Error"));
        return false;
    }
    mCarsFolder = cCarsFolder(modMain::gSettings()).Path();

    // The file keeps a description on one line. The record keeps its line breaks: only the
    // file holds the bars. A lone CR or LF (a text box on this platform gives LF) is a line
    // break too, and must not reach the file, where it would end the entry early.
    QString stored = mDescription;
    modMain::ReplaceAll(stored, kCrLf, kBar);
    modMain::ReplaceAll(stored, QStringLiteral("\n"), kBar);
    modMain::ReplaceAll(stored, QStringLiteral("\r"), kBar);

    const QString file = FileNames::Resolve(FolderPath(), CarInfoFile::kFileName);
    const struct
    {
        QString key;
        const QString& value;
    } entries[] = {
        {CarInfoFile::kName, mCarName},
        {CarInfoFile::kAuthor, mAuthor},
        {CarInfoFile::kOriginalSkin, mBasedTemplate},
        {CarInfoFile::kDescription, stored},
    };
    for (const auto& entry : entries) {
        const Result written = modQuarnIniAPI::WriteProfileBytes(
            CarInfoFile::kSection, entry.key, modQuarnIniAPI::TextBytes(entry.value), file);
        if (!written.success())
            modErrorHandling::RaiseError(modErrorHandling::kUnknownError,
                                         QStringLiteral("cCar:SaveSettings Method"),
                                         written.message);
    }
    return true;
}

void cCar::Delete()
{
    // Links are removed, not followed; a mount point inside is left alone and the delete
    // fails; an empty folder name can never stand for the cars folder itself.
    const Result removed = FileSystem::RemoveTree(CarsFolder(), mDirectoryName);
    if (removed.success()) {
        MsgBox::Show(FileSystem::Shown(mDirectoryName) + QStringLiteral(" has been deleted."),
                     MsgBox::Icon::None, QStringLiteral("Car Deleted"));
        return;
    }
    // The system's reason tells the player what to mend (a file in use, a mount inside).
    QString text = QStringLiteral("There was a error while attempting to delete the directory.");
    if (!removed.message.isEmpty())
        text += QLatin1Char('\n') + removed.message;
    MsgBox::Show(text, MsgBox::Icon::Exclamation, QStringLiteral("Error"));
}
