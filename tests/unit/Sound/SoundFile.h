// A small game data file with sounds: a header, the options chunk (the new-audio flag), SOND
// records and AUDO entries given raw, so that tests can damage any of them.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace SoundFile {

struct Sound {
    std::string name;
    int kind = 0;
    std::string fileName = "";
    float volume = 1.0f;
    int audioIndex = 0;
};

inline void Put(std::vector<uint8_t>& b, uint32_t v)
{
    for (int i = 0; i < 4; i++) b.push_back((uint8_t)(v >> (8 * i)));
}

inline void Patch(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++) b[at + i] = (uint8_t)(v >> (8 * i));
}

// An AUDO entry: the length word, then the bytes.
inline std::vector<uint8_t> Entry(const std::vector<uint8_t>& bytes)
{
    std::vector<uint8_t> e;
    Put(e, (uint32_t)bytes.size());
    e.insert(e.end(), bytes.begin(), bytes.end());
    return e;
}

// A text placed in the last chunk; `at` is the field that gets its offset.
struct Text {
    size_t at;
    std::string text;
};

inline std::vector<uint8_t> Make(bool newAudio, const std::vector<Sound>& sounds, const std::vector<std::vector<uint8_t>>& entries)
{
    std::vector<uint8_t> b = {'F', 'O', 'R', 'M', 0, 0, 0, 0};
    std::vector<Text> texts;
    auto chunk = [&](const char* tag) {
        for (int i = 0; i < 4; i++) b.push_back((uint8_t)tag[i]);
        Put(b, 0);
        return b.size();
    };
    auto end = [&](size_t start) { Patch(b, start - 4, (uint32_t)(b.size() - start)); };
    auto text = [&](const std::string& t) {
        texts.push_back({b.size(), t});
        Put(b, 0);
    };
    size_t c = chunk("GEN8");
    text("sounds");
    for (uint32_t v : {1u, 64u, 48u, 0u, 100000u, 10000000u, 0u}) Put(b, v);
    end(c);
    c = chunk("OPTN");
    for (uint32_t v : {4u, 0u, newAudio ? 1u : 0u}) Put(b, v);
    end(c);
    c = chunk("SOND");
    Put(b, (uint32_t)sounds.size());
    size_t table = b.size();
    for (size_t i = 0; i < sounds.size(); i++) Put(b, 0);
    for (size_t i = 0; i < sounds.size(); i++) {
        const Sound& s = sounds[i];
        if (s.name.empty()) continue;  // an empty slot
        Patch(b, table + 4 * i, (uint32_t)b.size());
        text(s.name);
        Put(b, (uint32_t)s.kind);
        text(".wav");
        text(s.fileName);
        Put(b, 0);
        uint32_t volume;
        memcpy(&volume, &s.volume, 4);
        Put(b, volume);
        Put(b, 0);
        Put(b, 1);
        Put(b, (uint32_t)s.audioIndex);
    }
    end(c);
    c = chunk("AUDO");
    Put(b, (uint32_t)entries.size());
    table = b.size();
    for (size_t i = 0; i < entries.size(); i++) Put(b, 0);
    for (size_t i = 0; i < entries.size(); i++) {
        Patch(b, table + 4 * i, (uint32_t)b.size());
        b.insert(b.end(), entries[i].begin(), entries[i].end());
        while (b.size() % 4) b.push_back(0);
    }
    end(c);
    // The texts travel in the DAFL chunk, after its count of 0.
    c = chunk("DAFL");
    Put(b, 0);
    for (const Text& t : texts) {
        Patch(b, t.at, (uint32_t)b.size());
        b.insert(b.end(), t.text.begin(), t.text.end());
        b.push_back(0);
    }
    end(c);
    Patch(b, 4, (uint32_t)(b.size() - 8));
    return b;
}

}  // namespace SoundFile
