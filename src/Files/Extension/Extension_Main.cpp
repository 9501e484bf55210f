#include "Extension/Extension_Main.h"

#include "Code/Code_Interp.h"
#include "Code/Code_VM.h"
#include "Code/Error.h"
#include "Extension/Extension_Class.h"
#include "Object/Instance_Class.h"
#include "Script/Script_Main.h"
#include "Support/LoadSave.h"
#include "Support/Support_DLL.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace {

std::vector<std::unique_ptr<CExtensionPackage>> g_packages;
// Indexed by extension function id, made by Extension_Prepare: the external function id, or -1.
std::vector<int> g_dllIds;
bool g_initialised = false;

bool Find(const char* name, int* id)
{
    *id = Extension_FindFunctionId(name);
    return *id >= 0;
}

// Runs the initialisation or finalisation function of each file that names one.
bool RunFileFunctions(bool initialise)
{
    for (const auto& package : g_packages) {
        if (!package) continue;
        for (const CExtensionFile& file : package->files) {
            const std::string& name = initialise ? file.initName : file.finalName;
            if (name.empty()) continue;
            CInstance temporary(0, -1, 0.0f, 0.0f);
            TaggedValue result;
            int script = Script_Find(name.c_str());
            if (script >= 0) {
                PendingScriptError.pending = false;
                bool ran = Script_Execute(script, &temporary, &temporary, 0, &result, nullptr);
                if (!ran || PendingScriptError.pending) {
                    std::string message = PendingScriptError.pending ? PendingScriptError.message : LastErrorText;
                    PendingScriptError.pending = false;
                    Error_Show(message.c_str(), true);
                    return false;
                }
                continue;
            }
            const CExtensionFunction* function = nullptr;
            for (const CExtensionFile& f : package->files)
                for (const CExtensionFunction& fn : f.functions)
                    if (!function && fn.name == name) function = &fn;
            if (!function) {
                char message[1100];
                snprintf(message, sizeof message, "Could not locate %s function %.1000s",
                         initialise ? "initialization" : "finalization", name.c_str());
                Error_Show(message, true);
                return false;
            }
            if (function->id >= 0 && function->id < (int)g_dllIds.size())
                DLL_Call(g_dllIds[(size_t)function->id], 0, nullptr, &result);
        }
    }
    return true;
}

}  // namespace

bool Extension_LoadChunk(GameFileReader chunk)
{
    Extension_Clear();
    if (!Extension_ReadChunk(chunk, &g_packages)) return false;
    Code_Extension_FindHook = Find;
    Code_Extension_CallHook = Extension_Call;
    Code_Extension_CallDLLHook = Extension_CallDLL;
    Code_Extension_NameHook = Extension_GetFunctionName;
    return true;
}

void Extension_Clear()
{
    g_packages.clear();
    g_dllIds.clear();
    g_initialised = false;
}

void Extension_Prepare()
{
    int maxId = 0;
    for (auto& package : g_packages) {
        if (package && package->folder == "QuenbyGames") package.reset();
        if (!package) continue;
        for (const CExtensionFile& file : package->files)
            for (const CExtensionFunction& f : file.functions)
                if (f.id > maxId) maxId = f.id;
    }
    g_dllIds.assign((size_t)maxId + 1, -1);
    std::string base = LoadSave_GetProgramFolder();
    for (const auto& package : g_packages) {
        if (!package) continue;
        for (const CExtensionFile& file : package->files) {
            if (file.kind != EXTENSION_FILE_LIBRARY) continue;
            std::string path = base + file.fileName;
            for (const CExtensionFunction& f : file.functions) {
                if (f.id < 0) continue;
                int kinds[DLL_MAX_ARGUMENTS];
                for (int i = 0; i < DLL_MAX_ARGUMENTS; i++) kinds[i] = f.GetKind(i) <= EXTENSION_KIND_STRING ? 1 : 0;
                int convention = f.convention == EXTENSION_CDECL ? 0 : 1;
                int resultKind = f.resultKind == EXTENSION_KIND_STRING ? 1 : 0;
                // A function that cannot be defined stays inert: its calls give the real 0.
                g_dllIds[(size_t)f.id] =
                    DLL_Define(path.c_str(), f.externalName.c_str(), convention, f.argc, kinds, resultKind);
            }
        }
    }
}

int Extension_PackageCount() { return (int)g_packages.size(); }

const CExtensionPackage* Extension_GetPackage(int index)
{
    return index >= 0 && index < (int)g_packages.size() ? g_packages[(size_t)index].get() : nullptr;
}

int Extension_FindFunctionId(const char* name)
{
    if (!name) return -1;
    for (const auto& package : g_packages) {
        if (!package) continue;
        for (const CExtensionFile& file : package->files)
            for (const CExtensionFunction& f : file.functions)
                if (f.id >= 0 && f.name == name) return f.id;
    }
    return -1;
}

const char* Extension_GetFunctionName(int id)
{
    for (const auto& package : g_packages) {
        if (!package) continue;
        for (const CExtensionFile& file : package->files)
            for (const CExtensionFunction& f : file.functions)
                if (f.id == id && !f.name.empty()) return f.name.c_str();
    }
    return nullptr;
}

bool Extension_CallDLL(int id, int argc, TaggedValue* args, TaggedValue* result)
{
    if (id < 0 || id >= (int)g_dllIds.size()) {
        LastErrorText = "Unknown extension function.";
        return false;
    }
    DLL_Call(g_dllIds[(size_t)id], argc, args, result);
    return true;
}

bool Extension_Call(int id, CInstance*, CInstance*, int argc, TaggedValue* args, TaggedValue* result)
{
    return Extension_CallDLL(id, argc, args, result);
}

bool Extension_Initialise()
{
    g_initialised = RunFileFunctions(true);
    return g_initialised;
}

bool Extension_Finalise()
{
    if (!g_initialised) return true;
    g_initialised = false;
    return RunFileFunctions(false);
}
