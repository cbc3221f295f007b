#include "cars/modFolderNames.h"

#include "cars/install/InstallFolders.h"
#include "platform/Cp1252.h"

#include <QStringList>

namespace modFolderNames {

namespace {

// Windows keeps these out of every name; control characters too, below a blank.
constexpr QStringView kReserved = u":*?\"<>|";

// Windows drops a closing blank or dot, so the game asks for another name.
bool EndsBadly(QStringView name)
{
    return name.endsWith(QLatin1Char(' ')) || name.endsWith(QLatin1Char('.'));
}

// Only a size check for nearly every name: a scan asks this of every name in every car.
bool IsDeviceName(QStringView name)
{
    const QStringView base = name.left(name.indexOf(QLatin1Char('.'))).trimmed();
    if (base.size() == 3) {
        for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
            if (base.compare(QLatin1String(device), Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return base.size() == 4 &&
           (base.startsWith(QLatin1String("COM"), Qt::CaseInsensitive) ||
            base.startsWith(QLatin1String("LPT"), Qt::CaseInsensitive)) &&
           base[3] >= QLatin1Char('1') && base[3] <= QLatin1Char('9');
}

} // namespace

bool WindowsCanHold(QStringView name)
{
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || kReserved.contains(c))
            return false;
    }
    return !EndsBadly(name) && !IsDeviceName(name);
}

QString EntryNameFault(const QString& field, const QString& name)
{
    if (name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char('/')))
        return field + QStringLiteral(" may not contain \"\\\" or \"/\": it names one directory "
                                      "directly in the Drovak car directory.");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return field + QStringLiteral(" may not be \".\" or \"..\".");
    return {};
}

QString CharacterFault(const QString& field, const QString& name)
{
    for (const QChar c : name) {
        if (kReserved.contains(c))
            return field + QStringLiteral(" may not contain any of the characters : * ? \" < > |");
        if (c.category() == QChar::Other_Control)
            return field + QStringLiteral(" may not contain control characters such as a tab.");
    }
    return CodePageFault(field, name);
}

QString CodePageFault(const QString& field, const QString& text)
{
    if (Cp1252::CanEncode(text))
        return {};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QStringView c = QStringView(text).mid(i, length);
        if (!Cp1252::CanEncode(c))
            return field + QStringLiteral(" may not contain \"%1\": Drovak's files cannot hold "
                                          "that character.")
                               .arg(c);
        i += length - 1;
    }
    return {};
}

QString WindowsNameFault(const QString& name)
{
    if (EndsBadly(name))
        return QStringLiteral("The directory name may not end in a blank or a dot: Windows "
                              "cannot hold such a name.");
    if (IsDeviceName(name))
        return QStringLiteral("The directory name may not be \"%1\": Windows keeps that name for "
                              "a device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9), with any "
                              "extension.")
            .arg(name);
    return {};
}

QString FolderNameFault(const QString& name)
{
    const QString field = QStringLiteral("The directory name");
    QString fault = EntryNameFault(field, name);
    if (fault.isEmpty())
        fault = CharacterFault(field, name);
    if (fault.isEmpty())
        fault = WindowsNameFault(name);
    if (fault.isEmpty() && InstallFolders::IsUnpacking(name))
        fault = field + QStringLiteral(" may not begin with \"%1\": Torvane unpacks the cars it "
                                       "installs into folders of such names.")
                            .arg(InstallFolders::kPrefix);
    return fault;
}

} // namespace modFolderNames
