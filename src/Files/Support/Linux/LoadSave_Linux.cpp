#include "Support/Linux/LoadSave_Linux.h"
#include "Support/File.h"
#include "Support/Linux/File_Linux.h"

#include <algorithm>
#include <climits>
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

// The open folder that holds the last component, and that component's name as found.
struct Walk {
    int folder = -1;
    std::string name;
    std::string path;  // root and the components as walked, for the hook
};

// Descends from root through the folders of `parts`, one openat with O_NOFOLLOW each; links are
// read and followed here (the last component's only with followLast), and the walk starts again
// from root along their target. Missing folders are made when `create` is set.
bool Descend(const std::string& root, std::vector<std::string> parts, bool create, bool followLast, Walk* out)
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
                out->path = path;
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

}  // namespace

int LoadSave_OpenBeneath(const std::string& root, const std::vector<std::string>& components)
{
    Walk w;
    if (!Descend(root, components, false, true, &w)) return -1;
    if (LoadSave_CheckedHook) LoadSave_CheckedHook(w.path);
    int fd = File_OpenAt(w.folder, w.name.c_str(), false);
    close(w.folder);
    return fd;
}

bool LoadSave_WriteBeneath(const std::string& root, const std::vector<std::string>& components, const void* bytes,
                           int64_t size)
{
    Walk w;
    if (!Descend(root, components, true, false, &w)) return false;
    bool ok = File_WriteWholeAt(w.folder, w.name.c_str(), bytes, size);
    close(w.folder);
    return ok;
}
