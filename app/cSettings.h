#pragma once

#include "platform/Result.h"

#include <QString>

// The user's settings, kept in torvane.ini beside the program. Operations that can fail raise
// a modErrorHandling::AppError to the caller; nothing is shown from here.
class cSettings
{
public:
    // Writes the game folder, the two editor paths and the author to the file named by
    // INIPath(). Raises when an entry cannot be written, so the caller can tell the user.
    void SaveSettings();
    // Sets INIPath() to the program folder's torvane.ini and reads the four settings from it;
    // a missing file or entry reads as empty.
    void LoadSettings();

    const QString& Author() const { return mAuthor; }
    void setAuthor(const QString& value) { mAuthor = value; }
    const QString& TextEditorPath() const { return mTextEditorPath; }
    void setTextEditorPath(const QString& value) { mTextEditorPath = value; }
    const QString& ImageEditorPath() const { return mImageEditorPath; }
    void setImageEditorPath(const QString& value) { mImageEditorPath = value; }
    const QString& INIPath() const { return mINIPath; }
    void setINIPath(const QString& value) { mINIPath = value; }
    const QString& CarDir() const { return mCarDir; }
    void setCarDir(const QString& value) { mCarDir = value; }
    const QString& DrovakDir() const { return mDrovakDir; }
    // Also derives CarDir: the value, a separator and "cars", nothing added or removed.
    void setDrovakDir(const QString& value);

    static QString CarDirOf(const QString& drovakDir);

    // The folder the player last installed an archive from, read with the others and written
    // on its own, so that the next archive box opens there.
    const QString& InstallFolder() const { return mInstallFolder; }
    void setInstallFolder(const QString& value) { mInstallFolder = value; }
    Result SaveInstallFolder() const;

private:
    QString mDrovakDir;
    QString mCarDir;
    QString mINIPath;
    QString mImageEditorPath;
    QString mTextEditorPath;
    QString mAuthor;
    QString mInstallFolder;
};
