#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The program's command line: "torvane FILE...", as the browser and the file manager open a
// downloaded car with it, and --help and --version. Qt's own options (-platform, -display,
// -style ...) are taken out by QApplication first; it knows no end of options, so it is shown
// only the arguments before "--".
namespace modCommandLine {

enum class Request { Run, Help, Version, UnknownOption };

struct Parsed
{
    Request request = Request::Run;
    // The files to install, each absolute, as the system names it (see FileSystem.h), in the
    // order given.
    QStringList files;
    QByteArray unknownOption; // the first one, as given
};

// argv from argv[1] on, byte for byte.
QList<QByteArray> Arguments(int argc, const char* const* argv);

// Options up to "--", everything after it a file. --help wins over --version, and both over an
// unknown option, so that they are answered before QApplication is made (without a display),
// while an option that may be Qt's is judged only once QApplication has taken its own out. An
// empty argument names no file and is passed over; a relative name is made absolute against
// the current folder, as the files may be handed to a Torvane started elsewhere.
Parsed Parse(const QList<QByteArray>& arguments);

// How many of argv (argv[0] included) QApplication may see: those before "--".
int ForQt(const QList<QByteArray>& arguments);
// Whether Qt's start may take the option as its own (-platform, --style=x, -qwindowtitle...):
// any other is unknown, and told before Qt starts, so even without a display.
bool QtMayTake(const QByteArray& option);
// What is left to parse once QApplication has taken its options out of the first qtArgc of
// argv: those left there, then "--" and the arguments after it as given.
QList<QByteArray> LeftByQt(int qtArgc, const char* const* argv, const QList<QByteArray>& given);

QString Usage();
// "Torvane 0.0.43".
QString Version();

// Prints the usage or the version on standard output, or an unknown option with the hint on
// standard error, and returns the exit status: 0, or 2 for an unknown option.
int Answer(const Parsed& parsed);

} // namespace modCommandLine
