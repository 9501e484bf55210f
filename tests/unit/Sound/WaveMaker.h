// WAV images made by the tests: sine tones as 16-bit (or 8-bit) PCM.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

namespace WaveMaker {

inline void Put(std::vector<uint8_t>& b, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; i++) b.push_back((uint8_t)(v >> (8 * i)));
}

// A RIFF WAVE image: the format chunk (tag 1 plain PCM) and the data chunk of the samples given.
inline std::vector<uint8_t> Image(const std::vector<uint8_t>& data, int channels, int bits, int rate)
{
    std::vector<uint8_t> b = {'R', 'I', 'F', 'F'};
    Put(b, (uint32_t)(36 + data.size()), 4);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put(b, 16, 4);
    Put(b, 1, 2);
    Put(b, (uint32_t)channels, 2);
    Put(b, (uint32_t)rate, 4);
    Put(b, (uint32_t)(rate * channels * bits / 8), 4);
    Put(b, (uint32_t)(channels * bits / 8), 2);
    Put(b, (uint32_t)bits, 2);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    Put(b, (uint32_t)data.size(), 4);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

// A tone of `frequency` Hz (0: silence) at `amplitude` (1 = full scale), 16-bit, on every channel.
inline std::vector<uint8_t> Tone(double frequency, double seconds, int channels = 1, int rate = 44100, double amplitude = 0.5)
{
    std::vector<uint8_t> data;
    int frames = (int)(seconds * rate);
    for (int i = 0; i < frames; i++) {
        int16_t v = (int16_t)std::lrint(amplitude * 32767 * std::sin(2 * M_PI * frequency * i / rate));
        for (int c = 0; c < channels; c++) Put(data, (uint16_t)v, 2);
    }
    return Image(data, channels, 16, rate);
}

}  // namespace WaveMaker
