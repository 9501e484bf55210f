// The checked reader of sound file images: the WAV images of the game data file's AUDO chunk and
// of sound files. Nothing reaches the sound device before it has passed here: the device is given
// a canonical copy of what was read, never the bytes as they came.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// A WAV image that was read: linear PCM of 8 or 16 bits, 1 or 2 channels. `samples` points into
// the image and holds whole frames only.
struct WaveInfo {
    int channels = 0;
    int bits = 0;
    int rate = 0;
    const uint8_t* samples = nullptr;
    size_t bytes = 0;
};

// Reads a RIFF WAVE image of `size` bytes: a "fmt " chunk (plain PCM, or the extensible form
// with a PCM sub-format) and a "data" chunk, every chunk inside the image. False with the reason
// in *why (a fixed text) when the image is damaged or of a kind the runner does not play.
bool Wave_Read(const uint8_t* image, size_t size, WaveInfo* out, const char** why);
// A plain 44-byte-header WAV image of what was read.
std::vector<uint8_t> Wave_Canonical(const WaveInfo& wave);
// A length-prefixed entry (u32 length, then the bytes) at `entry` with `available` bytes from
// there to the end of its buffer: the bytes and their length, or null when the length runs past.
const uint8_t* Wave_Entry(const uint8_t* entry, size_t available, size_t* length);
