// The checked reader of sound file images: the WAV and AU images of the game data file's AUDO
// chunk and of sound files. Nothing reaches the sound device before it has passed here: the
// device is given a canonical copy of what was read (linear PCM), never the bytes as they came.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// How an image holds its samples: little-endian linear PCM (8 bits unsigned, 16 signed), signed
// 8-bit or big-endian 16-bit PCM (AU), or 8-bit mu-law or A-law, which play as 16 bits.
enum class WaveEncoding { Linear, Signed8, Big16, MuLaw, ALaw };

// Why an image was refused, as the sound device reports it.
enum class WaveFailure { NotSound, Unsupported, Damaged };

// An image that was read: 1 or 2 channels, played as `bits` (8 or 16) bits a sample. `samples`
// points into the image and holds whole frames only.
struct WaveInfo {
    int channels = 0;
    int bits = 0;
    int rate = 0;
    WaveEncoding encoding = WaveEncoding::Linear;
    const uint8_t* samples = nullptr;
    size_t bytes = 0;
};

// Reads an image of `size` bytes: a RIFF WAVE image (a "fmt " chunk of PCM, the extensible form
// with a PCM sub-format, or mu-law, and a "data" chunk, every chunk inside the image) or an AU
// image (mu-law, A-law, 8 or 16-bit linear). False with the reason in *why (a fixed sentence) and
// its kind in *failure (when given) when the image is damaged or of a kind the runner does not play.
bool Wave_Read(const uint8_t* image, size_t size, WaveInfo* out, const char** why, WaveFailure* failure = nullptr);
// The bytes of one frame as the image holds it.
size_t Wave_FrameBytes(const WaveInfo& wave);
// A plain 44-byte-header WAV image of linear PCM of what was read.
std::vector<uint8_t> Wave_Canonical(const WaveInfo& wave);
// A length-prefixed entry (u32 length, then the bytes) at `entry` with `available` bytes from
// there to the end of its buffer: the bytes and their length, or null when the length runs past.
const uint8_t* Wave_Entry(const uint8_t* entry, size_t available, size_t* length);
