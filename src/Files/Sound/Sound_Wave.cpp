#include "Sound/Sound_Wave.h"

#include <cstring>

namespace {

uint32_t Le32(const uint8_t* p) { return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24; }
uint16_t Le16(const uint8_t* p) { return (uint16_t)(p[0] | p[1] << 8); }

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; i++) out.push_back((uint8_t)(v >> (8 * i)));
}

void Put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back((uint8_t)v);
    out.push_back((uint8_t)(v >> 8));
}

constexpr uint16_t FORMAT_PCM = 1, FORMAT_EXTENSIBLE = 0xFFFE;
constexpr int RATE_MAX = 384000;

// The format chunk; false with the reason when it is not PCM the device plays.
bool ReadFormat(const uint8_t* p, uint32_t length, WaveInfo* out, const char** why)
{
    if (length < 16) return *why = "its format chunk is too short", false;
    uint16_t format = Le16(p);
    // The extensible form names its real format in the first two bytes of the sub-format GUID.
    if (format == FORMAT_EXTENSIBLE) {
        if (length < 40 || Le16(p + 16) < 22) return *why = "its extensible format chunk is too short", false;
        format = Le16(p + 24);
    }
    if (format != FORMAT_PCM) return *why = "it is not linear PCM", false;
    out->channels = Le16(p + 2);
    uint32_t rate = Le32(p + 4);
    out->bits = Le16(p + 14);
    if (out->channels != 1 && out->channels != 2) return *why = "it has neither one nor two channels", false;
    if (out->bits != 8 && out->bits != 16) return *why = "its samples are neither 8 nor 16 bits", false;
    if (rate < 1 || rate > RATE_MAX) return *why = "its sample rate is out of range", false;
    out->rate = (int)rate;
    return true;
}

}  // namespace

bool Wave_Read(const uint8_t* image, size_t size, WaveInfo* out, const char** why)
{
    *out = WaveInfo();
    if (!image || size < 12 || memcmp(image, "RIFF", 4) || memcmp(image + 8, "WAVE", 4))
        return *why = "it is not a RIFF WAVE image", false;
    // The RIFF size may overstate the image; the image's own end bounds every chunk.
    size_t end = size;
    uint64_t riff = (uint64_t)Le32(image + 4) + 8;
    if (riff < end) end = (size_t)riff;
    bool haveFormat = false;
    for (size_t pos = 12; pos + 8 <= end;) {
        const uint8_t* chunk = image + pos;
        uint32_t length = Le32(chunk + 4);
        if (length > end - pos - 8) return *why = "a chunk runs past the end of the image", false;
        if (!memcmp(chunk, "fmt ", 4)) {
            if (!ReadFormat(chunk + 8, length, out, why)) return false;
            haveFormat = true;
        } else if (!memcmp(chunk, "data", 4)) {
            if (!haveFormat) return *why = "its data comes before its format", false;
            size_t frame = (size_t)out->channels * (out->bits / 8);
            out->samples = chunk + 8;
            out->bytes = length - length % frame;
            if (out->bytes == 0) return *why = "it holds no samples", false;
            return true;
        }
        pos += 8 + (size_t)length + (length & 1);  // chunks are padded to even lengths
    }
    return *why = haveFormat ? "it has no data chunk" : "it has no format chunk", false;
}

std::vector<uint8_t> Wave_Canonical(const WaveInfo& wave)
{
    std::vector<uint8_t> out;
    out.reserve(44 + wave.bytes);
    uint16_t frame = (uint16_t)(wave.channels * (wave.bits / 8));
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Put32(out, (uint32_t)(36 + wave.bytes));
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(out, 16);
    Put16(out, FORMAT_PCM);
    Put16(out, (uint16_t)wave.channels);
    Put32(out, (uint32_t)wave.rate);
    Put32(out, (uint32_t)wave.rate * frame);
    Put16(out, frame);
    Put16(out, (uint16_t)wave.bits);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put32(out, (uint32_t)wave.bytes);
    out.insert(out.end(), wave.samples, wave.samples + wave.bytes);
    return out;
}

const uint8_t* Wave_Entry(const uint8_t* entry, size_t available, size_t* length)
{
    *length = 0;
    if (!entry || available < 4) return nullptr;
    uint32_t n = Le32(entry);
    if (n > available - 4) return nullptr;
    *length = n;
    return entry + 4;
}
