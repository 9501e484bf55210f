#include "Support/LoadSave_Place.h"
#include "Support/File.h"
#include "Support/File_At.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

std::string LoadSave_DataHome()
{
    const char* xdg = getenv("XDG_DATA_HOME");
    std::string base;
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = getenv("HOME");
        if (!home || home[0] != '/') {
            const passwd* pw = getpwuid(getuid());
            home = pw ? pw->pw_dir : "/tmp";
        }
        base = std::string(home) + "/.local/share";
    }
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return base;
}

std::string LoadSave_CurrentFolder()
{
    char* cwd = getcwd(nullptr, 0);
    if (!cwd) return "";
    std::string dir = cwd;
    free(cwd);
    if (dir.back() != '/') dir += '/';
    return dir;
}

std::string LoadSave_CanonicalFolder(const std::string& path)
{
    char* real = realpath(path.c_str(), nullptr);
    std::string dir = real ? real : path;
    free(real);
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

void (*LoadSave_CheckedHook)(const std::string& path) = nullptr;

namespace {

constexpr int MAX_LINKS = 40;  // links followed in one walk, as the kernel allows

// The entry of an open listing whose name equals `name` ignoring ASCII case (the smallest such
// name, so the choice does not depend on the order of the listing), or "" when there is none.
// Closes the listing.
std::string Smallest(DIR* dir, const std::string& name)
{
    std::string best;
    if (!dir) return best;
    while (const dirent* entry = readdir(dir)) {
        if (strcasecmp(entry->d_name, name.c_str()) != 0) continue;
        if (best.empty() || strcmp(entry->d_name, best.c_str()) < 0) best = entry->d_name;
    }
    closedir(dir);
    return best;
}

std::string FindIgnoringCase(const std::string& folder, const std::string& name)
{
    return Smallest(opendir(folder.c_str()), name);
}

// The same in an open folder (read through a descriptor of its own).
std::string FindIgnoringCaseAt(int folder, const std::string& name)
{
    int fd = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return "";
    DIR* dir = fdopendir(fd);
    if (!dir) close(fd);
    return Smallest(dir, name);
}

bool Inside(const std::string& path, const std::string& root)
{
    // root ends in "/"; the root itself counts as inside.
    return path.compare(0, root.size(), root) == 0 || path + "/" == root;
}

}  // namespace

bool LoadSave_Resolve(const std::string& root, const std::vector<std::string>& components, std::string& out)
{
    std::string realRoot;  // computed when a link needs checking
    out = root;
    bool missing = false;  // once a component is missing, nothing below it exists
    for (size_t i = 0; i < components.size(); i++) {
        const std::string& wanted = components[i];
        if (missing) {
            out += wanted;
        } else {
            struct stat st;
            std::string name = wanted;
            if (lstat((out + name).c_str(), &st) != 0) {
                name = FindIgnoringCase(out, wanted);
                if (name.empty() || lstat((out + name).c_str(), &st) != 0) {
                    missing = true;
                    name = wanted;
                }
            }
            out += name;
            if (!missing && S_ISLNK(st.st_mode)) {
                if (realRoot.empty()) realRoot = LoadSave_CanonicalFolder(root);
                char* target = realpath(out.c_str(), nullptr);
                bool inside = target && Inside(target, realRoot);
                free(target);
                if (!inside) return false;  // leads out, dangles or loops
            }
        }
        if (i + 1 < components.size()) out += '/';
    }
    return true;
}

namespace {

// The components (below root) that a link found in the folder `where` leads to: false when it
// leads out of root (as written or in its canonical form), dangles into nothing readable, or
// cannot be read.
bool LinkTarget(int folder, const std::string& name, const std::string& root, std::string& realRoot,
                const std::vector<std::string>& where, std::vector<std::string>* target)
{
    char text[PATH_MAX];
    ssize_t n = readlinkat(folder, name.c_str(), text, sizeof text - 1);
    if (n <= 0) return false;
    std::string link(text, (size_t)n);
    if (link[0] != '/') {
        std::string joined;
        for (const std::string& w : where) joined += w + "/";
        return LoadSave_Components(joined + link, *target);
    }
    std::vector<std::string> path;
    if (!LoadSave_Components(link, path)) return false;
    if (realRoot.empty()) realRoot = LoadSave_CanonicalFolder(root);
    for (const std::string* r : {&root, (const std::string*)&realRoot}) {
        std::vector<std::string> base;
        if (!LoadSave_Components(*r, base) || base.size() > path.size()) continue;
        if (std::equal(base.begin(), base.end(), path.begin())) {
            target->assign(path.begin() + (long)base.size(), path.end());
            return true;
        }
    }
    return false;
}

// Descends from root through the folders of `parts`, one openat with O_NOFOLLOW each; links are
// read and followed here (the last component's only with followLast), and the walk starts again
// from root along their target. Missing folders are made when `create` is set.
bool Descend(const std::string& root, std::vector<std::string> parts, bool create, bool followLast, LoadSavePlace* out,
             std::string* walked)
{
    if (create && !Directory_CreateAll(root.c_str())) return false;
    std::string realRoot;
    for (int links = 0; links <= MAX_LINKS; links++) {
        if (parts.empty()) return false;
        int folder = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder < 0) return false;
        std::vector<std::string> where;
        std::string path = root;
        bool relinked = false;
        for (size_t i = 0; i < parts.size() && !relinked; i++) {
            bool last = i + 1 == parts.size();
            std::string name = parts[i];
            struct stat st;
            bool exists = fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
            if (!exists) {
                std::string found = FindIgnoringCaseAt(folder, name);
                if (!found.empty() && fstatat(folder, found.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
                    name = found;
                    exists = true;
                }
            }
            if (exists && S_ISLNK(st.st_mode) && (!last || followLast)) {
                std::vector<std::string> target;
                bool inside = LinkTarget(folder, name, root, realRoot, where, &target);
                close(folder);
                if (!inside) return false;
                target.insert(target.end(), parts.begin() + (long)i + 1, parts.end());
                parts = target;
                relinked = true;
                continue;
            }
            path += name;
            if (last) {
                out->folder = folder;
                out->name = name;
                *walked = path;
                return true;
            }
            if (LoadSave_CheckedHook) LoadSave_CheckedHook(path);
            int next = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (next < 0 && !exists && create && mkdirat(folder, name.c_str(), 0777) == 0)
                next = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            close(folder);
            if (next < 0) return false;
            folder = next;
            where.push_back(name);
            path += "/";
        }
    }
    return false;  // too many links: a loop
}

bool Missing(const LoadSavePlace& place, struct stat* st)
{
    return fstatat(place.folder, place.name.c_str(), st, AT_SYMLINK_NOFOLLOW) != 0;
}

}  // namespace

LoadSavePlace::~LoadSavePlace()
{
    if (folder >= 0) close(folder);
}

bool LoadSave_PlaceBeneath(const std::string& root, const std::vector<std::string>& components, bool create,
                           bool followLast, LoadSavePlace* out)
{
    std::string path;
    if (!Descend(root, components, create, followLast, out, &path)) return false;
    if (LoadSave_CheckedHook) LoadSave_CheckedHook(path);
    return true;
}

bool LoadSave_PlaceOfPath(const std::string& path, bool create, LoadSavePlace* out)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash + 1 == path.size()) return false;
    std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    if (create && !Directory_CreateAll(folder.c_str())) return false;
    out->folder = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    out->name = path.substr(slash + 1);
    return out->folder >= 0;
}

