// Any bytes as the BGND payload of a small game data file: the load may fail, but a load that
// succeeds gives backgrounds on real page entries with their untrimmed sizes, and the table
// operations stay safe on what was read.
#include "../unit/Background/BgndFile.h"
#include "Background/Background_Main.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Graphics_API/GR_Texture.h"
#include "Run/GameFile_Chunks.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TCaptureConsole quiet;
    Console_Warnings = &quiet;
    quiet.text.clear();
    std::vector<uint8_t> file = BgndFile::Make(data, size);
    uint8_t* buffer = (uint8_t*)MemAlloc(file.size() + 1);
    memcpy(buffer, file.data(), file.size());
    if (GameFile_LoadBuffer(buffer, file.size())) {
        for (int i = 0; i < Background_Count(); i++) {
            CBackground* b = Background_Get(i);
            if (!b) continue;
            int handle = b->GetTexture();
            if (handle != TPAGE_HANDLE_BASE && handle != TPAGE_HANDLE_BASE + 1) abort();
            bool first = handle == TPAGE_HANDLE_BASE;
            if (b->GetWidth() != (first ? 8 : 16) || b->GetHeight() != (first ? 9 : 3)) abort();
            int found = Background_Find(Background_GetName(i));
            if (found < 0 || found > i) abort();
        }
        int count = Background_Count();
        if (count > 0) {
            int copy = Background_Duplicate(count - 1);
            if (Background_Exists(count - 1) != (copy == count)) abort();
            Background_Assign(0, count - 1);
            Background_Assign(0, 0);
            Background_Delete(0);
            if (Background_Exists(0)) abort();
        }
    } else if (Background_Count() != 0) {
        abort();
    }
    GameFile_Free();
    return 0;
}
