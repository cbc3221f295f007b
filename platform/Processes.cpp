#include "platform/FileSystemInternal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace FileSystem {

namespace {

// The program a name without a separator stands for on the search path, as a shell finds
// it; empty when there is none.
bool Runnable(const QByteArray& path)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.constData(), X_OK) == 0;
}

QByteArray SearchPath(const QByteArray& program)
{
    const char* path = ::getenv("PATH");
    for (const QByteArray& folder : QByteArray(path ? path : "/usr/bin:/bin").split(':')) {
        const QByteArray candidate = (folder.isEmpty() ? QByteArray(".") : folder) + '/' + program;
        if (Runnable(candidate))
            return candidate;
    }
    return {};
}

// The program to start, looked up before anything is forked.
QByteArray ProgramPath(const QByteArray& program)
{
    if (program.contains('/'))
        return program;
    const QByteArray found = SearchPath(program);
    return found.isEmpty() ? program : found;
}

} // namespace

QString FindProgram(const QString& name)
{
    return Decode(SearchPath(Encode(name)));
}

bool IsProgram(const QString& path)
{
    return Runnable(Encode(path));
}

Result StartDetached(const QString& program, const QStringList& arguments,
                     const QString& workingFolder, const QStringList& environmentAdditions)
{
    if (program.isEmpty())
        return Failed(ENOENT);

    // Everything the child needs is made here: after fork only plain system calls are safe.
    const QByteArray path = ProgramPath(Encode(program));
    std::vector<QByteArray> argumentBytes{Encode(program)};
    for (const QString& argument : arguments)
        argumentBytes.push_back(Encode(argument));
    std::vector<char*> argv;
    for (QByteArray& a : argumentBytes)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<QByteArray> environmentBytes;
    for (const QString& addition : environmentAdditions)
        environmentBytes.push_back(Encode(addition));
    std::vector<char*> envp;
    for (char** e = environ; e && *e; ++e) {
        const char* eq = std::strchr(*e, '=');
        const size_t nameLength = eq ? size_t(eq - *e) : std::strlen(*e);
        bool replaced = false;
        for (const QByteArray& addition : environmentBytes)
            replaced = replaced || (size_t(addition.indexOf('=')) == nameLength &&
                                    std::strncmp(addition.constData(), *e, nameLength) == 0);
        if (!replaced)
            envp.push_back(*e);
    }
    for (QByteArray& addition : environmentBytes)
        envp.push_back(addition.data());
    envp.push_back(nullptr);
    const QByteArray folder = Encode(workingFolder);

    // The started program must outlive us and never become our zombie: a child starts it
    // and ends at once. A failed exec reports its errno through a pipe that a successful one
    // closes.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return Failed(errno);
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(report[0]);
        ::close(report[1]);
        return Failed(error);
    }
    if (child == 0) {
        // Each report is one int into an empty pipe, which always takes it; were it lost, the
        // start would be reported as made, which a child can do nothing about.
        ::close(report[0]);
        const pid_t grandchild = ::fork();
        if (grandchild != 0) {
            if (grandchild < 0) {
                const int error = errno;
                (void)!::write(report[1], &error, sizeof error);
            }
            ::_exit(0);
        }
        ::setsid();
        if (!folder.isEmpty() && ::chdir(folder.constData()) != 0) {
            const int error = errno;
            (void)!::write(report[1], &error, sizeof error);
            ::_exit(127);
        }
        ::execve(path.constData(), argv.data(), envp.data());
        const int error = errno;
        (void)!::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    while ((got = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    if (got == ssize_t(sizeof error))
        return Failed(error);
    return Result::Success();
}

} // namespace FileSystem
