#include "cars/modMakeCar.h"

#include "app/modMain.h"
#include "app/modQuarnIniAPI.h"
#include "cars/CarInfoFile.h"
#include "platform/Cp1252.h"
#include "platform/FileNames.h"

namespace modMakeCar {

Made MakeCarPath(const QString& carsFolder, const QString& templateDir, const QString& targetDir,
                 const QString& carName, const QString& author)
{
    const QString newFolder = FileNames::Join(carsFolder, targetDir);
    Made made;
    const auto failed = [&made](const Result& failure) {
        made.result = Result::Failure(
            QStringLiteral("An error occurred while attempting to create the directory.\r\n") +
            failure.message);
        return made;
    };
    const Result created = modMain::CreateFolder(newFolder);
    if (!created.success())
        return failed(created);
    made.folderMade = true;
    const Result copiedFiles =
        modMain::CopyFiles(FileNames::Join(carsFolder, templateDir), newFolder);
    if (!copiedFiles.success())
        return failed(copiedFiles);

    // The copy may have brought CarInfo.INI or Parameters.TXT: those are the files to change.
    const FileNames::FolderListing copied(newFolder);
    const QString info = copied.path(CarInfoFile::kFileName);
    const QString entries[][2] = {{CarInfoFile::kName, carName},
                                  {CarInfoFile::kAuthor, author},
                                  {CarInfoFile::kOriginalSkin, templateDir}};
    // One write per entry, not one replace for all three: an entry that cannot be written (a
    // template folder named with a line break, a disk that fills up) leaves the entries
    // before it in the unfinished car.
    for (const auto& entry : entries) {
        const Result written = modQuarnIniAPI::WriteProfileBytes(
            CarInfoFile::kSection, entry[0], modQuarnIniAPI::TextBytes(entry[1]), info);
        if (!written.success())
            return failed(written);
    }

    // The folder references are the game's own text and keep their backslashes everywhere.
    // A folder name's byte copied from Windows stands in that text as its character.
    const QString params = copied.path(QStringLiteral("parameters.txt"));
    modMain::TextRead read = modMain::ReadWholeFile(params);
    if (!read.result.success())
        return failed(read.result);
    QString& text = read.text;
    const QString inText = Cp1252::ToUnicode(Cp1252::FromUnicode(templateDir));
    modMain::ReplaceAll(text, QLatin1Char('\\') + inText + QLatin1Char('\\'),
                        QLatin1Char('\\') + targetDir + QLatin1Char('\\'));

    // Each rewrite has shown its own failure; going on would claim a success.
    if (!modMain::WriteWholeFile(params, text) || !modMain::SetParamsName(newFolder, carName) ||
        !modMain::SetParamsObtain(newFolder))
        made.result = Result::Failure(QStringLiteral("The new car was not finished."));
    else
        made.result = Result::Success();
    return made;
}

} // namespace modMakeCar
