// Game data files around a FONT payload, for the font tests and the font fuzz target. Layout:
// FORM, a TPAG chunk with one 64 x 32 page entry on page 0 (its record at file offset 24), the
// FONT chunk (its payload at file offset FONT_PAYLOAD), the page as TXTR when PNG bytes are given,
// then GEN8 and STRG.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

const uint32_t TPAG_RECORD = 24;
const uint32_t FONT_PAYLOAD = 56;

// Little-endian words and strings of a payload that will lie at FONT_PAYLOAD.
struct FontPayload {
    std::vector<uint8_t> b;
    uint32_t Here() const { return FONT_PAYLOAD + (uint32_t)b.size(); }
    void U32(uint32_t v)
    {
        for (int i = 0; i < 4; i++) b.push_back((uint8_t)(v >> (8 * i)));
    }
    void F32(float f)
    {
        uint32_t v;
        memcpy(&v, &f, 4);
        U32(v);
    }
    void U16(uint16_t v)
    {
        b.push_back((uint8_t)v);
        b.push_back((uint8_t)(v >> 8));
    }
    void Patch(uint32_t at, uint32_t v)
    {
        for (int i = 0; i < 4; i++) b[at - FONT_PAYLOAD + i] = (uint8_t)(v >> (8 * i));
    }
    uint32_t Text(const std::string& s)
    {
        uint32_t at = Here();
        b.insert(b.end(), s.begin(), s.end());
        b.push_back(0);
        while (b.size() % 4) b.push_back(0);
        return at;
    }
};

inline std::vector<uint8_t> GameWithFont(const std::vector<uint8_t>& payload, const std::vector<uint8_t>& png = {})
{
    std::vector<uint8_t> f = {'F', 'O', 'R', 'M', 0, 0, 0, 0};
    auto u32 = [&f](uint32_t v) {
        for (int i = 0; i < 4; i++) f.push_back((uint8_t)(v >> (8 * i)));
    };
    auto u16 = [&f](uint16_t v) {
        f.push_back((uint8_t)v);
        f.push_back((uint8_t)(v >> 8));
    };
    f.insert(f.end(), {'T', 'P', 'A', 'G'});
    u32(32);
    u32(1);
    u32(TPAG_RECORD);
    // x, y, w, h, x offset, y offset, crop w, crop h, untrimmed w, h, texture; padding.
    for (uint16_t v : {0, 0, 64, 32, 0, 0, 64, 32, 64, 32, 0, 0}) u16(v);
    f.insert(f.end(), {'F', 'O', 'N', 'T'});
    u32((uint32_t)payload.size());
    f.insert(f.end(), payload.begin(), payload.end());
    if (!png.empty()) {
        size_t padded = (png.size() + 3) / 4 * 4;
        f.insert(f.end(), {'T', 'X', 'T', 'R'});
        u32((uint32_t)(12 + padded));
        u32(1);
        u32((uint32_t)f.size() + 4);
        u32((uint32_t)png.size());
        f.insert(f.end(), png.begin(), png.end());
        f.resize(f.size() + padded - png.size(), 0);
    }
    f.insert(f.end(), {'G', 'E', 'N', '8'});
    u32(32);
    size_t nameField = f.size();
    for (uint32_t v : {0u, 7u, 320u, 240u, 0u, 100000u, 10000000u, 0u}) u32(v);
    // STRG: one entry {length 4, "game", 0}, padded to a word.
    f.insert(f.end(), {'S', 'T', 'R', 'G'});
    u32(20);
    u32(1);
    u32((uint32_t)f.size() + 4);
    u32(4);
    uint32_t text = (uint32_t)f.size();
    f.insert(f.end(), {'g', 'a', 'm', 'e', 0, 0, 0, 0});
    for (int i = 0; i < 4; i++) f[nameField + i] = (uint8_t)(text >> (8 * i));
    uint32_t size = (uint32_t)f.size() - 8;
    for (int i = 0; i < 4; i++) f[4 + i] = (uint8_t)(size >> (8 * i));
    return f;
}
