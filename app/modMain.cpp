#include "app/modMain.h"

#include "app/cSettings.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"
#include "platform/Cp1252.h"
#include "platform/FileNames.h"
#include "platform/MsgBox.h"
#include "platform/TextLines.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace modMain {

namespace {
QString gAppPathOverride;
std::unique_ptr<cCarCollection> gCarsHolder;
} // namespace

std::unique_ptr<cDirList> gCarDirs;

QString AppPath()
{
    return gAppPathOverride.isEmpty() ? QCoreApplication::applicationDirPath() : gAppPathOverride;
}

void SetAppPath(const QString& folder)
{
    gAppPathOverride = folder;
}

cSettings& gSettings()
{
    static cSettings settings;
    return settings;
}

cCarCollection& gCars()
{
    if (!gCarsHolder)
        gCarsHolder = std::make_unique<cCarCollection>();
    return *gCarsHolder;
}

void ReleaseCars()
{
    gCarsHolder.reset();
}

QString ReplaceAll(QString& text, const QString& find, const QString& replacement)
{
    if (find.isEmpty())
        return text;
    qsizetype p = text.indexOf(find);
    while (p >= 0) {
        text.replace(p, find.size(), replacement);
        p = text.indexOf(find, p + replacement.size());
    }
    return text;
}

FileError::FileError(QString description)
    : mDescription(std::move(description)), mWhat(mDescription.toLocal8Bit())
{
}

namespace {

QString Failure(const QString& action, const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot %1 %2:\n%3.").arg(action, QDir::toNativeSeparators(path), reason);
}

QByteArray ReadBytes(const QString& path)
{
    if (QFileInfo(path).isDir())
        throw FileError(Failure(QStringLiteral("read"), path, QStringLiteral("it is a folder")));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(Failure(QStringLiteral("read"), path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(Failure(QStringLiteral("read"), path, file.errorString()));
    return bytes;
}

// The file is replaced whole or not at all: a failed write never leaves half a file.
void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw FileError(Failure(QStringLiteral("write"), path, file.errorString()));
    file.write(bytes);
    if (!file.commit())
        throw FileError(Failure(QStringLiteral("write"), path, file.errorString()));
}

// A forced delete: a read-only file goes too. A missing file is a failure, as the caller
// means to replace a file that is there.
void DeleteForced(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        throw FileError(
            Failure(QStringLiteral("delete"), path, QStringLiteral("the file does not exist")));
    if (info.isDir() && !info.isSymLink())
        throw FileError(Failure(QStringLiteral("delete"), path, QStringLiteral("it is a folder")));
    QFile file(path);
    // Windows refuses to delete a read-only file; a link's permissions are its target's, which
    // must stay as they are.
    if (!info.isSymLink() && !(file.permissions() & QFile::WriteOwner))
        file.setPermissions(file.permissions() | QFile::WriteOwner | QFile::WriteUser);
    if (!file.remove())
        throw FileError(Failure(QStringLiteral("delete"), path, file.errorString()));
}

bool Report(const FileError& error)
{
    MsgBox::Show(error.description(), MsgBox::Icon::None, MsgBox::kProgramTitle);
    return false;
}

bool StartsAfterSpaces(QByteArrayView line, QByteArrayView keyword)
{
    qsizetype i = 0;
    while (i < line.size() && line[i] == ' ')
        ++i;
    return line.sliced(i).startsWith(keyword);
}

// Every line, however it ended (CR LF, LF or a lone CR) or if it did not, is written with
// CR LF; a line that starts with keyword becomes replacement.
QByteArray RewriteLines(const QByteArray& bytes, QByteArrayView keyword,
                        const QByteArray& replacement)
{
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 8 + 2);
    for (const TextLines::Line& l : TextLines::Split(bytes)) {
        const QByteArrayView line = QByteArrayView(bytes).sliced(l.begin, l.contentEnd - l.begin);
        out.append(StartsAfterSpaces(line, keyword) ? QByteArrayView(replacement) : line);
        out.append("\r\n");
    }
    return out;
}

bool RewriteParams(const QString& carFolder, QByteArrayView keyword, const QByteArray& replacement)
{
    QString folder = carFolder;
    if (folder.size() > 1 &&
        (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QDir::separator())))
        folder.chop(1);
    const QString current = FileNames::Resolve(folder, QStringLiteral("parameters.txt"));
    const QString backup = FileNames::Resolve(folder, QStringLiteral("parameters.bak"));
    try {
        const QByteArray original = ReadBytes(current);
        WriteBytes(backup, original);
        DeleteForced(current);
        WriteBytes(current, RewriteLines(original, keyword, replacement));
    } catch (const FileError& error) {
        return Report(error);
    }
    return true;
}

} // namespace

