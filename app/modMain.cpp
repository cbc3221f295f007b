#include "app/modMain.h"

#include "app/cSettings.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"
#include "cars/cCarsFolder.h"
#include "platform/Cp1252.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/MsgBox.h"
#include "platform/TextLines.h"

#include <QCoreApplication>

namespace modMain {

namespace {
QString gAppPathOverride;
std::unique_ptr<cCarCollection> gCarsHolder;
} // namespace

QString AppPath()
{
    if (!gAppPathOverride.isEmpty())
        return gAppPathOverride;
    // The system's own name for the folder: Qt's would lose a byte that is not UTF-8.
    const QString own = FileSystem::ProgramFolder();
    return own.isEmpty() ? QCoreApplication::applicationDirPath() : own;
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
    if (p < 0)
        return text;
    // One pass that copies each piece once: replacing in place moves the rest of the text at
    // every occurrence, and a description of a megabyte of bars froze the window for minutes.
    QString result;
    result.reserve(text.size() + (replacement.size() > find.size() ? text.size() / 8 : 0));
    qsizetype from = 0;
    for (; p >= 0; p = text.indexOf(find, from)) {
        result.append(QStringView(text).sliced(from, p - from)).append(replacement);
        from = p + find.size();
    }
    result.append(QStringView(text).sliced(from));
    text = result;
    return text;
}

namespace {

QString Failure(const QString& action, const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot %1 %2:\n%3.").arg(action, FileSystem::ForMessage(path), reason);
}

// A copy that names both files when it fails.
Result Copy(const QString& source, const QString& target)
{
    const Result copied = FileSystem::CopyFile(source, target);
    if (copied.success())
        return copied;
    return Result::Failure(
        QStringLiteral("Cannot copy %1 to %2:\n%3.")
            .arg(FileSystem::ForMessage(source), FileSystem::ForMessage(target), copied.message));
}

const QString kLeftAsItWas = QStringLiteral("\nThe file was left as it was.");

struct BytesRead
{
    Result result;
    QByteArray bytes;
};

BytesRead ReadBytes(const QString& path)
{
    ResultOf<QByteArray> bytes = FileSystem::ReadPlainFile(path);
    if (!bytes)
        return {Result::Failure(Failure(QStringLiteral("read"), path, bytes.message)), {}};
    return {Result::Success(), std::move(*bytes)};
}

Result WriteBytes(const QString& path, const QByteArray& bytes, FileSystem::Replace replace)
{
    const Result written = FileSystem::ReplaceFile(path, bytes, replace);
    if (!written.success())
        return Result::Failure(Failure(QStringLiteral("write"), path, written.message));
    return written;
}

bool Report(const QString& message)
{
    MsgBox::Show(message, MsgBox::Icon::None, MsgBox::kProgramTitle);
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
        (folder.endsWith(QLatin1Char('/')) || folder.endsWith(FileSystem::Separator())))
        folder.chop(1);
    const QString current = FileNames::Resolve(folder, QStringLiteral("parameters.txt"));
    const QString backup = FileNames::Resolve(folder, QStringLiteral("parameters.bak"));
    // The copy keeps the file's permissions, as a copy on the game's platform keeps its
    // attributes; a read-only backup refuses it.
    const Result copied = Copy(current, backup);
    if (!copied.success())
        return Report(copied.message);
    const BytesRead original = ReadBytes(current);
    if (!original.result.success())
        return Report(original.result.message);
    const BytesRead copy = ReadBytes(backup);
    if (!copy.result.success())
        return Report(copy.result.message);
    if (copy.bytes != original.bytes)
        return Report(Failure(QStringLiteral("keep a whole copy of"), current,
                              QStringLiteral("the copy differs from the file")));
    // The new file takes the old one's place in one step, so that a full disk leaves the file
    // as it was. The delete that this stands for was forced: a read-only file is replaced too.
    const Result written = WriteBytes(current, RewriteLines(original.bytes, keyword, replacement),
                                      FileSystem::Replace::Forced);
    if (!written.success())
        return Report(written.message + kLeftAsItWas);
    return true;
}

} // namespace

TextRead ReadWholeFile(const QString& path)
{
    BytesRead read = ReadBytes(path);
    if (!read.result.success())
        return {read.result, {}};
    QByteArray& bytes = read.bytes;
    if (bytes.isEmpty())
        return {Result::Failure(
                    Failure(QStringLiteral("read"), path, QStringLiteral("the file is empty"))),
                {}};
    if (bytes.endsWith('\n') || bytes.endsWith('\r'))
        bytes.chop(1);
    return {Result::Success(), Cp1252::ToUnicode(bytes)};
}

bool WriteWholeFile(const QString& path, const QString& text)
{
    // The file stands for one deleted, forced, and made anew: a missing one is a failure.
    if (!FileSystem::StatusOf(path).exists)
        return Report(
            Failure(QStringLiteral("replace"), path, QStringLiteral("the file does not exist")) +
            kLeftAsItWas);
    const Result written =
        WriteBytes(path, Cp1252::FromUnicode(text) + "\r\n", FileSystem::Replace::Forced);
    if (!written.success())
        return Report(written.message + kLeftAsItWas);
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

Result CreateFolder(const QString& path)
{
    const QString action = QStringLiteral("create the folder");
    if (FileNames::EntryExists(path))
        return Result::Failure(Failure(action, path, QStringLiteral("it already exists")));
    const Result created = FileSystem::CreateFolder(path);
    if (!created.success())
        return Result::Failure(Failure(action, path, created.message));
    return created;
}

Result CopyFiles(const QString& sourceFolder, const QString& targetFolder)
{
    const ResultOf<QList<FileSystem::Entry>> entries = FileSystem::List(sourceFolder);
    if (!entries)
        return Result::Failure(
            Failure(QStringLiteral("copy the files of"), sourceFolder, entries.message));
    QList<FileSystem::Entry> files;
    for (const FileSystem::Entry& entry : *entries) {
        if (entry.isFile)
            files.append(entry);
    }
    if (files.isEmpty())
        return Result::Failure(Failure(QStringLiteral("copy the files of"), sourceFolder,
                                       QStringLiteral("it holds no file")));
    for (const FileSystem::Entry& file : files) {
        const QString source = FileNames::Join(sourceFolder, file.name);
        const QString target = FileNames::Join(targetFolder, file.name);
        if (const Result copied = Copy(source, target); !copied.success())
            return copied;
    }
    return Result::Success();
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

    // What an install cut short left is finished before the cars are listed.
    if (const QString recovered = cCarsFolder(settings).Recover(); !recovered.isEmpty())
        MsgBox::Show(recovered, MsgBox::Icon::Information, QString());
    windows.showMain();
    return Run::Normal;
}

} // namespace modMain
