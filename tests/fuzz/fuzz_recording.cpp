// Plays arbitrary bytes back as an input recording: the file may be refused, but must never crash
// or hang, and a recording that is taken plays step by step to its end, its times read by the
// game's clock as a replayed game reads them.
#include "Base/Clock.h"
#include "Base/Console.h"
#include "IO/IO.h"
#include "IO/IO_Record.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TCaptureConsole quiet;
    Console_Warnings = &quiet;
    quiet.text.clear();
    static const std::string path = "/tmp/fuzz_recording_" + std::to_string(getpid());
    FILE* f = fopen(path.c_str(), "wbe");
    if (!f) abort();
    if (size && fwrite(data, 1, size, f) != size) abort();
    fclose(f);
    // The seeds were recorded by the game with id 777.
    if (IO_Playback_Start(path.c_str(), 777)) {
        int64_t start;
        bool timed = IO_Playback_StartTime(&start);
        if (timed) Clock_HoldFromStart(start);
        IO_ReplayValues values;
        size_t steps = 0;
        while (IO_Playback_Step(&values)) {
            IO_Start_Step();
            if (timed) Clock_HoldAt(values.value[IO_REPLAY_TIME]);
            Clock_SinceStart();
            if (++steps > size) abort();  // every step takes at least five bytes
        }
        if (IO_PlaybackActive()) abort();
        Clock_Run();
        Clock_SinceStart();
    }
    IO_Playback_Stop();
    unlink(path.c_str());
    return 0;
}
