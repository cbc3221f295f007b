#pragma once

#include <QString>

class QWidget;

// A custom car packed into a zip for another player: where to save it asked in the file box, a
// progress box over the window while a large car is packed, and one message on how it went.
namespace modPackCommand {

inline const QString kTitle = QStringLiteral("Pack Car");
inline const QString kFilter = QStringLiteral("Zip archives (*.zip)");

// Where the box proposes to save the car folder's zip: in Downloads where it is there, else in
// the home folder.
QString ProposedPath(const QString& carFolder);

void PackCar(QWidget* window, const QString& carFolder);

} // namespace modPackCommand
