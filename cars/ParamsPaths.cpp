#include "cars/ParamsPaths.h"

#include "platform/Cp1252.h"
#include "platform/FileNames.h"

namespace ParamsPaths {

namespace {

bool IsSeparator(QChar c)
{
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
}

bool IsLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

// value as a path from the game folder; false when it names no file to check.
bool Parse(Path& path)
{
    const QString& value = path.value;
    if (!value.contains(QLatin1Char('\\')) || IsSeparator(value[0]) ||
        (value.size() > 1 && value[1] == QLatin1Char(':')))
        return false;
    for (qsizetype at = 0; at <= value.size();) {
        qsizetype end = at;
        while (end < value.size() && !IsSeparator(value[end]))
            ++end;
        const QStringView name = QStringView(value).sliced(at, end - at);
        if (name == QLatin1String("..")) {
            if (path.names.isEmpty())
                return false;
            path.names.removeLast();
        } else if (!name.isEmpty() && name != QLatin1String(".")) {
            path.names.append({at, end - at});
        }
        at = end + 1;
    }
    return true;
}

} // namespace

QList<Path> Paths(QByteArrayView text)
{
    QList<Path> paths;
    for (qsizetype open = 0; (open = text.indexOf('"', open)) >= 0;) {
        qsizetype close = open + 1;
        while (close < text.size() && text[close] != '"' && !IsLineEnd(text[close]))
            ++close;
        if (close >= text.size())
            break;
        if (text[close] != '"') { // no pair on this line: the next one starts afresh
            open = close;
            continue;
        }
        const QByteArrayView bytes = text.sliced(open + 1, close - open - 1);
        open = close + 1;
        // Nearly every value is a number or a name: only one with a backslash is read further.
        if (!bytes.contains('\\'))
            continue;
        Path path{open - bytes.size() - 1, Cp1252::ToUnicode(bytes), {}};
        if (Parse(path))
            paths.append(std::move(path));
    }
    return paths;
}

QString Key(QStringView name)
{
    if (FileSystem::CarriesBytes(name))
        return {};
    return FileNames::Folded(name.toString());
}

const FileSystem::Entry* Find(const QList<FileSystem::Entry>& entries, QStringView name)
{
    const FileSystem::Entry* match = nullptr;
    for (const FileSystem::Entry& entry : entries) {
        if (entry.name == name)
            return &entry;
        // A carried byte (U+DC80 + byte) has no letter case and stands for no character of a
        // value read from Windows-1252, so such a name never matches.
        if (!match && QStringView(entry.name).compare(name, Qt::CaseInsensitive) == 0)
            match = &entry;
    }
    return match;
}

} // namespace ParamsPaths
