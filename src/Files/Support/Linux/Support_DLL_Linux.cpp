#include "Support/DLLPlatform.h"
#include "Support/Support_DLL.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <ffi.h>
#include <link.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <unistd.h>

struct DLLShape {
    ffi_cif cif;
    ffi_type* types[DLL_MAX_ARGUMENTS];
    int kinds[DLL_MAX_ARGUMENTS];
    int argc;
    bool stringResult;
};

void* DLLPlatform_Open(const char* path, std::string* error)
{
    dlerror();
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!library && error) {
        const char* why = dlerror();
        *error = why ? why : "unknown error";
    }
    return library;
}

namespace {

std::string DescriptorPath(int fd)
{
    return "/proc/self/fd/" + std::to_string(fd);
}

int AddName(dl_phdr_info* info, size_t, void* names)
{
    if (info->dlpi_name) static_cast<std::set<std::string>*>(names)->insert(info->dlpi_name);
    return 0;
}

}  // namespace

void* DLLPlatform_OpenFile(int file, std::string* error)
{
    // The loader opens by name, and the descriptor's name in /proc is that very file. It also
    // takes a name it has loaded before for the same library, so a descriptor whose name an
    // earlier library holds is first moved to a number no loaded library names.
    std::set<std::string> loaded;
    dl_iterate_phdr(AddName, &loaded);
    while (file >= 0 && loaded.count(DescriptorPath(file))) {
        int moved = fcntl(file, F_DUPFD_CLOEXEC, file + 1);
        close(file);
        file = moved;
    }
    if (file < 0) {
        *error = "no descriptor is free";
        return nullptr;
    }
    void* library = DLLPlatform_Open(DescriptorPath(file).c_str(), error);
    close(file);
    return library;
}

void* DLLPlatform_Symbol(void* library, const char* name)
{
    return library ? dlsym(library, name) : nullptr;
}

void DLLPlatform_Close(void* library)
{
    if (library) dlclose(library);
}

const DLLShape* DLLPlatform_Shape(int argc, const int* kinds, bool stringResult)
{
    if (argc < 0 || argc > DLL_MAX_ARGUMENTS) return nullptr;
    static std::map<unsigned, std::unique_ptr<DLLShape>> shapes;
    unsigned key = (unsigned)argc << 17 | (stringResult ? 1u : 0u);
    for (int i = 0; i < argc; i++)
        if (kinds[i]) key |= 2u << i;
    std::unique_ptr<DLLShape>& shape = shapes[key];
    if (shape) return shape.get();
    auto made = std::make_unique<DLLShape>();
    made->argc = argc;
    made->stringResult = stringResult;
    for (int i = 0; i < argc; i++) {
        made->kinds[i] = kinds[i] ? 1 : 0;
        made->types[i] = kinds[i] ? &ffi_type_pointer : &ffi_type_double;
    }
    if (ffi_prep_cif(&made->cif, FFI_DEFAULT_ABI, (unsigned)argc, stringResult ? &ffi_type_pointer : &ffi_type_double,
                     made->types) != FFI_OK) {
        shapes.erase(key);
        return nullptr;
    }
    shape = std::move(made);
    return shape.get();
}

void DLLPlatform_Call(const DLLShape* shape, void* entry, const double* reals, const char* const* strings,
                      double* real, const char** text)
{
    void* values[DLL_MAX_ARGUMENTS];
    for (int i = 0; i < shape->argc; i++)
        values[i] = shape->kinds[i] ? (void*)&strings[i] : (void*)&reals[i];
    union {
        double real;
        void* pointer;
        ffi_arg word;
    } out{};
    ffi_call(const_cast<ffi_cif*>(&shape->cif), FFI_FN(entry), &out, values);
    if (shape->stringResult) *text = (const char*)out.pointer;
    else *real = out.real;
}
