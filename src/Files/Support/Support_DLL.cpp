#include "Support/Support_DLL.h"

#include "Base/Console.h"
#include "Support/DLLPlatform.h"
#include "Support/LoadSave.h"

#include <cstring>
#include <map>
#include <memory>
#include <strings.h>
#include <vector>

bool DLL_LoadingRefused = false;
bool ExternalCallsDisabled;

namespace {

struct DLLFunction {
    std::string path;        // the resolved path the library was loaded under
    void* library = nullptr;  // null once freed
    std::string name;
    void* entry = nullptr;
    int argc = 0;
    int resultKind = 0;       // 0 real, 1 string
    const DLLShape* shape = nullptr;
};

std::vector<std::unique_ptr<DLLFunction>> g_functions;
// The loaded libraries by resolved path. A library stays loaded once a definition has loaded it,
// even when the function wanted is missing, so its start-up code runs once until it is freed.
std::map<std::string, void*> g_libraries;

constexpr int kPathSize = 4096;

// Where a library name is looked up, in order: for the name, and for a name ending in ".dll" also
// the same name ending in ".so", its file in the save folder, else in the program folder (matching
// case-insensitively), else the name as given when it names no folder (the system's library path)
// or is a full path outside both folders. Any other name with a separator (a relative path, or a
// full path into the game's folders that the folders refuse) is not loaded from anywhere else; an
// empty name is nothing.
struct Candidate {
    std::string path;   // the key the library is loaded under: the mapped path, the bare name or the full path
    std::string name;   // the name as the game gave it
    bool mapped = false;
    LoadSaveFolder where = LOADSAVE_SAVE;
};

std::vector<Candidate> Candidates(const char* dll)
{
    std::vector<std::string> names;
    size_t n = strlen(dll);
    if (n == 0) return {};
    names.push_back(dll);
    if (n > 4 && !strcasecmp(dll + n - 4, ".dll")) names.push_back(std::string(dll, n - 4) + ".so");
    std::vector<Candidate> found;
    char path[kPathSize];
    for (const std::string& name : names) {
        if (LoadSave_SaveFileExists(name.c_str()) && LoadSave_SavePath(path, sizeof path, name.c_str()))
            found.push_back({path, name, true, LOADSAVE_SAVE});
        else if (LoadSave_BundleFileExists(name.c_str()) && LoadSave_BundlePath(path, sizeof path, name.c_str()))
            found.push_back({path, name, true, LOADSAVE_BUNDLE});
        else if (!strpbrk(name.c_str(), "/\\"))
            found.push_back({name, name, false});
        else if (LoadSave_FullPathOutside(name.c_str(), path, sizeof path))
            found.push_back({path, name, false});
    }
    return found;
}

// Loads a candidate; a file of the game folders is loaded from the descriptor the folder mapping
// opened, so that the library is the file that was checked.
void* Load(const Candidate& c, std::string* error)
{
    if (!c.mapped) return DLLPlatform_Open(c.path.c_str(), error);
    int file = LoadSave_OpenFile(c.where, c.name.c_str());
    if (file >= 0) return DLLPlatform_OpenFile(file, error);
    *error = "the file cannot be opened";
    return nullptr;
}

// Releases the library loaded under the path; every function defined from it does nothing after.
void Unload(const std::string& path)
{
    auto loaded = g_libraries.find(path);
    if (loaded == g_libraries.end()) return;
    for (const auto& f : g_functions)
        if (f->path == path) f->library = nullptr;
    DLLPlatform_Close(loaded->second);
    g_libraries.erase(loaded);
}

}  // namespace

std::string DLL_DecoratedName(const char* name, int argc, const int* kinds)
{
    int bytes = 0;
    for (int i = 0; i < argc && i < DLL_MAX_ARGUMENTS; i++) bytes += kinds[i] ? 4 : 8;
    return "_" + std::string(name) + "@" + std::to_string(bytes);
}

int DLL_Define(const char* dll, const char* name, int convention, int argc, const int* kinds, int resultKind)
{
    if (!dll || !name || argc > DLL_MAX_ARGUMENTS) return -1;
    int k[DLL_MAX_ARGUMENTS] = {};
    for (int i = 0; i < argc; i++) k[i] = kinds[i] ? 1 : 0;
    for (int i = 0; i < argc && argc > 4; i++)
        if (k[i]) return -1;
    if (DLL_LoadingRefused) return -1;
    auto f = std::make_unique<DLLFunction>();
    f->name = name;
    f->argc = argc;
    f->resultKind = resultKind ? 1 : 0;
    f->shape = DLLPlatform_Shape(argc, k, f->resultKind == 1);
    std::string error = "no such file";
    for (const Candidate& c : Candidates(dll)) {
        void*& library = g_libraries[c.path];
        if (!library) library = Load(c, &error);
        if (!library) {
            g_libraries.erase(c.path);
            continue;
        }
        f->entry = DLLPlatform_Symbol(library, name);
        if (!f->entry) f->entry = DLLPlatform_Symbol(library, DLL_DecoratedName(name, argc, k).c_str());
        if (!f->entry) return -1;
        f->path = c.path;
        f->library = library;
        g_functions.push_back(std::move(f));
        return (int)g_functions.size() - 1;
    }
    Console_Warnings->Output("The library \"%s\" cannot be loaded: %s\n", dll, error.c_str());
    return -1;
}

void DLL_Call(int id, int argc, const TaggedValue* args, TaggedValue* result)
{
    result->SetReal(0.0);
    if (id < 0 || id >= (int)g_functions.size()) return;
    const DLLFunction& f = *g_functions[(size_t)id];
    // Under "-ext" the libraries are loaded but never called.
    if (argc != f.argc || !f.library || !f.shape || ExternalCallsDisabled) return;
    // Only the first argc entries are read.
    double reals[DLL_MAX_ARGUMENTS];
    const char* strings[DLL_MAX_ARGUMENTS];
    for (int i = 0; i < argc; i++) {
        reals[i] = args[i].GetReal();
        strings[i] = args[i].GetString();  // lent for the call
    }
    double real = 0.0;
    const char* text = nullptr;
    DLLPlatform_Call(f.shape, f.entry, reals, strings, &real, &text);
    if (f.resultKind == 1) result->SetString(text);
    else result->SetReal(real);
}

void DLL_Free(const char* dll)
{
    if (!dll) return;
    for (const Candidate& c : Candidates(dll)) Unload(c.path);
    Unload(dll);
}

void DLL_FreeAll()
{
    while (!g_libraries.empty()) Unload(g_libraries.begin()->first);
}
