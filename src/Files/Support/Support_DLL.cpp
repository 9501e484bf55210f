#include "Support/Support_DLL.h"

#include "Base/Console.h"
#include "Run/CommandLine.h"
#include "Support/Linux/Support_DLL_Linux.h"
#include "Support/LoadSave.h"

#include <cstring>
#include <memory>
#include <strings.h>
#include <vector>

namespace {

struct DLLFunction {
    std::string path;        // the resolved path the library was loaded under
    void* library = nullptr;  // null once freed, or when nothing was loaded ("-ext")
    std::string name;
    void* entry = nullptr;
    int argc = 0;
    int resultKind = 0;       // 0 real, 1 string
    const DLLShape* shape = nullptr;
};

std::vector<std::unique_ptr<DLLFunction>> g_functions;

constexpr int kPathSize = 4096;

// Where a library name is looked up, in order: for the name, and for a name ending in ".dll" also
// the same name ending in ".so", its file in the save folder, else in the program folder (matching
// case-insensitively), else the name as given when it names no folder (the system's library path).
// A name that the folders refuse and that holds a separator is not loaded from anywhere else; an
// empty name is nothing.
struct Candidate {
    std::string path;   // the key the library is loaded under: the mapped path, or the bare name
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

// The handle under which the path is loaded now: that of the last function defined from it.
void* LoadedHandle(const std::string& path)
{
    void* handle = nullptr;
    for (const auto& f : g_functions)
        if (f->path == path) handle = f->library;
    return handle;
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
    auto f = std::make_unique<DLLFunction>();
    f->name = name;
    f->argc = argc;
    f->resultKind = resultKind ? 1 : 0;
    f->shape = DLLPlatform_Shape(argc, k, f->resultKind == 1);
    if (ExternalCallsDisabled) {
        // Nothing is loaded, so no library code runs; the function exists and does nothing.
        f->path = dll;
        g_functions.push_back(std::move(f));
        return (int)g_functions.size() - 1;
    }
    std::string error = "no such file";
    for (const Candidate& c : Candidates(dll)) {
        const std::string& path = c.path;
        void* library = LoadedHandle(path);
        bool fresh = !library;
        if (fresh) library = Load(c, &error);
        if (!library) continue;
        f->entry = DLLPlatform_Symbol(library, name);
        if (!f->entry) f->entry = DLLPlatform_Symbol(library, DLL_DecoratedName(name, argc, k).c_str());
        if (!f->entry) {
            // No function of that name: a library loaded only for it is released again.
            if (fresh) DLLPlatform_Close(library);
            return -1;
        }
        f->path = path;
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
    std::vector<std::string> paths;
    for (const Candidate& c : Candidates(dll)) paths.push_back(c.path);
    paths.push_back(dll);
    for (const std::string& path : paths) {
        void* library = nullptr;
        for (const auto& f : g_functions)
            if (f->path == path && f->library) {
                library = f->library;
                f->library = nullptr;
            }
        DLLPlatform_Close(library);
    }
}

void DLL_FreeAll()
{
    for (const auto& f : g_functions)
        if (f->library) DLL_Free(f->path.c_str());
}
