// Model files of any shape load: every command read has a known kind or keeps its line, no more
// commands come than lines, what the model then saves reads back to the same text, and the model
// draws (here without a device).
#include "Graphics/Graphics_3D_Model.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const int model = D3DModel_Create();
    D3DModel_FromText(model, (const char*)data, (int64_t)size);
    int count = D3DModel_CommandCount(model);
    if ((size_t)count > size) abort();
    for (int i = 0; i < count; i++) {
        int kind = D3DModel_GetCommand(model, i)->kind;
        bool kept = D3DModel_GetKeptLine(model, i) != nullptr;
        if (kept == (kind >= 0 && kind < MODEL_KIND_COUNT)) abort();
    }
    std::string first, second;
    if (!D3DModel_ToText(model, &first)) abort();
    if (!D3DModel_FromText(model, first.data(), (int64_t)first.size())) abort();
    if (D3DModel_CommandCount(model) != count) abort();
    if (!D3DModel_ToText(model, &second) || second != first) abort();
    // Shapes of many steps make many vertices: a few commands are enough to draw every kind.
    if (count <= 64) D3DModel_Draw(model, 0, 0, 0, -1);
    return 0;
}
