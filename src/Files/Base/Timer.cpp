#include "Base/Timer.h"
#include "Base/Stop.h"

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
    int64_t start = Timer_GetMicroseconds(), target = start + microseconds;
    if (microseconds >= 2000) {
        // In slices of at most 100 ms, so that a stop signal (which may come to another thread)
        // ends the wait soon.
        int64_t wake = start + (microseconds - 1000) / 1000 * 1000;
        for (int64_t left; !Stop_Requested() && (left = wake - Timer_GetMicroseconds()) > 0;) {
            if (left > 100000) left = 100000;
            timespec ts{0, (long)left * 1000L};
            nanosleep(&ts, nullptr);
        }
    }
    // Messages are pumped at least once, however late the sleep woke.
    for (;;) {
        if (Timer_PumpHook) Timer_PumpHook();
        if (Timer_GetMicroseconds() >= target || Stop_Requested()) break;
        sched_yield();
    }
}
