// A small game data file around a BGND payload: a header named "bg", two texture-page entries
// and the payload at a fixed file offset, so that payloads can name records by offset.
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

namespace BgndFile {

const uint32_t kName = 48;        // "bg"
const uint32_t kPage0 = 72;       // entry 0: untrimmed 8 x 9
const uint32_t kPage1 = 96;       // entry 1: untrimmed 16 x 3
const uint32_t kPayload = 128;    // the BGND payload

inline void Put(std::vector<uint8_t>& b, uint32_t v)
{
    for (int i = 0; i < 4; i++) b.push_back((uint8_t)(v >> (8 * i)));
}

inline void PutPage(std::vector<uint8_t>& b, std::initializer_list<uint16_t> fields)
{
    for (uint16_t f : fields) b.push_back((uint8_t)f), b.push_back((uint8_t)(f >> 8));
    b.push_back(0), b.push_back(0);
}

inline std::vector<uint8_t> Make(const uint8_t* payload, size_t size)
{
    std::vector<uint8_t> b = {'F', 'O', 'R', 'M', 0, 0, 0, 0, 'G', 'E', 'N', '8'};
    Put(b, 36);
    for (uint32_t v : {kName, 1u, 64u, 48u, 0u, 100000u, 10000000u, 0u}) Put(b, v);
    b.insert(b.end(), {'b', 'g', 0, 0});
    b.insert(b.end(), {'T', 'P', 'A', 'G'});
    Put(b, 60);
    for (uint32_t v : {2u, kPage0, kPage1}) Put(b, v);
    PutPage(b, {0, 0, 4, 4, 1, 2, 4, 4, 8, 9, 0});
    PutPage(b, {4, 0, 4, 3, 0, 0, 4, 3, 16, 3, 0});
    b.insert(b.end(), {'B', 'G', 'N', 'D'});
    Put(b, (uint32_t)size);
    b.insert(b.end(), payload, payload + size);
    uint32_t form = (uint32_t)(b.size() - 8);
    memcpy(&b[4], &form, 4);
    return b;
}

inline std::vector<uint8_t> Make(const std::vector<uint32_t>& words)
{
    std::vector<uint8_t> payload;
    for (uint32_t w : words) Put(payload, w);
    return Make(payload.data(), payload.size());
}

}  // namespace BgndFile
