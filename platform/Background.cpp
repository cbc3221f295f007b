#include "platform/Background.h"

#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace Background {

namespace {

// From the system's ioprio header, which the C library does not carry.
constexpr int kWhoProcess = 1; // with 0 for the id: the calling thread
constexpr int kClassIdle = 3;
constexpr int kClassShift = 13;

} // namespace

void LowerThisThread()
{
    const sched_param none{};
    (void)pthread_setschedparam(pthread_self(), SCHED_IDLE, &none);
    (void)syscall(SYS_ioprio_set, kWhoProcess, 0, kClassIdle << kClassShift);
}

} // namespace Background
