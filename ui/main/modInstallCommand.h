#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// Installing cars from the window: the archive picked in the file-open box or the archives and
// car folders dropped on the window, a progress box while a large one unpacks, and one message
// on what came.
namespace modInstallCommand {

inline const QString kFilter =
    QStringLiteral("Car archives (*.zip *.7z *.rar *.tar *.tar.gz *.tgz *.tar.xz)");

// The archive the player picks, or nothing when they cancel.
QStringList PickArchive();

// Installs paths, then tells the player what came and what did not. Returns the folder name of
// the first car installed, or an empty text.
QString Install(QWidget* window, const QStringList& paths);

// Files and folders dropped on window go to install.
void AcceptDrops(QWidget* window, std::function<void(const QStringList&)> install);

} // namespace modInstallCommand
