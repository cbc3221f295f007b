#include "cars/install/Arrivals.h"

#include "cars/install/InstallPlan.h"
#include "cars/install/InstalledCars.h"
#include "cars/modFolderNames.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/MsgBox.h"

#include <QSet>

namespace Arrivals {

namespace {

QString Quoted(const QString& name)
{
    return QLatin1Char('\'') + FileSystem::Shown(name) + QLatin1Char('\'');
}

} // namespace

QList<Arrival> Wanted(const InstallPlan& plan, const QString& sourceName, const InstalledCars& cars,
                      const QString& carsFolder, QStringList* lines)
{
    QList<Arrival> arrivals;
    QSet<QString> taken;
    for (int i = 0; i < plan.cars().size(); ++i) {
        const QString name = plan.cars()[i].folderName;
        const QString key = FileNames::NameKey(name);
        const QString car = QStringLiteral("%1 from %2").arg(Quoted(name), Quoted(sourceName));
        if (const QString fault = modFolderNames::FolderNameFault(name); !fault.isEmpty()) {
            lines->append(QStringLiteral("Skipped %1: %2").arg(car, fault));
            continue;
        }
        if (taken.contains(key)) {
            lines->append(
                QStringLiteral("Skipped %1: a car of that name came with it already.").arg(car));
            continue;
        }
        Arrival arrival{i, name, {}, {}};
        if (const FileSystem::Entry* there = cars.find(name)) {
            if (!there->isDir) {
                lines->append(
                    QStringLiteral("Skipped %1: a file of that name is in the cars folder.")
                        .arg(car));
                continue;
            }
            if (cars.isStandard(there->name)) {
                lines->append(QStringLiteral("Skipped %1: %2 is a standard car of the game, which "
                                             "is never replaced.")
                                  .arg(car, Quoted(there->name)));
                continue;
            }
            // Known before the question, which says where the installed car goes.
            arrival.trash = FileSystem::TrashFor(FileNames::Join(carsFolder, there->name));
            const MsgBox::Answer answer =
                MsgBox::Show(QStringLiteral("A car named '%1' is already installed. Replace it? %2")
                                 .arg(FileSystem::Shown(there->name),
                                      arrival.trash.isEmpty()
                                          ? QStringLiteral("Its files will be PERMANENTLY deleted!")
                                          : QStringLiteral("The installed car goes to the Trash.")),
                             MsgBox::Icon::Question, QString(), MsgBox::Buttons::YesNo);
            if (answer != MsgBox::Answer::Yes) {
                lines->append(QStringLiteral("Skipped %1: the installed car was kept.").arg(car));
                continue;
            }
            arrival.folderName = there->name;
            arrival.replacing = there->name;
        }
        taken.insert(key);
        arrivals.append(arrival);
    }
    return arrivals;
}

} // namespace Arrivals
