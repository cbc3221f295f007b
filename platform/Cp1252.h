#pragma once

#include <QByteArray>
#include <QString>

#include <algorithm>

// The game's files are 8-bit text in Windows-1252. The conversion is done here rather than
// through a codec so that it does not depend on how Qt was built, and so that a character
// the code page cannot hold becomes "?" exactly as the game's platform writes it.
namespace Cp1252 {

QString ToUnicode(QByteArrayView bytes);
QByteArray FromUnicode(QStringView text);

// True when every character of text has a byte of its own in Windows-1252.
bool CanEncode(QStringView text);

// ASCII reads the same in Windows-1252, UTF-8 and the file names of every platform, so text
// that stays within it needs none of the slower comparisons and conversions.
inline bool IsAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}
inline bool IsAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

} // namespace Cp1252
