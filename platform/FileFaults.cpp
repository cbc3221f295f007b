#include "platform/FileFaults.h"

#include "platform/FileSystemInternal.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace FileFaults {

namespace {

constexpr int kCalls = 4;
std::atomic<int> gMade[kCalls];
std::atomic<int> gFailAt[kCalls];
std::atomic<int> gError[kCalls];
std::atomic<bool> gOnward[kCalls];

// True when this call is the one to fail: errno is set for it.
bool Fails(Call call)
{
    const int i = int(call);
    const int made = ++gMade[i];
    const int failAt = gFailAt[i].load(std::memory_order_relaxed);
    if (failAt == 0 || made < failAt || (made > failAt && !gOnward[i]))
        return false;
    errno = gError[i];
    return true;
}

} // namespace

void Fail(Call call, int n, int error, bool onward)
{
    gOnward[int(call)] = onward;
    gMade[int(call)] = 0;
    gError[int(call)] = error;
    gFailAt[int(call)] = n;
}

int Made(Call call)
{
    return gMade[int(call)];
}

} // namespace FileFaults

namespace FileSystem::Disk {

using FileFaults::Call;

int fsync(int fd)
{
    return FileFaults::Fails(Call::Flush) ? -1 : ::fsync(fd);
}

int rename(const char* from, const char* to)
{
    return FileFaults::Fails(Call::Rename) ? -1 : ::rename(from, to);
}

int renameat(int fromFolder, const char* from, int toFolder, const char* to)
{
    return FileFaults::Fails(Call::Rename) ? -1 : ::renameat(fromFolder, from, toFolder, to);
}

int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned flags)
{
    return FileFaults::Fails(Call::Rename) ? -1
                                           : ::renameat2(fromFolder, from, toFolder, to, flags);
}

ssize_t write(int fd, const void* bytes, size_t size)
{
    return FileFaults::Fails(Call::Write) ? -1 : ::write(fd, bytes, size);
}

int unlinkat(int folder, const char* name, int flags)
{
    return FileFaults::Fails(Call::Remove) ? -1 : ::unlinkat(folder, name, flags);
}

} // namespace FileSystem::Disk