QString ReadWholeFile(const QString& path)
{
    QByteArray bytes = ReadBytes(path);
    if (bytes.isEmpty())
        throw FileError(Failure(QStringLiteral("read"), path, QStringLiteral("the file is empty")));
    if (bytes.endsWith('\n') || bytes.endsWith('\r'))
        bytes.chop(1);
    return Cp1252::ToUnicode(bytes);
}

bool WriteWholeFile(const QString& path, const QString& text)
{
    try {
        DeleteForced(path);
        WriteBytes(path, Cp1252::FromUnicode(text) + "\r\n");
    } catch (const FileError& error) {
        return Report(error);
    }
    return true;
}

bool SetParamsName(const QString& carFolder, const QString& carName)
{
    return RewriteParams(carFolder, "Name", "Name\t\t\"" + Cp1252::FromUnicode(carName) + '"');
}

bool SetParamsObtain(const QString& carFolder)
{
    return RewriteParams(carFolder, "Obtain", "Obtain\t0");
}

void CreateFolder(const QString& path)
{
    const QString action = QStringLiteral("create the folder");
    if (FileNames::EntryExists(path))
        throw FileError(Failure(action, path, QStringLiteral("it already exists")));
    if (!QDir().mkdir(path))
        throw FileError(Failure(action, path, qt_error_string()));
}

void CopyFiles(const QString& sourceFolder, const QString& targetFolder)
{
    if (!QFileInfo(sourceFolder).isDir())
        throw FileError(Failure(QStringLiteral("copy the files of"), sourceFolder,
                                QStringLiteral("it is not a folder")));
    const QFileInfoList files =
        QDir(sourceFolder).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
    if (files.isEmpty())
        throw FileError(Failure(QStringLiteral("copy the files of"), sourceFolder,
                                QStringLiteral("it holds no file")));
    for (const QFileInfo& info : files) {
        const QString target = FileNames::Join(targetFolder, info.fileName());
        QFile existing(target);
        if (FileNames::EntryExists(target) && !existing.remove())
            throw FileError(Failure(QStringLiteral("replace"), target, existing.errorString()));
        QFile file(info.filePath());
        if (!file.copy(target))
            throw FileError(QStringLiteral("Cannot copy %1 to %2:\n%3.")
                                .arg(QDir::toNativeSeparators(info.filePath()),
                                     QDir::toNativeSeparators(target), file.errorString()));
    }
}

Run Main(const StartupWindows& windows)
{
    cSettings& settings = gSettings();
    settings.LoadSettings();

    if (!FileNames::IsPlainFile(settings.INIPath())) {
        MsgBox::Show(
            QStringLiteral("Could not find the TORVANE.INI file! Please make sure that this") +
                QStringLiteral(" file is located in the same directory as the application!"),
            MsgBox::Icon::Exclamation, QStringLiteral("Program Aborted"));
        return Run::Aborted;
    }

    if (settings.DrovakDir().isEmpty()) {
        MsgBox::Show(
            QStringLiteral("The Drovak program directory has not been specified. Select one now") +
                QStringLiteral(
                    " from the Options dialog box. You may also want to enter your name in") +
                QStringLiteral(" the Author box to personalize your custom cars.") +
                QStringLiteral("\r\n\r\nRestart Torvane when you are finished."),
            MsgBox::Icon::Information, QStringLiteral("Welcome to Zelmor Torvane!"));
        windows.showOptions();
        return Run::FirstRun;
    }

    windows.showMain();
    return Run::Normal;
}

} // namespace modMain
