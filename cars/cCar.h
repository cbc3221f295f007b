#pragma once

#include <QByteArray>
#include <QString>

struct CarContext;

namespace FileSystem {
class Folder;
}

// What LoadSettings takes from a car's own folder: carinfo.ini's four entries and whether the
// photo and the read-me are there.
struct cCarFolder
{
    // Name, Author, OriginalSkin and Description, a line each, in the file's own bytes: the
    // record makes its text itself, so that what it keeps comes from the heap of the thread
    // that keeps it.
    QByteArray entries;
    bool hasPhoto = false;
    bool hasReadMe = false;
    // The first name of the folder, its own first, that the game cannot open, as the system
    // holds it (a path from the folder for a name in a sub-folder); empty when it can open
    // every one. One that is not UTF-8 comes before any that Windows cannot hold, as only that
    // kind can be repaired.
    QString foreignName;
    bool foreignBytes = false; // foreignName is not UTF-8

    // Reads the folder directoryName inside carsFolder. Touches nothing shared, so several
    // folders can be read at once on different threads. The room entries already has is used
    // again: a thread reading into one it was handed takes nothing from its own heap to keep.
    void Read(const FileSystem::Folder& carsFolder, const QString& directoryName);
};

// One car folder under the game's cars folder, with what its carinfo.ini says and how
// torvane.ini classifies it. Setting a property never touches the disk.
class cCar
{
public:
    // None until a load has classified the car.
    enum class Classification { None, Original, Custom, Omit };
    // "Original", "Custom" or "Omit" as the program shows it; empty for None.
    static QString Text(Classification classification);

    // Deletes the car's folder with everything in it and tells the user the outcome. Links
    // are never followed: a car folder that is a link loses only the link.
    void Delete();
    // Writes the four fields to the car's carinfo.ini, each as modQuarnIniAPI::TextBytes has it.
    // False, after telling the player, without a game folder; raises a
    // modErrorHandling::AppError when the file cannot be written.
    bool SaveSettings();
    // Reads carinfo.ini, tests for the photo and the read-me file, and classifies the car,
    // with the settings and the disk as they are now.
    void LoadSettings();
    void LoadSettings(const CarContext& context);
    // LoadSettings with the car's folder already read by cCarFolder::Read from the context's
    // cars folder.
    void LoadSettings(const CarContext& context, const cCarFolder& folder);

    Classification Classified() const { return mClassification; }
    QString ClassificationText() const { return Text(mClassification); }
    const QString& DirectoryName() const { return mDirectoryName; }
    void setDirectoryName(const QString& value) { mDirectoryName = value; }
    // Line breaks are CR LF pairs; carinfo.ini stores each as "|".
    const QString& Description() const { return mDescription; }
    void setDescription(const QString& value) { mDescription = value; }
    bool HasPhoto() const { return mHasPhoto; }
    const QString& BasedTemplate() const { return mBasedTemplate; }
    void setBasedTemplate(const QString& value) { mBasedTemplate = value; }
    const QString& Author() const { return mAuthor; }
    void setAuthor(const QString& value) { mAuthor = value; }
    bool HasReadMe() const { return mHasReadMe; }
    const QString& CarName() const { return mCarName; }
    void setCarName(const QString& value) { mCarName = value; }
    // A name in the car's folder, or the folder's own, that the game under Wine cannot open,
    // as the player should see it: one that is not UTF-8 if there is one, else one that Windows
    // cannot hold; empty when the game can open every name.
    const QString& ForeignName() const { return mForeignName; }
    // True when ForeignName is not UTF-8; false when it is UTF-8 but Windows cannot hold it.
    bool ForeignBytes() const { return mForeignBytes; }

    // The cars folder the record was last loaded from or saved to, where it is deleted from;
    // the one the settings name now for a record never loaded.
    QString CarsFolder() const;
    // The car's folder: the cars folder, a separator and the folder name.
    QString FolderPath() const;

private:
    static bool CanLoad(const CarContext& context);
    void Apply(const CarContext& context, const cCarFolder& folder);

    QString mCarName;
    QString mAuthor;
    QString mBasedTemplate;
    bool mHasPhoto = false;
    QString mDescription;
    QString mDirectoryName;
    QString mCarsFolder;
    Classification mClassification = Classification::None;
    bool mHasReadMe = false;
    bool mForeignBytes = false;
    QString mForeignName;
};
