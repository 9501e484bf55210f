// Loads arbitrary bytes as a game data file: the load may fail, but must never crash or hang.
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Run/GameFile_Chunks.h"
#include "StartUp.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool hooked = (StartUp_InstallHooks(), true);
    (void)hooked;
    static TCaptureConsole quiet;
    Console_Warnings = &quiet;
    quiet.text.clear();
    uint8_t* buffer = (uint8_t*)MemAlloc(size + 1);
    if (size) memcpy(buffer, data, size);
    GameFile_LoadBuffer(buffer, size);
    GameFile_Free();
    return 0;
}
