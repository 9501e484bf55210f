// tone OUT FREQUENCY SECONDS [CHANNELS [RATE [AMPLITUDE]]]: writes a sine tone. OUT ending in
// ".mp3" is an MP3 file (stereo is the tone on both channels), anything else a 16-bit PCM WAV
// file. A frequency of 0 writes silence.
#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Put(std::vector<uint8_t>& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; i++) out.push_back((uint8_t)(v >> (8 * i)));
}

std::vector<uint8_t> Wav(const std::vector<int16_t>& pcm, int channels, int rate)
{
    std::vector<uint8_t> out;
    uint32_t data = (uint32_t)(pcm.size() * 2);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Put(out, 36 + data, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put(out, 16, 4);
    Put(out, 1, 2);
    Put(out, (uint32_t)channels, 2);
    Put(out, (uint32_t)rate, 4);
    Put(out, (uint32_t)(rate * channels * 2), 4);
    Put(out, (uint32_t)(channels * 2), 2);
    Put(out, 16, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put(out, data, 4);
    for (int16_t s : pcm) Put(out, (uint16_t)s, 2);
    return out;
}

std::vector<uint8_t> Mp3(const std::vector<int16_t>& pcm, int channels, int rate)
{
    lame_global_flags* lame = lame_init();
    lame_set_num_channels(lame, channels);
    lame_set_in_samplerate(lame, rate);
    lame_set_out_samplerate(lame, rate);
    lame_set_mode(lame, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_brate(lame, 128);
    lame_set_quality(lame, 5);
    // An Info frame first, with the encoder's delay and padding, so that decoders know the exact length.
    lame_set_bWriteVbrTag(lame, 1);
    std::vector<uint8_t> out;
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return out;
    }
    int frames = (int)(pcm.size() / (size_t)channels);
    std::vector<uint8_t> chunk((size_t)(1.25 * frames + 7200) + 7200);
    std::vector<int16_t> pcmCopy = pcm;
    int n = channels == 2 ? lame_encode_buffer_interleaved(lame, pcmCopy.data(), frames, chunk.data(), (int)chunk.size())
                          : lame_encode_buffer(lame, pcmCopy.data(), pcmCopy.data(), frames, chunk.data(), (int)chunk.size());
    if (n > 0) out.insert(out.end(), chunk.begin(), chunk.begin() + n);
    n = lame_encode_flush(lame, chunk.data(), (int)chunk.size());
    if (n > 0) out.insert(out.end(), chunk.begin(), chunk.begin() + n);
    size_t tag = lame_get_lametag_frame(lame, chunk.data(), chunk.size());
    if (tag > 0 && tag <= out.size()) std::copy(chunk.begin(), chunk.begin() + (long)tag, out.begin());
    lame_close(lame);
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4 || argc > 7) {
        fprintf(stderr, "usage: tone OUT FREQUENCY SECONDS [CHANNELS [RATE [AMPLITUDE]]]\n");
        return 2;
    }
    std::string path = argv[1];
    double frequency = atof(argv[2]), seconds = atof(argv[3]);
    int channels = argc > 4 ? atoi(argv[4]) : 1, rate = argc > 5 ? atoi(argv[5]) : 44100;
    double amplitude = argc > 6 ? atof(argv[6]) : 0.5;
    if (channels < 1 || channels > 2 || rate < 8000 || rate > 96000 || !(seconds > 0 && seconds <= 600) || !(frequency >= 0)) {
        fprintf(stderr, "tone: a value is out of range\n");
        return 2;
    }
    size_t frames = (size_t)(seconds * rate);
    std::vector<int16_t> pcm(frames * (size_t)channels);
    for (size_t i = 0; i < frames; i++) {
        double v = amplitude * sin(2 * M_PI * frequency * (double)i / rate);
        for (int c = 0; c < channels; c++) pcm[i * (size_t)channels + (size_t)c] = (int16_t)lrint(v * 32767);
    }
    bool mp3 = path.size() > 4 && path.compare(path.size() - 4, 4, ".mp3") == 0;
    std::vector<uint8_t> bytes = mp3 ? Mp3(pcm, channels, rate) : Wav(pcm, channels, rate);
    FILE* f = fopen(path.c_str(), "wb");
    if (bytes.empty() || !f || fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || fclose(f) != 0) {
        fprintf(stderr, "tone: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}
