#include "platform/Background.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace Background {

namespace {

// The lowest share short of none: work that only waits for an idle processor or disk would not
// move at all on a machine busy with something else, the game for one.
constexpr int kNicest = 19;
// From the system's ioprio header, which the C library does not carry.
constexpr int kWhoProcess = 1; // with 0 for the id: the calling thread
constexpr int kClassBestEffort = 2;
constexpr int kLowestLevel = 7;
constexpr int kClassShift = 13;

} // namespace

void LowerThisThread()
{
    // A thread of its own is a process to these calls.
    (void)setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), kNicest);
    (void)syscall(SYS_ioprio_set, kWhoProcess, 0, kClassBestEffort << kClassShift | kLowestLevel);
}

} // namespace Background
