#include "Base/Timer.h"

#include <cerrno>
#include <ctime>
#include <sched.h>

void (*Timer_PumpHook)() = nullptr;

namespace {

int64_t MonotonicMicroseconds()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (int64_t)ts.tv_sec * 1000000 + ts.tv_nsec / 1000;
}

}  // namespace

int64_t Timer_GetMicroseconds()
{
    static const int64_t start = MonotonicMicroseconds();
    return MonotonicMicroseconds() - start;
}

void Timer_Sleep(int64_t microseconds)
{
    if (microseconds <= 0) return;
    if (microseconds > 3000000) microseconds = 3000000;
    int64_t target = Timer_GetMicroseconds() + microseconds;
    if (microseconds >= 2000) {
        int64_t ms = (microseconds - 1000) / 1000;
        timespec ts{(time_t)(ms / 1000), (long)(ms % 1000) * 1000000L};
        while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
        }
    }
    // Messages are pumped at least once, however late the sleep woke.
    for (;;) {
        if (Timer_PumpHook) Timer_PumpHook();
        if (Timer_GetMicroseconds() >= target) break;
        sched_yield();
    }
}
