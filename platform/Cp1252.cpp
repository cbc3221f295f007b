#include "platform/Cp1252.h"

#include <QHash>

namespace Cp1252 {

namespace {

// Bytes 0x80 to 0x9F; the five bytes the code page leaves undefined map to the C1 control
// characters of the same value, as the game's platform maps them.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

const QHash<char16_t, char>& Reverse()
{
    static const QHash<char16_t, char> table = [] {
        QHash<char16_t, char> t;
        for (int i = 0; i < 32; ++i)
            t.insert(kHighControls[i], char(0x80 + i));
        return t;
    }();
    return table;
}

// -1 when the character has no byte in the code page. A byte that a file name carried from
// the system (U+DC80 + byte) is written as that byte.
int ByteOf(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int(c);
    if (c >= 0xDC80 && c <= 0xDCFF)
        return int(c - 0xDC00);
    if (c > 0xFFFF)
        return -1;
    auto it = Reverse().constFind(char16_t(c));
    return it == Reverse().constEnd() ? -1 : int(uchar(*it));
}

template <typename F> void ForEachCodePoint(QStringView text, F f)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        f(c);
    }
}

} // namespace

QString ToUnicode(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (char b : bytes) {
        const uchar u = uchar(b);
        *out++ = QChar(u >= 0x80 && u < 0xA0 ? kHighControls[u - 0x80] : char16_t(u));
    }
    return text;
}

QByteArray FromUnicode(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    ForEachCodePoint(text, [&](char32_t c) {
        const int b = ByteOf(c);
        bytes.append(b < 0 ? '?' : char(b));
    });
    return bytes;
}

bool CanEncode(QStringView text)
{
    bool ok = true;
    ForEachCodePoint(text, [&](char32_t c) { ok = ok && ByteOf(c) >= 0; });
    return ok;
}

} // namespace Cp1252
