#include "Support/LoadSave.h"
#include "Base/MemoryManager.h"
#include "Base/String.h"
#include "Support/File.h"
#include "Support/Linux/File_Linux.h"
#include "Support/Linux/LoadSave_Linux.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

cARRAY_MEMORY<char> OpenDialogFiles;
cARRAY_MEMORY<char> SaveDialogFiles;

namespace {

std::string g_saveFolder;     // with a trailing "/", empty until the game name is set
std::string g_programFolder;  // with a trailing "/", the current directory until set

const std::string& ProgramFolder()
{
    if (g_programFolder.empty()) g_programFolder = LoadSave_CanonicalFolder(LoadSave_CurrentFolder());
    return g_programFolder;
}

// The remainder of an absolute path (already split) under `folder`, if it lies there.
bool Under(const std::vector<std::string>& path, const std::string& folder, std::vector<std::string>& rest)
{
    std::vector<std::string> parts;
    if (folder.empty() || !LoadSave_Components(folder, parts) || parts.size() > path.size()) return false;
    for (size_t i = 0; i < parts.size(); i++)
        if (parts[i] != path[i]) return false;
    rest.assign(path.begin() + (long)parts.size(), path.end());
    return true;
}

constexpr size_t kPathSize = 4096;

// A mapped name: a dialog name as it stands, or the components of a path below root.
struct Mapped {
    std::string path;
    bool dialog = false;
    std::string root;
    std::vector<std::string> parts;
};

bool Map(const std::string& root, const cARRAY_MEMORY<char>& dialogList, const char* name, Mapped* out)
{
    if (!name || root.empty()) return false;
    for (int i = 0; i < dialogList.length; i++) {
        if (dialogList[i] && strcmp(dialogList[i], name) == 0) {
            out->path = name;
            out->dialog = true;
            return out->path.size() < kPathSize;
        }
    }
    std::string path = name;
    for (char& c : path)
        if (c == '\\') c = '/';
    if (isalpha((unsigned char)path[0]) && path[1] == ':') return false;  // another machine's drive
    std::vector<std::string> components;
    if (path[0] == '/') {
        // A full path: re-rooted from the deepest of the known folders that holds it.
        std::vector<std::string> absolute, rest, best;
        if (!LoadSave_Components(path, absolute)) return false;
        std::string cwd = LoadSave_CurrentFolder();
        if (cwd == "/") cwd.clear();  // would hold every path
        bool any = false;
        const std::string* folders[] = {&root, &g_saveFolder, &ProgramFolder(), &cwd};
        for (const std::string* folder : folders) {
            if (Under(absolute, *folder, rest) && (!any || rest.size() < best.size())) {
                best = rest;
                any = true;
            }
        }
        if (!any) return false;
        components = best;
    } else if (!LoadSave_Components(path, components)) {
        return false;
    }
    if (!LoadSave_Resolve(root, components, out->path) || out->path.size() >= kPathSize) return false;
    out->root = root;
    LoadSave_Components(out->path.substr(root.size()), out->parts);
    return true;
}

bool MapToBuffer(const std::string& root, const cARRAY_MEMORY<char>& dialogList, char* out, int size, const char* name)
{
    if (out && size > 0) out[0] = 0;
    Mapped m;
    if (!out || size <= 0 || !Map(root, dialogList, name, &m) || m.path.size() + 1 > (size_t)size) return false;
    memcpy(out, m.path.c_str(), m.path.size() + 1);
    return true;
}

bool MapSave(const char* name, Mapped* out) { return Map(g_saveFolder, SaveDialogFiles, name, out); }
bool MapBundle(const char* name, Mapped* out) { return Map(ProgramFolder(), OpenDialogFiles, name, out); }

// The regular file a mapped name names, for reading: a descriptor, or -1.
int Open(const Mapped& m)
{
    return m.dialog ? File_OpenAt(AT_FDCWD, m.path.c_str(), true) : LoadSave_OpenBeneath(m.root, m.parts);
}

bool Openable(const Mapped& m)
{
    int fd = Open(m);
    if (fd >= 0) close(fd);
    return fd >= 0;
}

unsigned char* ReadWhole(const Mapped& m, int64_t* size)
{
    if (size) *size = 0;
    int fd = Open(m);
    return fd < 0 ? nullptr : File_ReadAll(fd, size);
}

}  // namespace

bool LoadSave_Components(const std::string& path, std::vector<std::string>& out)
{
    out.clear();
    size_t i = 0;
    while (i <= path.size()) {
        size_t end = path.find('/', i);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(i, end - i);
        i = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (out.empty()) return false;
            out.pop_back();
        } else {
            out.push_back(part);
        }
    }
    return true;
}

std::string LoadSave_NormalisePath(const char* name)
{
    if (!name || !*name) return "";
    std::string path = name[0] == '/' ? name : LoadSave_CurrentFolder() + name;
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= path.size()) {
        size_t end = path.find('/', i);
        if (end == std::string::npos) end = path.size();
        std::string piece = path.substr(i, end - i);
        i = end + 1;
        if (piece == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!piece.empty() && piece != ".") {
            parts.push_back(piece);
        }
    }
    std::string out;
    for (const std::string& p : parts) out += "/" + p;
    return out.empty() ? "/" : out;
}

char* LoadSave_AdmitDialogFile(bool save, const char* name)
{
    std::string full = LoadSave_NormalisePath(name);
    if (full.empty()) return nullptr;
    cARRAY_MEMORY<char>& list = save ? SaveDialogFiles : OpenDialogFiles;
    bool listed = false;
    for (int i = 0; i < list.length && !listed; i++) listed = list[i] && full == list[i];
    if (!listed) list.Add(MemStrDup(full.c_str()));
    return MemStrDup(full.c_str());
}

