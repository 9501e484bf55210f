#include "Support/Linux/LoadSave_Linux.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
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

namespace {

// The entry of `folder` whose name equals `name` ignoring ASCII case (the smallest such name,
// so the choice does not depend on the order of the listing), or "" when there is none.
std::string FindIgnoringCase(const std::string& folder, const std::string& name)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir) return "";
    std::string best;
    while (const dirent* entry = readdir(dir)) {
        if (strcasecmp(entry->d_name, name.c_str()) != 0) continue;
        if (best.empty() || strcmp(entry->d_name, best.c_str()) < 0) best = entry->d_name;
    }
    closedir(dir);
    return best;
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
