#include "ui/main/modPackCommand.h"

#include "cars/modPackCar.h"
#include "platform/FileNames.h"
#include "platform/FileOpenBox.h"
#include "platform/FileSystem.h"
#include "platform/MsgBox.h"
#include "ui/main/ProgressBox.h"

namespace modPackCommand {

QString ProposedPath(const QString& carFolder)
{
    QString folder = FileSystem::DownloadsFolder();
    if (folder.isEmpty() || !FileSystem::StatusOf(folder).folder)
        folder = FileSystem::HomeFolder();
    const QString name = carFolder.mid(carFolder.lastIndexOf(FileSystem::Separator()) + 1);
    return FileNames::Join(folder, modPackCar::ProposedName(name));
}

void PackCar(QWidget* window, const QString& carFolder)
{
    const std::optional<QString> picked =
        FileOpenBox::ShowSave(ProposedPath(carFolder), kTitle, kFilter);
    if (!picked)
        return;
    QString target = *picked;
    // A name typed without the extension still makes a zip that the other player's tools know.
    if (!target.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive))
        target += QLatin1String(".zip");
    ProgressBox box(window, QStringLiteral("Packing..."));
    const modPackCar::Report report =
        modPackCar::Pack(carFolder, target, [&box](qint64 done, qint64 total) {
            return box.tell(QStringLiteral("Packing..."), total,
                            total > 0 ? int(done * 1000 / total) : -1);
        });
    if (report.text.isEmpty())
        return;
    MsgBox::Show(report.text, report.packed ? MsgBox::Icon::Information : MsgBox::Icon::Exclamation,
                 kTitle);
}

} // namespace modPackCommand