void LoadSave_SetGameName(const char* name)
{
    std::string safe = name ? name : "";
    for (char& c : safe)
        if (c == '/' || c == '\\' || (unsigned char)c < 32) c = '_';
    if (safe.empty() || safe == "." || safe == "..") safe = "_" + safe;
    g_saveFolder = LoadSave_DataHome() + "/" + safe + "/";
}

void LoadSave_SetProgramFolder(const char* path)
{
    if (!path || !*path) {
        g_programFolder.clear();
        return;
    }
    std::string folder = path;
    if (folder[0] != '/') folder = LoadSave_CurrentFolder() + folder;
    g_programFolder = LoadSave_CanonicalFolder(folder);
}

const char* LoadSave_GetSaveFolder()
{
    return g_saveFolder.c_str();
}

const char* LoadSave_GetProgramFolder()
{
    return ProgramFolder().c_str();
}

bool LoadSave_SavePath(char* out, int size, const char* name)
{
    return MapToBuffer(g_saveFolder, SaveDialogFiles, out, size, name);
}

bool LoadSave_BundlePath(char* out, int size, const char* name)
{
    return MapToBuffer(ProgramFolder(), OpenDialogFiles, out, size, name);
}

bool LoadSave_SaveFileExists(const char* name)
{
    Mapped m;
    return MapSave(name, &m) && Openable(m);
}

bool LoadSave_BundleFileExists(const char* name)
{
    Mapped m;
    return MapBundle(name, &m) && Openable(m);
}

unsigned char* LoadSave_ReadSaveFile(const char* name, int64_t* size)
{
    Mapped m;
    if (size) *size = 0;
    return MapSave(name, &m) ? ReadWhole(m, size) : nullptr;
}

unsigned char* LoadSave_ReadBundleFile(const char* name, int64_t* size)
{
    Mapped m;
    if (size) *size = 0;
    return MapBundle(name, &m) ? ReadWhole(m, size) : nullptr;
}

bool LoadSave_WriteFile(const char* name, const void* bytes, int64_t size)
{
    Mapped m;
    if (!MapSave(name, &m) || size < 0 || (size > 0 && !bytes)) return false;
    if (!m.dialog) return LoadSave_WriteBeneath(m.root, m.parts, bytes, size);
    File_CreateDirectoryOfPath(m.path.c_str());
    return File_WriteWhole(m.path.c_str(), bytes, size);
}

namespace {

// The bytes (of the memory manager) as an open file; null for null bytes.
LoadSaveFile* OpenBytes(unsigned char* bytes, int64_t size, const char* mode)
{
    if (!bytes) return nullptr;
    if (strchr(mode, 't') && size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        memmove(bytes, bytes + 3, (size_t)(size - 3) + 1);
        size -= 3;
    }
    return new LoadSaveFile{bytes, size, 0};
}

bool ReadMode(const char* mode) { return mode && !strpbrk(mode, "wa+"); }

}  // namespace

LoadSaveFile* LoadSave_FOpen(const char* name, const char* mode)
{
    LoadSaveFile* file = LoadSave_FOpenBundle(name, mode);
    return file ? file : LoadSave_FOpenSave(name, mode);
}

LoadSaveFile* LoadSave_FOpenSave(const char* name, const char* mode)
{
    if (!ReadMode(mode)) return nullptr;
    int64_t size = 0;
    unsigned char* bytes = LoadSave_ReadSaveFile(name, &size);
    return OpenBytes(bytes, size, mode);
}

LoadSaveFile* LoadSave_FOpenBundle(const char* name, const char* mode)
{
    if (!ReadMode(mode)) return nullptr;
    int64_t size = 0;
    unsigned char* bytes = LoadSave_ReadBundleFile(name, &size);
    return OpenBytes(bytes, size, mode);
}

void LoadSave_FClose(LoadSaveFile* file)
{
    if (!file) return;
    MemFree(file->bytes);
    delete file;
}

int64_t LoadSave_FTell(LoadSaveFile* file)
{
    return file ? file->position : -1;
}

int LoadSave_FSeek(LoadSaveFile* file, int64_t offset, int origin)
{
    if (!file) return -1;
    int64_t base = origin == 0 ? 0 : origin == 1 ? file->position : origin == 2 ? file->size : -1;
    if (base < 0 || offset < -base || offset > file->size - base) return -1;
    file->position = base + offset;
    return 0;
}

bool LoadSave_FEof(LoadSaveFile* file)
{
    return !file || file->position >= file->size;
}

bool LoadSave_FEoln(LoadSaveFile* file)
{
    if (LoadSave_FEof(file)) return true;
    unsigned char c = file->bytes[file->position];
    return c == '\r' || c == '\n';
}

int LoadSave_FGetC(LoadSaveFile* file)
{
    if (LoadSave_FEof(file)) return -1;
    return file->bytes[file->position++];
}

double LoadSave_FReadReal(LoadSaveFile* file)
{
    if (!file) return 0.0;
    while (file->position < file->size && isspace(file->bytes[file->position])) file->position++;
    const char* start = (const char*)file->bytes + file->position;
    const char* end = start;
    double value = String_ToReal(start, &end);
    file->position += end - start;
    if (file->position > file->size) file->position = file->size;
    return value;
}

int64_t LoadSave_FRead(LoadSaveFile* file, void* out, int64_t count)
{
    if (!file || count <= 0) return 0;
    int64_t n = count < file->size - file->position ? count : file->size - file->position;
    memcpy(out, file->bytes + file->position, (size_t)n);
    file->position += n;
    return n;
}
