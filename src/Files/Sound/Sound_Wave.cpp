#include "Sound/Sound_Wave.h"

#include <cstring>

namespace {

uint32_t Le32(const uint8_t* p) { return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24; }
uint16_t Le16(const uint8_t* p) { return (uint16_t)(p[0] | p[1] << 8); }
uint32_t Be32(const uint8_t* p) { return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | (uint32_t)p[3]; }

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; i++) out.push_back((uint8_t)(v >> (8 * i)));
}

void Put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back((uint8_t)v);
    out.push_back((uint8_t)(v >> 8));
}

constexpr uint16_t FORMAT_PCM = 1, FORMAT_MULAW = 7, FORMAT_EXTENSIBLE = 0xFFFE;
constexpr uint32_t AU_MULAW = 1, AU_LINEAR_8 = 2, AU_LINEAR_16 = 3, AU_ALAW = 27;
constexpr size_t AU_HEADER = 24;
constexpr int RATE_MAX = 384000;

bool Fail(const char** why, WaveFailure* failure, const char* text, WaveFailure kind)
{
    *why = text;
    if (failure) *failure = kind;
    return false;
}

// Channels and rate as the device plays them.
bool CheckShape(uint32_t channels, uint32_t rate, const char** why, WaveFailure* failure)
{
    if (channels != 1 && channels != 2) return Fail(why, failure, "the sound has neither one nor two channels", WaveFailure::Unsupported);
    if (rate < 1 || rate > RATE_MAX) return Fail(why, failure, "the sample rate is out of range", WaveFailure::Unsupported);
    return true;
}

// The format chunk; false with the reason when it is not a format the device plays.
bool ReadFormat(const uint8_t* p, uint32_t length, WaveInfo* out, const char** why, WaveFailure* failure)
{
    if (length < 16) return Fail(why, failure, "the format chunk is too short", WaveFailure::Damaged);
    uint16_t format = Le16(p);
    // The extensible form names its real format in the first two bytes of the sub-format GUID.
    if (format == FORMAT_EXTENSIBLE) {
        if (length < 40 || Le16(p + 16) < 22) return Fail(why, failure, "the extensible format chunk is too short", WaveFailure::Damaged);
        format = Le16(p + 24);
    }
    int bits = Le16(p + 14);
    if (format == FORMAT_MULAW && bits == 8) {
        out->encoding = WaveEncoding::MuLaw;
        bits = 16;
    } else if (format != FORMAT_PCM) {
        return Fail(why, failure, "the samples are neither linear PCM nor mu-law", WaveFailure::Unsupported);
    }
    if (bits != 8 && bits != 16) return Fail(why, failure, "the samples are neither 8 nor 16 bits", WaveFailure::Unsupported);
    out->bits = bits;
    out->channels = Le16(p + 2);
    out->rate = (int)Le32(p + 4);
    return CheckShape(Le16(p + 2), Le32(p + 4), why, failure);
}

bool ReadWave(const uint8_t* image, size_t size, WaveInfo* out, const char** why, WaveFailure* failure)
{
    if (size < 12) return Fail(why, failure, "the RIFF header is too short", WaveFailure::Damaged);
    if (memcmp(image + 8, "WAVE", 4)) return Fail(why, failure, "the RIFF image is not a WAVE", WaveFailure::Unsupported);
    // The RIFF size may overstate the image; the image's own end bounds every chunk.
    size_t end = size;
    uint64_t riff = (uint64_t)Le32(image + 4) + 8;
    if (riff < end) end = (size_t)riff;
    bool haveFormat = false;
    for (size_t pos = 12; pos + 8 <= end;) {
        const uint8_t* chunk = image + pos;
        uint32_t length = Le32(chunk + 4);
        if (length > end - pos - 8) return Fail(why, failure, "a chunk runs past the end of the image", WaveFailure::Damaged);
        if (!memcmp(chunk, "fmt ", 4)) {
            if (!ReadFormat(chunk + 8, length, out, why, failure)) return false;
            haveFormat = true;
        } else if (!memcmp(chunk, "data", 4)) {
            if (!haveFormat) return Fail(why, failure, "the data comes before the format", WaveFailure::Damaged);
            out->samples = chunk + 8;
            out->bytes = length - length % Wave_FrameBytes(*out);
            if (out->bytes == 0) return Fail(why, failure, "the image holds no samples", WaveFailure::Damaged);
            return true;
        }
        pos += 8 + (size_t)length + (length & 1);  // chunks are padded to even lengths
    }
    return Fail(why, failure, haveFormat ? "the image has no data chunk" : "the image has no format chunk", WaveFailure::Damaged);
}

