#include "cars/modMakeCar.h"

#include "app/modMain.h"
#include "app/modQuarnIniAPI.h"
#include "platform/Cp1252.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"

namespace modMakeCar {

Made MakeCarPath(const QString& templateDir, const QString& targetDir, const QString& carName,
                 const QString& author)
{
    const QString carsFolder = modMain::CarsFolder();
    const QString newFolder = FileNames::Join(carsFolder, targetDir);
    Made made;
    try {
        modMain::CreateFolder(newFolder);
        made.folderMade = true;
        modMain::CopyFiles(FileNames::Join(carsFolder, templateDir), newFolder);

        // The copy may have brought CarInfo.INI or Parameters.TXT: those are the files to change.
        const FileNames::FolderListing copied(newFolder);
        const QString info = copied.path(QStringLiteral("carinfo.ini"));
        const QString entries[][2] = {{QStringLiteral("Name"), carName},
                                      {QStringLiteral("Author"), author},
                                      {QStringLiteral("OriginalSkin"), templateDir}};
        // One write per entry, not one replace for all three: an entry that cannot be written (a
        // template folder named with a line break, a disk that fills up) leaves the entries
        // before it in the unfinished car.
        for (const auto& entry : entries) {
            const Result written = modQuarnIniAPI::WriteProfileString(
                QStringLiteral("Zelmor Car Data"), entry[0], entry[1], info);
            if (!written.success())
                throw modMain::FileError(written.message);
        }

        // The folder references are the game's own text and keep their backslashes everywhere.
        // A folder name's byte copied from Windows stands in that text as its character.
        const QString params = copied.path(QStringLiteral("parameters.txt"));
        QString text = modMain::ReadWholeFile(params);
        const QString inText = Cp1252::ToUnicode(Cp1252::FromUnicode(templateDir));
        modMain::ReplaceAll(text, QLatin1Char('\\') + inText + QLatin1Char('\\'),
                            QLatin1Char('\\') + targetDir + QLatin1Char('\\'));

        // Each rewrite has shown its own failure; going on would claim a success.
        const QString folderPath = newFolder + FileSystem::Separator();
        if (!modMain::WriteWholeFile(params, text) ||
            !modMain::SetParamsName(folderPath, carName) || !modMain::SetParamsObtain(folderPath))
            made.result = Result::Failure(QStringLiteral("The new car was not finished."));
        else
            made.result = Result::Success();
    } catch (const modMain::FileError& error) {
        made.result = Result::Failure(
            QStringLiteral("An error occurred while attempting to create the directory.\r\n") +
            error.description());
    }
    return made;
}

} // namespace modMakeCar
