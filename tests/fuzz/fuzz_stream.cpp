// Any bytes read as a stream: every read stays inside the buffer, lengths beyond the end fail,
// and zlib blocks of any shape decompress or fail within the size cap.
#include "Base/MemoryManager.h"
#include "Support/Stream.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    CStream s(0);
    s.WriteBytes(data + 1, (int64_t)size - 1);
    s.Seek(0);
    // The first byte picks the order of the reads.
    unsigned pattern = data[0];
    for (int step = 0; !s.IsOverrun() && step < 64; step++) {
        int64_t before = s.GetPosition();
        switch ((pattern >> (step % 4 * 2)) & 3) {
        case 0: s.ReadInteger(); break;
        case 1: s.ReadReal(); break;
        case 2: {
            char* text = nullptr;
            bool ok = s.ReadStringTo(&text);
            if (text && (!ok || strlen(text) > (size_t)(s.GetPosition() - before - 4))) abort();
            MemFree(text);
            break;
        }
        default:
            delete ZDecompressStream(&s);
            break;
        }
        if (s.GetPosition() < before || s.GetPosition() > s.GetSize()) abort();
    }
    return 0;
}
