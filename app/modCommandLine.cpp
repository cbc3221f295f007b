#include "app/modCommandLine.h"

#include "app/Version.h"
#include "platform/FileSystem.h"

#include <cstdio>

namespace modCommandLine {

namespace {

const QByteArray kEndOfOptions = QByteArrayLiteral("--");

void Print(std::FILE* stream, const QByteArray& text)
{
    std::fwrite(text.constData(), 1, size_t(text.size()), stream);
    std::fflush(stream);
}

// "-" alone is a name, as the shells' own tools read it; only a name given after "--" may
// begin with "-" otherwise.
bool IsOption(const QByteArray& argument)
{
    return argument.size() > 1 && argument.startsWith('-');
}

} // namespace

QList<QByteArray> Arguments(int argc, const char* const* argv)
{
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    return arguments;
}

Parsed Parse(const QList<QByteArray>& arguments)
{
    Parsed parsed;
    bool help = false, version = false, options = true;
    // From the system, not from Qt: the name of the current folder may hold a byte that is not
    // UTF-8 too.
    const QString current = FileSystem::CurrentFolder();
    for (const QByteArray& argument : arguments) {
        if (options && argument == kEndOfOptions) {
            options = false;
        } else if (options && IsOption(argument)) {
            if (argument == "--help" || argument == "-h")
                help = true;
            else if (argument == "--version")
                version = true;
            else if (parsed.unknownOption.isEmpty() && !QtMayTake(argument))
                parsed.unknownOption = argument;
        } else if (!argument.isEmpty()) {
            const QString name = FileSystem::Decode(argument);
            parsed.files.append(
                name.startsWith(QLatin1Char('/')) ? name : current + QLatin1Char('/') + name);
        }
    }
    parsed.request = help                             ? Request::Help
                     : version                        ? Request::Version
                     : parsed.unknownOption.isEmpty() ? Request::Run
                                                      : Request::UnknownOption;
    return parsed;
}

int ForQt(const QList<QByteArray>& arguments)
{
    const qsizetype end = arguments.indexOf(kEndOfOptions);
    return 1 + int(end < 0 ? arguments.size() : end);
}

bool QtMayTake(const QByteArray& option)
{
    // The options Qt 6.4 removes from the arguments, with one dash or two, some with "=value".
    static const QList<QByteArray> kQt = {
        "platform", "display",     "style",  "stylesheet", "reverse",       "session",
        "name",     "title",       "visual", "geometry",   "platformtheme", "platformpluginpath",
        "plugin",   "widgetcount", "nograb", "dograb",     "testability",   "qmljsdebugger"};
    QByteArray name = option.mid(option.startsWith("--") ? 2 : 1);
    name.truncate(name.indexOf('=') < 0 ? name.size() : name.indexOf('='));
    return name.startsWith("qwindow") || kQt.contains(name);
}

QList<QByteArray> LeftByQt(int qtArgc, const char* const* argv, const QList<QByteArray>& given)
{
    const qsizetype end = given.indexOf(kEndOfOptions);
    return Arguments(qtArgc, argv) + (end < 0 ? QList<QByteArray>() : given.mid(end));
}

QString Usage()
{
    return QStringLiteral(
        "Usage: torvane [OPTION]... [FILE]...\n"
        "Lists, edits and installs the cars of the racing game Drovak. Each FILE, a car archive\n"
        "(.zip, .7z, .rar, .tar) or a car folder, is installed as if dropped on the window.\n"
        "While Torvane runs from the same program folder, the files are handed to it and its\n"
        "window comes to the front; no second window opens.\n"
        "\n"
        "  -h, --help     show this help and end\n"
        "      --version  show the version and end\n"
        "  --             every argument after it is a FILE, even one beginning with -\n"
        "\n"
        "Qt's own options, such as -platform NAME, -display DISPLAY and -style STYLE, work too.\n");
}

QString Version()
{
    return QStringLiteral("Torvane %1.%2.%3")
        .arg(TORVANE_VERSION_MAJOR)
        .arg(TORVANE_VERSION_MINOR)
        .arg(TORVANE_VERSION_PATCH);
}

int Answer(const Parsed& parsed)
{
    switch (parsed.request) {
    case Request::Help:
        Print(stdout, Usage().toUtf8());
        return 0;
    case Request::Version:
        Print(stdout, Version().toUtf8() + '\n');
        return 0;
    case Request::UnknownOption:
        Print(stderr, "torvane: unknown option '" + parsed.unknownOption +
                          "'\nTry 'torvane --help' for more information.\n");
        return 2;
    case Request::Run:
        break;
    }
    return 0;
}

} // namespace modCommandLine
