// POSIX half of the file module.
#include "Support/File.h"
#include "Base/MemoryManager.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

bool File_Exists(const char* path)
{
    struct stat st;
    return path && *path && stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

bool Directory_Exists(const char* path)
{
    struct stat st;
    return path && *path && stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool Directory_CreateAll(const char* path)
{
    if (!path || !*path) return false;
    std::string p(path);
    for (char& c : p)
        if (c == '\\') c = '/';
    for (size_t i = 1; i <= p.size(); i++) {
        if (i < p.size() && p[i] != '/') continue;
        std::string part = p.substr(0, i);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST && !Directory_Exists(part.c_str())) return false;
    }
    return Directory_Exists(p.c_str());
}

bool File_CreateDirectoryOfPath(const char* path)
{
    char* folder = File_ExtractPath(path);
    bool ok = !folder || !*folder || Directory_CreateAll(folder);
    MemFree(folder);
    return ok;
}

char* File_CurrentDirectory()
{
    char* cwd = getcwd(nullptr, 0);
    char* copy = MemStrDup(cwd);
    free(cwd);
    return copy;
}

char* File_TempDirectory()
{
    const char* tmp = getenv("TMPDIR");
    std::string dir = (tmp && *tmp == '/') ? tmp : "/tmp";
    if (!Directory_Exists(dir.c_str())) return nullptr;
    if (dir.back() != '/') dir += '/';
    return MemStrDup(dir.c_str());
}
