// Builds small game data files around an EXTN chunk: a header, then the packages, with every
// string of the chunk inside its payload (the fuzz target puts its own bytes there instead).
#pragma once
#include "Base/MemoryManager.h"
#include "Run/GameFile_Chunks.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace extn {

struct Function {
    std::string name, external;
    int id = 1;
    int convention = 12;  // cdecl
    int result = 2;       // real
    int argc = 0;
    std::vector<int> kinds;  // written after argc, whatever argc says
};

struct File {
    std::string name = "exttest.dll";
    std::string init, final;
    int kind = 1;
    std::vector<Function> functions;
};

struct Package {
    std::string folder = "pkg", name = "pkg";
    std::vector<File> files;
    bool present = true;  // false: an empty slot (offset 0)
};

inline void Put(std::vector<uint8_t>& b, uint32_t v)
{
    for (int i = 0; i < 4; i++) b.push_back((uint8_t)(v >> (8 * i)));
}
inline void Patch(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++) b[at + i] = (uint8_t)(v >> (8 * i));
}

// FORM and a GEN8 chunk whose game name sits at its end; the FORM size is patched by WithPayload.
inline std::vector<uint8_t> Prefix()
{
    std::vector<uint8_t> b = {'F', 'O', 'R', 'M', 0, 0, 0, 0, 'G', 'E', 'N', '8'};
    Put(b, 36);
    Put(b, 8 + 8 + 32);  // the name's offset: right after the eight fields
    for (uint32_t v : {1u, 64u, 48u, 0u, 100000u, 10000000u, 0u}) Put(b, v);
    b.insert(b.end(), {'e', 'x', 't', 0});
    return b;
}

// The EXTN payload for a chunk whose payload starts at file offset base.
inline std::vector<uint8_t> Payload(const std::vector<Package>& packages, size_t base)
{
    std::vector<uint8_t> b;
    std::vector<std::pair<size_t, std::string>> strings;
    // An empty text is written as offset 0 (no text).
    auto Str = [&](const std::string& s) {
        if (!s.empty()) strings.push_back({b.size(), s});
        Put(b, 0);
    };
    // A list of n offsets; record(i) writes entry i where the list entry points.
    auto List = [&](size_t n, auto&& present, auto&& record) {
        Put(b, (uint32_t)n);
        size_t table = b.size();
        for (size_t i = 0; i < n; i++) Put(b, 0);
        for (size_t i = 0; i < n; i++) {
            if (!present(i)) continue;
            Patch(b, table + 4 * i, (uint32_t)(base + b.size()));
            record(i);
        }
    };
    auto always = [](size_t) { return true; };
    List(packages.size(), [&](size_t i) { return packages[i].present; }, [&](size_t i) {
        const Package& p = packages[i];
        Str(p.folder);
        Str(p.name);
        List(p.files.size(), always, [&](size_t k) {
            const File& f = p.files[k];
            Str(f.name);
            Str(f.final);
            Str(f.init);
            Put(b, (uint32_t)f.kind);
            List(f.functions.size(), always, [&](size_t j) {
                const Function& fn = f.functions[j];
                Str(fn.name);
                Put(b, (uint32_t)fn.id);
                Put(b, (uint32_t)fn.convention);
                Put(b, (uint32_t)fn.result);
                Str(fn.external);
                Put(b, (uint32_t)fn.argc);
                for (int kind : fn.kinds) Put(b, (uint32_t)kind);
            });
        });
    });
    // The texts follow the records.
    for (auto& [at, text] : strings) {
        Patch(b, at, (uint32_t)(base + b.size()));
        b.insert(b.end(), text.begin(), text.end());
        b.push_back(0);
    }
    return b;
}

// The whole file with the given payload as its EXTN chunk.
inline std::vector<uint8_t> WithPayload(std::vector<uint8_t> prefix, const std::vector<uint8_t>& payload)
{
    prefix.insert(prefix.end(), {'E', 'X', 'T', 'N'});
    Put(prefix, (uint32_t)payload.size());
    prefix.insert(prefix.end(), payload.begin(), payload.end());
    Patch(prefix, 4, (uint32_t)(prefix.size() - 8));
    return prefix;
}

inline std::vector<uint8_t> Game(const std::vector<Package>& packages)
{
    std::vector<uint8_t> prefix = Prefix();
    return WithPayload(prefix, Payload(packages, prefix.size() + 8));
}

// Loads the bytes as the game data file (the loader keeps the buffer).
inline bool Load(const std::vector<uint8_t>& bytes)
{
    uint8_t* buffer = (uint8_t*)MemAlloc(bytes.size() + 1);
    memcpy(buffer, bytes.data(), bytes.size());
    return GameFile_LoadBuffer(buffer, bytes.size());
}

}  // namespace extn
