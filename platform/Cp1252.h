#pragma once

#include <QByteArray>
#include <QString>

// The game's files are 8-bit text in Windows-1252. The conversion is done here rather than
// through a codec so that it does not depend on how Qt was built, and so that a character
// the code page cannot hold becomes "?" exactly as the game's platform writes it.
namespace Cp1252 {

QString ToUnicode(QByteArrayView bytes);
QByteArray FromUnicode(QStringView text);

// True when every character of text has a byte of its own in Windows-1252.
bool CanEncode(QStringView text);

} // namespace Cp1252
