#include "Extension/Extension_Class.h"

#include "Base/Console.h"
#include "Base/Random.h"

namespace {

std::string Text(const char* s) { return s ? s : ""; }

// Records of an honest file each take bytes of their own, so a file of n bytes holds fewer than
// n / 4 of them; the budget stops lists that point at one record over and over from multiplying.
struct Budget {
    uint64_t left = GameFile_Size() / 4;
    bool Take()
    {
        if (left == 0) return false;
        left--;
        return true;
    }
};

bool ReadFunction(GameFileReader r, CExtensionFunction* f)
{
    f->name = Text(r.Str());
    f->id = r.I32();
    f->convention = r.I32();
    f->resultKind = r.I32();
    f->externalName = Text(r.Str());
    f->argc = r.I32();
    if (!r.ok) return false;
    if (f->id > EXTENSION_MAX_ID) {
        Console_Warnings->Output("Extension function %s has the id %d, above %d.\n", f->name.c_str(), f->id, EXTENSION_MAX_ID);
        return false;
    }
    if (f->argc > 0 && (uint64_t)f->argc * 4 > r.end - r.pos) return false;
    for (int i = 0; i < f->argc; i++) f->SetKind(i, r.I32());
    return r.ok;
}

bool ReadFile(GameFileReader r, CExtensionFile* file, Budget& budget)
{
    file->fileName = Text(r.Str());
    file->finalName = Text(r.Str());
    file->initName = Text(r.Str());
    file->kind = r.I32();
    uint32_t count;
    if (!r.Count(&count, 4)) return false;
    for (uint32_t i = 0; i < count; i++) {
        uint32_t offset = r.U32();
        if (offset == 0) continue;
        if (!budget.Take()) return false;
        file->functions.emplace_back();
        if (!ReadFunction(r.At(offset), &file->functions.back())) return false;
    }
    return r.ok;
}

bool ReadPackage(GameFileReader r, CExtensionPackage* package, Budget& budget)
{
    package->folder = Text(r.Str());
    package->name = Text(r.Str());
    uint32_t count;
    if (!r.Count(&count, 4)) return false;
    for (uint32_t i = 0; i < count; i++) {
        uint32_t offset = r.U32();
        if (offset == 0) continue;
        if (!budget.Take()) return false;
        package->files.emplace_back();
        if (!ReadFile(r.At(offset), &package->files.back(), budget)) return false;
    }
    return r.ok;
}

}  // namespace

CExtensionPackage::CExtensionPackage() : folder("temp" + std::to_string(Random_Int(999))) {}

bool Extension_ReadChunk(GameFileReader chunk, std::vector<std::unique_ptr<CExtensionPackage>>* packages)
{
    uint32_t count;
    if (!chunk.Count(&count, 4)) return false;
    std::vector<std::unique_ptr<CExtensionPackage>> read(count);
    Budget budget;
    for (uint32_t i = 0; i < count; i++) {
        uint32_t offset = chunk.U32();
        if (offset == 0) continue;
        if (!budget.Take()) return false;
        read[i] = std::make_unique<CExtensionPackage>();
        if (!ReadPackage(chunk.At(offset), read[i].get(), budget)) return false;
    }
    if (!chunk.ok) return false;
    *packages = std::move(read);
    return true;
}
