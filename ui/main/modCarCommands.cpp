#include "ui/main/modCarCommands.h"

#include "app/cSettings.h"
#include "app/modGame.h"
#include "app/modMain.h"
#include "cars/cCar.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/Launcher.h"
#include "platform/MsgBox.h"

using modMain::gSettings;

namespace {

const QString kNoEditorTitle = QStringLiteral("No Editor Specified");

// A start that failed says why, in the launcher's words, which name what could not be started.
void ShowIfFailed(const Launcher::Result& started)
{
    if (!started.success())
        MsgBox::Show(started.message, MsgBox::Icon::Exclamation);
}

// An empty or missing editor gets the "No Editor Specified" message, any other failed start a
// message naming what could not be started.
void StartTextEditor(const QString& file)
{
    const QString editor = gSettings().TextEditorPath();
    if (editor.isEmpty() || !FileNames::EntryExists(editor)) {
        MsgBox::Show(
            QStringLiteral(
                "There is no text editor specified.  Go into Tools/Options and select one."),
            MsgBox::Icon::None, kNoEditorTitle);
        return;
    }
    ShowIfFailed(Launcher::StartProgram(editor, {file}));
}

} // namespace

namespace modCarCommands {

void EditCarFile(const cCar& car, const QString& name)
{
    StartTextEditor(FileNames::Resolve(car.FolderPath(), name));
}

void PaintSkin(const QString& carFolder)
{
    const QString editor = gSettings().ImageEditorPath();
    if (!FileNames::IsPlainFile(editor)) {
        MsgBox::Show(
            QStringLiteral(
                "There is no image editor specified.  Go into Tools/Options and select one."),
            MsgBox::Icon::None, kNoEditorTitle);
        return;
    }
    ShowIfFailed(
        Launcher::StartProgram(editor, {FileNames::Resolve(carFolder, QStringLiteral("car.bmp"))}));
}

void OpenCarFolder(const QString& carFolder)
{
    ShowIfFailed(Launcher::OpenFolder(carFolder));
}

void RunGame()
{
    ShowIfFailed(modGame::RunGame(gSettings().DrovakDir()));
}

bool ConfirmDelete(const cCar& car)
{
    if (car.Classified() == cCar::Classification::Original) {
        MsgBox::Show(QStringLiteral("This is an actual game car and cannot be deleted."),
                     MsgBox::Icon::Information, QStringLiteral("Cannot Delete"));
        return false;
    }
    const MsgBox::Answer answer = MsgBox::Show(
        QStringLiteral("Are you sure you want to delete '") +
            FileSystem::Shown(car.DirectoryName()) +
            QStringLiteral("'? All of its files will be ") + QStringLiteral("PERMANENTLY deleted!"),
        MsgBox::Icon::Question, QStringLiteral("Warning!"), MsgBox::Buttons::YesNo);
    return answer == MsgBox::Answer::Yes;
}

} // namespace modCarCommands
