#include "Support/File.h"
#include "Base/MemoryManager.h"

#include <cstring>

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The index just past the last separator (0 when there is none).
size_t NameStart(const char* path)
{
    size_t start = 0;
    for (size_t i = 0; path[i]; i++)
        if (IsSeparator(path[i])) start = i + 1;
    return start;
}

char* CopyPart(const char* text, size_t n)
{
    char* out = (char*)MemAlloc(n + 1);
    if (!out) return nullptr;
    memcpy(out, text, n);
    out[n] = 0;
    return out;
}

}  // namespace

char* File_ExtractName(const char* path)
{
    return path ? MemStrDup(path + NameStart(path)) : nullptr;
}

char* File_ExtractPath(const char* path)
{
    return path ? CopyPart(path, NameStart(path)) : nullptr;
}

char* File_ExtractExt(const char* path)
{
    if (!path) return nullptr;
    const char* name = path + NameStart(path);
    const char* dot = strrchr(name, '.');
    return MemStrDup(dot ? dot : "");
}

char* File_ExtractDrive(const char* path)
{
    if (!path) return nullptr;
    if (((path[0] | 32) >= 'a' && (path[0] | 32) <= 'z') && path[1] == ':') return CopyPart(path, 2);
    if (IsSeparator(path[0]) && IsSeparator(path[1])) {
        // "\\server\share": up to the separator after the share name.
        size_t i = 2;
        while (path[i] && !IsSeparator(path[i])) i++;
        if (path[i]) i++;
        while (path[i] && !IsSeparator(path[i])) i++;
        return CopyPart(path, i);
    }
    return MemStrDup("");
}
