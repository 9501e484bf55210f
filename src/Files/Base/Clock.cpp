#include "Base/Clock.h"

#include <ctime>

namespace {

int64_t Microseconds(clockid_t id)
{
    timespec ts;
    clock_gettime(id, &ts);
    return (int64_t)ts.tv_sec * 1000000 + ts.tv_nsec / 1000;
}

bool started;
int64_t startTime;     // the game's start, in the game's time
int64_t runningFrom;   // the game's time when the monotonic clock read runningAt
int64_t runningAt;
bool standing;
int64_t standingAt;

// The time of a running clock: monotonic from the system's time at the start, so that a change of
// the system's clock during the game does not make it jump.
int64_t Running()
{
    if (!started) Clock_Start();
    return runningFrom + (Microseconds(CLOCK_MONOTONIC) - runningAt);
}

}  // namespace

void Clock_Start()
{
    started = true;
    standing = false;
    runningAt = Microseconds(CLOCK_MONOTONIC);
    startTime = runningFrom = Microseconds(CLOCK_REALTIME);
}

int64_t Clock_Now() { return standing ? standingAt : Running(); }

int64_t Clock_SinceStart() { return Clock_Now() - Clock_StartTime(); }

int64_t Clock_StartTime()
{
    if (!started) Clock_Start();
    return startTime;
}

int64_t Clock_Hold()
{
    standingAt = Running();
    standing = true;
    return standingAt;
}

void Clock_HoldAt(int64_t time)
{
    if (!started) Clock_Start();
    standingAt = time;
    standing = true;
}

void Clock_HoldFromStart(int64_t start)
{
    Clock_HoldAt(start);
    startTime = start;
}

void Clock_Run()
{
    if (!standing) return;
    runningFrom = standingAt;
    runningAt = Microseconds(CLOCK_MONOTONIC);
    standing = false;
}

bool Clock_Holds(int64_t time)
{
    constexpr int64_t first = -62167219200LL * 1000000, end = 253402300800LL * 1000000;  // 0000-01-01, 10000-01-01
    return time >= first && time < end;
}
