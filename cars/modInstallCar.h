#pragma once

#include <QString>
#include <QStringList>

#include <functional>

struct CarContext;

// Cars installed from the archives players download, or from car folders, into the cars
// folder: whole or not at all, never outside it, with names the game under Wine can open.
namespace modInstallCar {

// Told the bytes read of the source so far and its size; false cancels the install.
using Progress = std::function<bool(qint64 done, qint64 total)>;

struct Report
{
    QStringList installed; // the folder names that came, in the order of the sources
    QString text;          // one line for each car and each source that did not come, or why
    bool canceled = false;
};

// Installs each archive file or car folder of paths into the context's cars folder. A car of
// a name already there is replaced only when the player says so (asked through MsgBox), and a
// standard car never.
Report Install(const QStringList& paths, const CarContext& context, const Progress& progress = {});

} // namespace modInstallCar
