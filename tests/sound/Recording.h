// What the wave back end recorded, and measures of it: levels, a tone's strength, the balance of
// the two channels and where sound begins.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

struct Recording {
    int rate = 0;
    std::vector<float> left, right;  // a mono recording has the same samples in both

    // Reads a WAV file of 32-bit float or 16-bit PCM samples (one or two channels); false when
    // it is not one.
    bool Read(const std::string& path);
    double Seconds() const { return rate ? (double)left.size() / rate : 0; }
    size_t At(double seconds) const;
    // Root mean square of both channels over [from, to) seconds.
    double Rms(double from, double to) const;
    double RmsLeft(double from, double to) const;
    double RmsRight(double from, double to) const;
    // The amplitude of the frequency over [from, to) seconds (a Goertzel filter on both channels).
    double Tone(double frequency, double from, double to) const;
    // The frequency, from rising zero crossings of the left channel over [from, to) seconds.
    double Frequency(double from, double to) const;
    // The first time at or after `from` where a sample exceeds the level, or -1.
    double Onset(double level, double from = 0) const;
    // The stretches [start, end) in seconds where the level (over 5 ms steps) exceeds `level`,
    // joining those less than `gap` seconds apart. They come from the recording alone: a busy
    // machine may shift sounds against the clock, never within themselves.
    std::vector<std::pair<double, double>> Bursts(double level, double gap = 0.03) const;
};

// The recording file that this process's OpenAL writes (set up by the tests' main).
const std::string& RecordingPath();
