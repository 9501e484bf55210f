#include "Recording.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

uint32_t Le32(const uint8_t* p) { return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24; }
uint16_t Le16(const uint8_t* p) { return (uint16_t)(p[0] | p[1] << 8); }

double Rms(const std::vector<float>& x, size_t from, size_t to)
{
    if (to <= from) return 0;
    double sum = 0;
    for (size_t i = from; i < to; i++) sum += (double)x[i] * x[i];
    return std::sqrt(sum / (double)(to - from));
}

}  // namespace

bool Recording::Read(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    left.clear();
    right.clear();
    if (b.size() < 12 || memcmp(b.data(), "RIFF", 4) || memcmp(b.data() + 8, "WAVE", 4)) return false;
    int channels = 0, bits = 0, format = 0;
    for (size_t pos = 12; pos + 8 <= b.size();) {
        uint32_t length = Le32(&b[pos + 4]);
        const uint8_t* body = &b[pos + 8];
        size_t available = b.size() - pos - 8;
        if (!memcmp(&b[pos], "fmt ", 4) && length >= 16) {
            format = Le16(body);
            if (format == 0xFFFE && length >= 26) format = Le16(body + 24);
            channels = Le16(body + 2);
            rate = (int)Le32(body + 4);
            bits = Le16(body + 14);
        } else if (!memcmp(&b[pos], "data", 4)) {
            size_t bytes = std::min<size_t>(length, available);
            int size = bits / 8;
            if (channels < 1 || channels > 2 || !((format == 3 && bits == 32) || (format == 1 && bits == 16))) return false;
            for (size_t i = 0; i + (size_t)(size * channels) <= bytes; i += (size_t)(size * channels)) {
                float v[2];
                for (int c = 0; c < channels; c++) {
                    const uint8_t* p = body + i + (size_t)(c * size);
                    if (format == 3) memcpy(&v[c], p, 4);
                    else v[c] = (float)(int16_t)Le16(p) / 32768.0f;
                }
                left.push_back(v[0]);
                right.push_back(channels == 2 ? v[1] : v[0]);
            }
            return rate > 0;
        }
        pos += 8 + (size_t)length + (length & 1);
    }
    return false;
}

size_t Recording::At(double seconds) const
{
    if (seconds <= 0) return 0;
    size_t i = (size_t)(seconds * rate);
    return std::min(i, left.size());
}

double Recording::RmsLeft(double from, double to) const { return ::Rms(left, At(from), At(to)); }
double Recording::RmsRight(double from, double to) const { return ::Rms(right, At(from), At(to)); }

double Recording::Rms(double from, double to) const
{
    double l = RmsLeft(from, to), r = RmsRight(from, to);
    return std::sqrt((l * l + r * r) / 2);
}

double Recording::Tone(double frequency, double from, double to) const
{
    size_t a = At(from), b = At(to);
    if (b <= a) return 0;
    double k = 2 * std::cos(2 * M_PI * frequency / rate), total = 0;
    for (const std::vector<float>* x : {&left, &right}) {
        double s1 = 0, s2 = 0;
        for (size_t i = a; i < b; i++) {
            double s = (*x)[i] + k * s1 - s2;
            s2 = s1;
            s1 = s;
        }
        double power = s1 * s1 + s2 * s2 - k * s1 * s2;
        total += 2 * std::sqrt(std::max(power, 0.0)) / (double)(b - a);
    }
    return total / 2;
}

double Recording::Frequency(double from, double to) const
{
    size_t a = At(from), b = At(to), first = 0, last = 0, crossings = 0;
    for (size_t i = a + 1; i < b; i++)
        if (left[i - 1] < 0 && left[i] >= 0) {
            if (crossings++ == 0) first = i;
            last = i;
        }
    return crossings > 1 ? (double)(crossings - 1) * rate / (double)(last - first) : 0;
}

double Recording::Onset(double level, double from) const
{
    for (size_t i = At(from); i < left.size(); i++)
        if (std::fabs(left[i]) > level || std::fabs(right[i]) > level) return (double)i / rate;
    return -1;
}

std::vector<std::pair<double, double>> Recording::Bursts(double level, double gap) const
{
    std::vector<std::pair<double, double>> bursts;
    const double step = 0.005;
    for (double t = 0; t + step <= Seconds(); t += step) {
        if (Rms(t, t + step) <= level) continue;
        if (!bursts.empty() && t - bursts.back().second < gap) bursts.back().second = t + step;
        else bursts.push_back({t, t + step});
    }
    return bursts;
}
