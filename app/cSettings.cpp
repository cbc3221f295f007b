#include "app/cSettings.h"

#include "app/modErrorHandling.h"
#include "app/modMain.h"
#include "app/modQuarnIniAPI.h"
#include "platform/FileNames.h"

using modQuarnIniAPI::ReadProfileString;

namespace {

const QString kDirectories = QStringLiteral("Directories");
const QString kApplications = QStringLiteral("Applications");
const QString kUserInfo = QStringLiteral("UserInfo");

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
    try {
        mINIPath = FileNames::Join(modMain::AppPath(), QStringLiteral("torvane.ini"));
        setDrovakDir(ReadProfileString(kDirectories, QStringLiteral("EXEPath"), {}, mINIPath));
        mImageEditorPath =
            ReadProfileString(kApplications, QStringLiteral("ImageEditor"), {}, mINIPath);
        mTextEditorPath =
            ReadProfileString(kApplications, QStringLiteral("TextEditor"), {}, mINIPath);
        mAuthor = ReadProfileString(kUserInfo, QStringLiteral("Name"), {}, mINIPath);
    } catch (const std::exception& e) {
        modErrorHandling::RaiseError(modErrorHandling::kUnknownError,
                                     QStringLiteral("cSettings:LoadSettings Method"),
                                     QString::fromLocal8Bit(e.what()));
    }
}

void cSettings::SaveSettings()
{
    const struct
    {
        const QString& section;
        QString key;
        const QString& value;
    } entries[] = {
        {kDirectories, QStringLiteral("EXEPath"), mDrovakDir},
        {kApplications, QStringLiteral("ImageEditor"), mImageEditorPath},
        {kApplications, QStringLiteral("TextEditor"), mTextEditorPath},
        {kUserInfo, QStringLiteral("Name"), mAuthor},
    };
    for (const auto& entry : entries) {
        QString reason;
        if (!modQuarnIniAPI::WriteProfileString(entry.section, entry.key, entry.value, mINIPath,
                                                &reason))
            modErrorHandling::RaiseError(modErrorHandling::kUnknownError,
                                         QStringLiteral("cSettings:SaveSettings Method"), reason);
    }
}
