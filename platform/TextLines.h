#pragma once

#include <QByteArrayView>
#include <QList>

// Lines of the game's 8-bit text files, ended as the game's platform ends them: by CR LF, by
// LF, or by a CR alone. The last line may have no end.
namespace TextLines {

// One line: its text runs from begin to contentEnd, its line end from contentEnd to end.
struct Line
{
    qsizetype begin = 0;
    qsizetype contentEnd = 0;
    qsizetype end = 0;
};

QList<Line> Split(QByteArrayView bytes);

} // namespace TextLines
