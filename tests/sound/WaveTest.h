// A fixture for tests that play through the sound engine and measure the recording: frames at
// 30 a second in real time, each with the audio tick, and the recording once the device closes.
#pragma once
#include "../unit/Sound/SoundGame.h"
#include "Recording.h"

#include <chrono>
#include <thread>

class WaveTest : public SoundGame {
protected:
    using Clock = std::chrono::steady_clock;

    bool Open(bool newAudio, const std::vector<SoundFile::Sound>& sounds, const std::vector<std::vector<uint8_t>>& entries)
    {
        bool ok = Load(newAudio, sounds, entries);
        start = next = Clock::now();
        return ok;
    }
    // Seconds since the device opened, as the recording counts them (less its latency).
    double Now() const { return std::chrono::duration<double>(Clock::now() - start).count(); }
    void Frames(int count)
    {
        for (int i = 0; i < count; i++) {
            Sound_Tick();
            next += std::chrono::microseconds(33333);
            std::this_thread::sleep_until(next);
        }
    }
    // Closes the device (which completes the file) and reads what it recorded.
    Recording Finish()
    {
        GameFile_Free();
        Sound_Free();
        Sound_Quit();
        Recording r;
        EXPECT_TRUE(r.Read(RecordingPath()));
        return r;
    }
    Clock::time_point start, next;
};
