// Loads arbitrary bytes as the SPRT chunk of a small game data file (header, strings and four
// texture-page records before it): the load may fail, but must never crash or hang.
#include "../unit/Sprite/SprtBuilder.h"

#include "Base/Console.h"
#include "Sprite/Sprite_Main.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TCaptureConsole quiet;
    static std::vector<uint8_t> prefix = sprt::Game().Prefix();
    Console_Warnings = &quiet;
    quiet.text.clear();
    sprt::Load(sprt::Game::WithPayload(prefix, std::vector<uint8_t>(data, data + size)));
    GameFile_Free();
    return 0;
}
