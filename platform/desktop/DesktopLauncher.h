#pragma once

#include "platform/Launcher.h"

#include <QUrl>

// Opens folders and web pages in the desktop's own file manager and browser.
class DesktopLauncher : public Launcher::Backend
{
public:
    Launcher::Result startProgram(const QString& program, const QStringList& arguments,
                                  const QString& workingFolder,
                                  const QStringList& environment) override;
    Launcher::Result openFolder(const QString& folder) override;
    Launcher::Result openUrl(const QString& address) override;

    // The folder's address for the file manager, byte for byte.
    static QUrl FolderUrl(const QString& folder);
};
