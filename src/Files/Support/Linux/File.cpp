// POSIX half of the file module.
#include "Support/File.h"
#include "Base/MemoryManager.h"
#include "Support/File_At.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

bool File_Exists(const char* path)
{
    struct stat st;
    return path && *path && stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

int File_OpenAt(int folder, const char* name, bool follow)
{
    if (!name || !*name) return -1;
    int fd = openat(folder, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (follow ? 0 : O_NOFOLLOW));
    if (fd < 0) return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
    return fd;
}

unsigned char* File_ReadAll(int fd, int64_t* size)
{
    if (size) *size = 0;
    if (fd < 0) return nullptr;
    struct stat st;
    unsigned char* bytes = nullptr;
    if (fstat(fd, &st) == 0 && st.st_size >= 0) {
        size_t n = (size_t)st.st_size, got = 0;
        bytes = (unsigned char*)MemAlloc(n + 1);
        while (bytes && got < n) {
            ssize_t r = read(fd, bytes + got, n - got);
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) break;
            got += (size_t)r;
        }
        if (bytes && got == n) {
            bytes[n] = 0;
            if (size) *size = (int64_t)n;
        } else {
            MemFree(bytes);
            bytes = nullptr;
        }
    }
    close(fd);
    return bytes;
}

namespace {

constexpr char TEMPORARY_MARK[] = ".~";
constexpr size_t TEMPORARY_DIGITS = 16;
// Of the name written, a temporary name keeps this many bytes: the whole stays within a file
// system's 255.
constexpr size_t TEMPORARY_NAME_PART = 200;

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace

bool File_IsTemporaryName(const char* name)
{
    size_t mark = sizeof TEMPORARY_MARK - 1;
    size_t n = name ? strlen(name) : 0;
    if (n < mark + 2 + TEMPORARY_DIGITS || strncmp(name, TEMPORARY_MARK, mark) != 0) return false;
    const char* digits = name + n - TEMPORARY_DIGITS;
    if (digits[-1] != '.') return false;
    for (size_t i = 0; i < TEMPORARY_DIGITS; i++)
        if (!IsHexDigit(digits[i])) return false;
    return true;
}

// A new temporary file for the name, of a name not yet taken in the folder: its descriptor, or -1.
static int CreateBeside(int folder, const char* name, std::string* temp)
{
    static std::mt19937_64 random(std::random_device{}() ^ (uint64_t)getpid());
    for (int attempt = 0; attempt < 100; attempt++) {
        char suffix[24];
        snprintf(suffix, sizeof suffix, ".%016llx", (unsigned long long)random());
        *temp = TEMPORARY_MARK + std::string(name).substr(0, TEMPORARY_NAME_PART) + suffix;
        int fd = openat(folder, temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool File_WriteWholeAt(int folder, const char* name, const void* bytes, int64_t size)
{
    if (!name || !*name || size < 0 || (size > 0 && !bytes)) return false;
    std::string temp;
    int fd = CreateBeside(folder, name, &temp);
    if (fd < 0) return false;
    // Locked while it is written, until it has its name: the removal of temporary files that
    // writes cut short passes over it.
    bool ok = flock(fd, LOCK_EX | LOCK_NB) == 0;
    const char* p = (const char*)bytes;
    size_t left = (size_t)size;
    while (ok && left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else p += n, left -= (size_t)n;
    }
    if (ok && fsync(fd) != 0) ok = false;
    if (ok && renameat(folder, temp.c_str(), folder, name) != 0) ok = false;
    if (!ok) unlinkat(folder, temp.c_str(), 0);
    return close(fd) == 0 && ok;
}

namespace {

// The bounds of the search: a program folder may be a large one, such as the player's home.
constexpr int TEMPORARY_SEARCH_DEPTH = 16;
constexpr int TEMPORARY_SEARCH_ENTRIES = 100000;

bool Before(const timespec& a, const timespec& b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// Takes over the open folder descriptor.
void RemoveTemporariesIn(int folder, const timespec& before, int depth, int* entries)
{
    DIR* dir = fdopendir(folder);
    if (!dir) {
        close(folder);
        return;
    }
    while (const dirent* entry = readdir(dir)) {
        if (--*entries < 0) break;
        const char* name = entry->d_name;
        if (!strcmp(name, ".") || !strcmp(name, "..")) continue;
        struct stat st;
        if (fstatat(dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISREG(st.st_mode) && File_IsTemporaryName(name) && Before(st.st_mtim, before)) {
            // A write under way holds its file locked.
            int fd = openat(dirfd(dir), name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0) unlinkat(dirfd(dir), name, 0);
            if (fd >= 0) close(fd);
        } else if (S_ISDIR(st.st_mode) && depth > 0) {
            int inner = openat(dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (inner >= 0) RemoveTemporariesIn(inner, before, depth - 1, entries);
        }
    }
    closedir(dir);
}

}  // namespace

void File_RemoveTemporaries(const char* folder, const timespec& before)
{
    int fd = folder ? open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
    int entries = TEMPORARY_SEARCH_ENTRIES;
    if (fd >= 0) RemoveTemporariesIn(fd, before, TEMPORARY_SEARCH_DEPTH, &entries);
}

bool File_WriteWhole(const char* path, const void* bytes, int64_t size)
{
    if (!path || !*path) return false;
    char* folderPath = File_ExtractPath(path);
    char* name = File_ExtractName(path);
    int folder = open(folderPath && *folderPath ? folderPath : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    bool ok = folder >= 0 && File_WriteWholeAt(folder, name, bytes, size);
    if (folder >= 0) close(folder);
    MemFree(folderPath);
    MemFree(name);
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
        if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST && !Directory_Exists(part.c_str())) return false;
    }
    return Directory_Exists(p.c_str());
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
