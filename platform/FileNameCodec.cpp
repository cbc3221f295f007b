#include "platform/FileSystem.h"

#include "platform/Cp1252.h"

#include <QDir>

namespace FileSystem {

namespace {

constexpr char16_t kCarriedFirst = 0xDC80;
constexpr char16_t kCarriedLast = 0xDCFF;

bool IsCarried(char16_t c)
{
    return c >= kCarriedFirst && c <= kCarriedLast;
}

// The second half of a character beyond U+FFFF can take the same values as a carried byte
// (U+1F4A8 is D83D DCA8), and is not one.
bool IsCarriedAt(QStringView text, qsizetype i)
{
    return IsCarried(text[i].unicode()) && (i == 0 || !text[i - 1].isHighSurrogate());
}

// The length of the valid UTF-8 sequence at s, or 0 when the byte there starts none.
// Overlong forms, surrogates and code points above U+10FFFF are not valid.
int SequenceLength(const uchar* s, qsizetype left, char32_t* code)
{
    const uchar c = s[0];
    int length = 0;
    char32_t value = 0;
    uchar low = 0x80, high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        value = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        value = c & 0x0F;
        if (c == 0xE0)
            low = 0xA0;
        if (c == 0xED)
            high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        value = c & 0x07;
        if (c == 0xF0)
            low = 0x90;
        if (c == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (left < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        const uchar b = s[i];
        if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF))
            return 0;
        value = (value << 6) | (b & 0x3F);
    }
    *code = value;
    return length;
}

void AppendUtf8(QByteArray& out, char32_t c)
{
    if (c < 0x800) {
        out.append(char(0xC0 | (c >> 6)));
    } else if (c < 0x10000) {
        out.append(char(0xE0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
    } else {
        out.append(char(0xF0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3F)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
    }
    out.append(char(0x80 | (c & 0x3F)));
}

} // namespace

QByteArray Encode(QStringView path)
{
    qsizetype ascii = 0;
    while (ascii < path.size() && path[ascii].unicode() < 0x80)
        ++ascii;
    if (ascii == path.size())
        return path.toLatin1();
    QByteArray out;
    out.reserve(path.size() + 8);
    out.append(path.first(ascii).toLatin1());
    for (qsizetype i = ascii; i < path.size(); ++i) {
        const char16_t c = path[i].unicode();
        if (c < 0x80) {
            out.append(char(c));
        } else if (IsCarried(c)) {
            out.append(char(c - 0xDC00));
        } else if (QChar::isHighSurrogate(c) && i + 1 < path.size() &&
                   path[i + 1].isLowSurrogate()) {
            AppendUtf8(out, QChar::surrogateToUcs4(c, path[i + 1].unicode()));
            ++i;
        } else if (QChar::isSurrogate(c)) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

QString Decode(QByteArrayView bytes)
{
    const auto* s = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n && s[i] < 0x80)
        ++i;
    if (i == n)
        return QString::fromLatin1(bytes.data(), n);

    QString out = QString::fromLatin1(bytes.data(), i);
    out.reserve(n);
    while (i < n) {
        if (s[i] < 0x80) {
            out.append(QChar(s[i++]));
            continue;
        }
        char32_t code = 0;
        const int length = SequenceLength(s + i, n - i, &code);
        if (length == 0) {
            out.append(QChar(char16_t(0xDC00 + s[i++])));
            continue;
        }
        if (code >= 0x10000) {
            out.append(QChar(QChar::highSurrogate(code)));
            out.append(QChar(QChar::lowSurrogate(code)));
        } else {
            out.append(QChar(char16_t(code)));
        }
        i += length;
    }
    return out;
}

bool IsUtf8(QByteArrayView bytes)
{
    const auto* s = reinterpret_cast<const uchar*>(bytes.data());
    char32_t code = 0;
    for (qsizetype i = 0; i < bytes.size();) {
        if (s[i] < 0x80) {
            ++i;
            continue;
        }
        const int length = SequenceLength(s + i, bytes.size() - i, &code);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

bool CarriesBytes(QStringView name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (IsCarriedAt(name, i))
            return true;
    }
    return false;
}

QString Shown(const QString& name)
{
    qsizetype i = 0;
    while (i < name.size() && !IsCarriedAt(name, i))
        ++i;
    if (i == name.size())
        return name;
    QString shown = name;
    for (; i < shown.size(); ++i) {
        if (IsCarriedAt(name, i)) {
            const char byte = char(name[i].unicode() - 0xDC00);
            shown[i] = Cp1252::ToUnicode(QByteArrayView(&byte, 1)).at(0);
        }
    }
    return shown;
}

QString ForMessage(const QString& path)
{
    return QDir::toNativeSeparators(Shown(path));
}

} // namespace FileSystem