bool LoadSave_WriteAt(const LoadSavePlace& place, const void* bytes, int64_t size)
{
    return File_WriteWholeAt(place.folder, place.name.c_str(), bytes, size);
}

bool LoadSave_PrepareAt(const LoadSavePlace& place, bool* existed)
{
    struct stat st;
    *existed = !Missing(place, &st);
    if (!*existed) return LoadSave_WriteAt(place, "", 0);
    // The write replaces the entry through a new file beside it, so the folder must take one.
    return S_ISREG(st.st_mode) && faccessat(place.folder, place.name.c_str(), W_OK, AT_SYMLINK_NOFOLLOW) == 0 &&
           faccessat(place.folder, ".", W_OK | X_OK, 0) == 0;
}

bool LoadSave_DeleteAt(const LoadSavePlace& place)
{
    struct stat st;
    return !Missing(place, &st) && !S_ISDIR(st.st_mode) && unlinkat(place.folder, place.name.c_str(), 0) == 0;
}

bool LoadSave_RenameAt(const LoadSavePlace& from, const LoadSavePlace& to)
{
    const char* a = from.name.c_str();
    const char* b = to.name.c_str();
    if (renameat2(from.folder, a, to.folder, b, RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the flag: a new link fails when the name is taken, as the rename must.
    struct stat st;
    if (Missing(from, &st) || S_ISDIR(st.st_mode) || linkat(from.folder, a, to.folder, b, 0) != 0) return false;
    unlinkat(from.folder, a, 0);
    return true;
}

bool LoadSave_MakeFolderAt(const LoadSavePlace& place)
{
    struct stat st;
    return mkdirat(place.folder, place.name.c_str(), 0777) == 0 || (!Missing(place, &st) && S_ISDIR(st.st_mode));
}

bool LoadSave_StatAt(const LoadSavePlace& place, bool follow, LoadSaveInfo* info)
{
    struct stat st;
    int flags = follow ? 0 : AT_SYMLINK_NOFOLLOW;
    if (fstatat(place.folder, place.name.c_str(), &st, flags) != 0 || S_ISLNK(st.st_mode)) return false;
    info->folder = S_ISDIR(st.st_mode);
    info->writable = faccessat(place.folder, place.name.c_str(), W_OK, flags) == 0;
    info->device = (uint64_t)st.st_dev;
    info->inode = (uint64_t)st.st_ino;
    return true;
}

bool LoadSave_ListBeneath(const std::string& root, const std::vector<std::string>& components,
                          std::vector<std::string>& names)
{
    names.clear();
    int fd = -1;
    if (components.empty()) {
        fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } else {
        LoadSavePlace place;
        if (LoadSave_PlaceBeneath(root, components, false, true, &place))
            fd = openat(place.folder, place.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }
    DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
    if (!dir) {
        if (fd >= 0) close(fd);
        return false;
    }
    while (const dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if (strcmp(name, ".") != 0 && strcmp(name, "..") != 0 && !File_IsTemporaryName(name)) names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string& x, const std::string& y) {
        int c = strcasecmp(x.c_str(), y.c_str());
        return c != 0 ? c < 0 : x < y;
    });
    return true;
}
