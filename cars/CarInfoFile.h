#pragma once

#include <QString>

// carinfo.ini, the file in each car folder that names the car: the game reads it, the records
// load and save it, and a new car gets its own from these same names.
namespace CarInfoFile {

inline const QString kFileName = QStringLiteral("carinfo.ini");
inline const QString kSection = QStringLiteral("Zelmor Car Data");
inline const QString kName = QStringLiteral("Name");
inline const QString kAuthor = QStringLiteral("Author");
inline const QString kOriginalSkin = QStringLiteral("OriginalSkin");
inline const QString kDescription = QStringLiteral("Description");

} // namespace CarInfoFile
