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

bool File_WriteWhole(const char* path, const void* bytes, int64_t size)
{
    if (!path || !*path || size < 0 || (size > 0 && !bytes)) return false;
    std::string temp = std::string(path) + ".XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = fchmod(fd, 0644) == 0;
    const char* p = (const char*)bytes;
    size_t left = (size_t)size;
    while (ok && left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else p += n, left -= (size_t)n;
    }
    if (ok && fsync(fd) != 0) ok = false;
    if (close(fd) != 0) ok = false;
    if (ok && rename(temp.c_str(), path) != 0) ok = false;
    if (!ok) unlink(temp.c_str());
    return ok;
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