// An AU image: a big-endian header of magic, data offset, data length (all ones: up to the end),
// encoding, rate and channels.
bool ReadAu(const uint8_t* image, size_t size, WaveInfo* out, const char** why, WaveFailure* failure)
{
    if (size < AU_HEADER) return Fail(why, failure, "the AU header is too short", WaveFailure::Damaged);
    uint32_t offset = Be32(image + 4), length = Be32(image + 8), encoding = Be32(image + 12);
    if (offset < AU_HEADER || offset > size) return Fail(why, failure, "the AU data starts outside the image", WaveFailure::Damaged);
    if (length == 0xFFFFFFFFu) length = (uint32_t)(size - offset);
    if (length > size - offset) return Fail(why, failure, "the AU data runs past the end of the image", WaveFailure::Damaged);
    switch (encoding) {
    case AU_MULAW: out->encoding = WaveEncoding::MuLaw, out->bits = 16; break;
    case AU_ALAW: out->encoding = WaveEncoding::ALaw, out->bits = 16; break;
    case AU_LINEAR_8: out->encoding = WaveEncoding::Signed8, out->bits = 8; break;
    case AU_LINEAR_16: out->encoding = WaveEncoding::Big16, out->bits = 16; break;
    default: return Fail(why, failure, "the AU samples are neither mu-law, A-law, nor 8 or 16-bit linear PCM", WaveFailure::Unsupported);
    }
    if (!CheckShape(Be32(image + 20), Be32(image + 16), why, failure)) return false;
    out->channels = (int)Be32(image + 20);
    out->rate = (int)Be32(image + 16);
    out->samples = image + offset;
    out->bytes = length - length % Wave_FrameBytes(*out);
    if (out->bytes == 0) return Fail(why, failure, "the image holds no samples", WaveFailure::Damaged);
    return true;
}

// The G.711 expansions.
int16_t FromMuLaw(uint8_t u)
{
    u = (uint8_t)~u;
    int t = (((u & 0x0F) << 3) + 0x84) << ((u & 0x70) >> 4);
    return (int16_t)((u & 0x80) ? 0x84 - t : t - 0x84);
}

int16_t FromALaw(uint8_t a)
{
    a ^= 0x55;
    int t = (a & 0x0F) << 4, segment = (a & 0x70) >> 4;
    t += segment == 0 ? 8 : 0x108;
    if (segment > 1) t <<= segment - 1;
    return (int16_t)((a & 0x80) ? t : -t);
}

}  // namespace

bool Wave_Read(const uint8_t* image, size_t size, WaveInfo* out, const char** why, WaveFailure* failure)
{
    *out = WaveInfo();
    bool read = false;
    if (image && size >= 4 && !memcmp(image, "RIFF", 4)) read = ReadWave(image, size, out, why, failure);
    else if (image && size >= 4 && !memcmp(image, ".snd", 4)) read = ReadAu(image, size, out, why, failure);
    else return Fail(why, failure, "the image is neither WAV nor AU", WaveFailure::NotSound);
    if (!read) *out = WaveInfo();
    return read;
}

size_t Wave_FrameBytes(const WaveInfo& wave)
{
    size_t sample = wave.encoding == WaveEncoding::Linear ? (size_t)wave.bits / 8 : wave.encoding == WaveEncoding::Big16 ? 2 : 1;
    return (size_t)wave.channels * sample;
}

std::vector<uint8_t> Wave_Canonical(const WaveInfo& wave)
{
    size_t samples = wave.bytes / (Wave_FrameBytes(wave) / (size_t)wave.channels);
    size_t bytes = samples * (size_t)(wave.bits / 8);
    std::vector<uint8_t> out;
    out.reserve(44 + bytes);
    uint16_t frame = (uint16_t)(wave.channels * (wave.bits / 8));
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Put32(out, (uint32_t)(36 + bytes));
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(out, 16);
    Put16(out, FORMAT_PCM);
    Put16(out, (uint16_t)wave.channels);
    Put32(out, (uint32_t)wave.rate);
    Put32(out, (uint32_t)wave.rate * frame);
    Put16(out, frame);
    Put16(out, (uint16_t)wave.bits);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put32(out, (uint32_t)bytes);
    const uint8_t* in = wave.samples;
    switch (wave.encoding) {
    case WaveEncoding::Linear: out.insert(out.end(), in, in + wave.bytes); break;
    case WaveEncoding::Signed8:
        for (size_t i = 0; i < samples; i++) out.push_back((uint8_t)(in[i] ^ 0x80));
        break;
    case WaveEncoding::Big16:
        for (size_t i = 0; i < samples; i++) Put16(out, (uint16_t)(in[2 * i] << 8 | in[2 * i + 1]));
        break;
    case WaveEncoding::MuLaw:
        for (size_t i = 0; i < samples; i++) Put16(out, (uint16_t)FromMuLaw(in[i]));
        break;
    case WaveEncoding::ALaw:
        for (size_t i = 0; i < samples; i++) Put16(out, (uint16_t)FromALaw(in[i]));
        break;
    }
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
