// Loads arbitrary bytes as the EXTN chunk of a small game data file and, when that loads, prepares
// the packages and runs their initialisation and finalisation: the load may fail, but must never
// crash or hang. No library named by the input is loaded, and none is called.
#include "../unit/Extension/ExtnBuilder.h"

#include "Base/Console.h"
#include "Code/Error.h"
#include "Extension/Extension_Main.h"
#include "Support/Support_DLL.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TCaptureConsole quiet;
    static std::vector<uint8_t> prefix = extn::Prefix();
    Console_Warnings = &quiet;
    Error_Display_Hook = [](const char*, bool) {};
    ExternalCallsDisabled = true;
    DLL_LoadingRefused = true;
    quiet.text.clear();
    if (extn::Load(extn::WithPayload(prefix, std::vector<uint8_t>(data, data + size)))) {
        Extension_Prepare();
        Extension_FindFunctionId("ext");
        Extension_GetFunctionName(1);
        if (Extension_Initialise()) Extension_Finalise();
    }
    GameFile_Free();
    Error_FatalPending = false;
    return 0;
}
