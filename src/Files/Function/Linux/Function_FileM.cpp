// The POSIX half of the file built-ins.
#include "Function/Linux/Function_FileM.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string FolderOf(const char* path)
{
    const char* slash = strrchr(path, '/');
    if (!slash) return ".";
    if (slash == path) return "/";
    return std::string(path, (size_t)(slash - path));
}

}  // namespace

int FileM_Attributes(const char* path)
{
    struct stat st;
    if (!path || !*path || stat(path, &st) != 0) return -1;
    int bits = 0;
    if (access(path, W_OK) != 0) bits |= FILE_ATTR_READONLY;
    const char* slash = strrchr(path, '/');
    if ((slash ? slash[1] : path[0]) == '.') bits |= FILE_ATTR_HIDDEN;
    if (S_ISDIR(st.st_mode)) bits |= FILE_ATTR_FOLDER;
    else bits |= FILE_ATTR_ARCHIVE;
    return bits;
}

bool FileM_Writable(const char* path)
{
    if (!path || !*path) return false;
    struct stat st;
    if (lstat(path, &st) == 0 && (!S_ISREG(st.st_mode) || access(path, W_OK) != 0)) return false;
    return access(FolderOf(path).c_str(), W_OK | X_OK) == 0;
}

bool FileM_Delete(const char* path)
{
    struct stat st;
    return path && *path && lstat(path, &st) == 0 && !S_ISDIR(st.st_mode) && unlink(path) == 0;
}

bool FileM_Rename(const char* from, const char* to)
{
    if (!from || !to || !*from || !*to) return false;
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the flag: a new link fails when the name exists, as the rename must.
    struct stat st;
    if (lstat(from, &st) != 0 || S_ISDIR(st.st_mode) || link(from, to) != 0) return false;
    unlink(from);
    return true;
}

bool FileM_SameFile(const char* a, const char* b)
{
    struct stat sa, sb;
    return a && b && stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool FileM_List(const char* folder, std::vector<std::string>& names)
{
    names.clear();
    DIR* dir = opendir(folder);
    if (!dir) return false;
    while (const dirent* entry = readdir(dir)) {
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0) names.push_back(entry->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string& x, const std::string& y) {
        int c = strcasecmp(x.c_str(), y.c_str());
        return c != 0 ? c < 0 : x < y;
    });
    return true;
}

bool FileM_CommandLine(std::vector<std::string>& args)
{
    args.clear();
    FILE* f = fopen("/proc/self/cmdline", "rbe");
    if (!f) return false;
    std::string arg;
    int c;
    while ((c = fgetc(f)) != EOF) {
        if (c) {
            arg += (char)c;
        } else {
            args.push_back(arg);
            arg.clear();
        }
    }
    if (!arg.empty()) args.push_back(arg);
    fclose(f);
    return !args.empty();
}
