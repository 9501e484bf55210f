// Loads arbitrary bytes as the FONT chunk of a small game data file; fonts that load are measured
// and their glyphs looked up. The load may fail, but must never crash or hang.
#include "../unit/Font/FontFile.h"

#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Font/Font_Main.h"
#include "Run/GameFile_Chunks.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TCaptureConsole quiet;
    Console_Warnings = &quiet;
    quiet.text.clear();
    std::vector<uint8_t> file = GameWithFont(std::vector<uint8_t>(data, data + size));
    uint8_t* buffer = (uint8_t*)MemAlloc(file.size() + 1);
    memcpy(buffer, file.data(), file.size());
    if (GameFile_LoadBuffer(buffer, file.size())) {
        static const uint16_t text[] = {'A', 'g', 0x20AC, ' ', 0};
        for (int i = 0; i < Font_Count(); i++) {
            CFontBV* f = Font_Get(i);
            if (!f) continue;
            f->TextWidth(text);
            f->FindGlyph(f->GetFirst());
            Font_Find(Font_GetName(i));
        }
        Font_Delete(Font_AddSprite(0, 65, true, 1));
    }
    GameFile_Free();
    return 0;
}
