#include "platform/FileSystemInternal.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace FileSystem {

FolderLock::FolderLock(const QString& path)
{
    mFd = ::open(SplitPath(Encode(path)).folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // Another instance holds it only while it saves; a wait of seconds means it is stuck.
    for (int attempt = 0; mFd >= 0 && attempt < 2000; ++attempt) {
        if (::flock(mFd, LOCK_EX | LOCK_NB) == 0 || (errno != EWOULDBLOCK && errno != EINTR))
            return;
        ::usleep(5000);
    }
    mGaveUp = mFd >= 0;
}

Result FolderLock::held() const
{
    return mGaveUp ? Result::Failure(QStringLiteral("another program kept its folder locked for "
                                                    "seconds"))
                   : Result::Success();
}

FolderLock::~FolderLock()
{
    if (mFd >= 0)
        ::close(mFd);
}

FolderHold::FolderHold(const QString& folder)
{
    mFd = ::open(Encode(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (mFd < 0)
        mReason = Reason(errno);
    tryAgain();
}

FolderHold::~FolderHold()
{
    if (mFd >= 0)
        ::close(mFd);
}

FolderHold::State FolderHold::tryAgain()
{
    if (mFd < 0 || mState == State::Held)
        return mState;
    int locked = -1;
    do
        locked = ::flock(mFd, LOCK_EX | LOCK_NB);
    while (locked != 0 && errno == EINTR);
    const int error = errno;
    mState = locked == 0 ? State::Held : error == EWOULDBLOCK ? State::Busy : State::Failed;
    if (mState == State::Failed)
        mReason = Reason(error);
    return mState;
}

} // namespace FileSystem
