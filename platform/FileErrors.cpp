#include "platform/FileSystemInternal.h"

#include <cstring>
#include <sys/stat.h>

namespace FileSystem {

QString Reason(int error)
{
    char buffer[256];
    // The GNU form returns the text, which may or may not be the buffer.
    return QString::fromLocal8Bit(::strerror_r(error, buffer, sizeof buffer));
}

Result Failed(int error)
{
    return Result::Failure(Reason(error));
}

Result Failed(const QString& text)
{
    return Result::Failure(text);
}

QString NotPlainReason(mode_t mode)
{
    return S_ISDIR(mode) ? QStringLiteral("it is a folder")
                         : QStringLiteral("it is not a plain file");
}

} // namespace FileSystem
