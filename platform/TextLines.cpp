#include "platform/TextLines.h"

namespace TextLines {

QList<Line> Split(QByteArrayView bytes)
{
    QList<Line> lines;
    const qsizetype n = bytes.size();
    lines.reserve(bytes.count('\n') + 1);
    qsizetype begin = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        qsizetype end = i + 1;
        if (c == '\r' && end < n && bytes[end] == '\n')
            ++end;
        lines.append({begin, i, end});
        begin = end;
        i = end - 1;
    }
    if (begin < n)
        lines.append({begin, n, n});
    return lines;
}

} // namespace TextLines
