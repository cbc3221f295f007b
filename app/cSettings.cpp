#include "app/cSettings.h"

#include "app/modErrorHandling.h"
#include "app/modMain.h"
#include "app/modQuarnIniAPI.h"
#include "platform/Cp1252.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"

namespace {

const QString kDirectories = QStringLiteral("Directories");
const QString kApplications = QStringLiteral("Applications");
const QString kUserInfo = QStringLiteral("UserInfo");
const QString kInstall = QStringLiteral("Install");

// torvane.ini is the program's own file. A path keeps the bytes the system names it by (UTF-8,
// or whatever bytes a folder copied from Windows carries), so that it survives a restart
// exactly; the user's name is Windows-1252 where the code page holds it and UTF-8 where it
// cannot. Read back, a value that is valid UTF-8 beyond ASCII is UTF-8. Any other is
// Windows-1252, as every value was written before paths kept their bytes, except a path whose
// bytes name an entry.
enum class Form { Path, Text };

QString FromFile(const std::optional<QByteArray>& bytes, Form form)
{
    if (!bytes)
        return {};
    if (form == Form::Path && !FileSystem::IsUtf8(*bytes) &&
        FileSystem::StatusOf(FileSystem::Decode(*bytes)).exists)
        return FileSystem::Decode(*bytes);
    return modQuarnIniAPI::TextOf(*bytes);
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a';
}

// The reader trims blanks around a value and drops one pair of quotes around it: a value that
// would lose either is written inside a pair of quotes, so that it reads back exactly.
QByteArray Quoted(QByteArray value)
{
    const bool quotedAlready = value.size() >= 2 &&
                               (value.front() == '"' || value.front() == '\'') &&
                               value.back() == value.front();
    if (!value.isEmpty() && (IsBlank(value.front()) || IsBlank(value.back()) || quotedAlready))
        return '"' + value + '"';
    return value;
}

QByteArray ForFile(const QString& value, Form form)
{
    if (form == Form::Path)
        return Quoted(FileSystem::Encode(value));
    return Quoted(modQuarnIniAPI::TextBytes(value));
}

} // namespace

QString cSettings::CarDirOf(const QString& drovakDir)
{
    return FileNames::Join(drovakDir, QStringLiteral("cars"));
}

void cSettings::setDrovakDir(const QString& value)
{
    mDrovakDir = value;
    mCarDir = CarDirOf(value);
}

void cSettings::LoadSettings()
{
    // Nothing here can fail: a missing file or entry reads as empty.
    mINIPath = FileNames::Join(modMain::AppPath(), QStringLiteral("torvane.ini"));
    const modQuarnIniAPI::Profile file = modQuarnIniAPI::Profile::Load(mINIPath);
    const auto read = [&file](const QString& section, const char* key, Form form) {
        return FromFile(file.bytes(section, QLatin1String(key)), form);
    };
    setDrovakDir(read(kDirectories, "EXEPath", Form::Path));
    mImageEditorPath = read(kApplications, "ImageEditor", Form::Path);
    mTextEditorPath = read(kApplications, "TextEditor", Form::Path);
    mAuthor = read(kUserInfo, "Name", Form::Text);
    mInstallFolder = read(kInstall, "LastFolder", Form::Path);
}

Result cSettings::SaveInstallFolder() const
{
    return modQuarnIniAPI::WriteProfileEntries(
        {{kInstall, QStringLiteral("LastFolder"), ForFile(mInstallFolder, Form::Path)}}, mINIPath);
}

void cSettings::SaveSettings()
{
    // One replace of the file: another instance saving at the same moment never mixes its
    // settings with these.
    const Result saved = modQuarnIniAPI::WriteProfileEntries(
        {{kDirectories, QStringLiteral("EXEPath"), ForFile(mDrovakDir, Form::Path)},
         {kApplications, QStringLiteral("ImageEditor"), ForFile(mImageEditorPath, Form::Path)},
         {kApplications, QStringLiteral("TextEditor"), ForFile(mTextEditorPath, Form::Path)},
         {kUserInfo, QStringLiteral("Name"), ForFile(mAuthor, Form::Text)}},
        mINIPath);
    if (!saved.success())
        modErrorHandling::RaiseError(modErrorHandling::kUnknownError,
                                     QStringLiteral("cSettings:SaveSettings Method"),
                                     saved.message);
}
