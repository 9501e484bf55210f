#include "Support/LoadSave.h"
#include "Base/MemoryManager.h"
#include "Base/String.h"
#include "Support/File.h"
#include "Support/File_At.h"
#include "Support/LoadSave_Place.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <string>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

cARRAY_MEMORY<char> OpenDialogFiles;
cARRAY_MEMORY<char> SaveDialogFiles;

namespace {

std::string g_saveFolder;     // with a trailing "/", empty until the game name is set
std::string g_programFolder;  // with a trailing "/", the current directory until set
// When the process started (near enough: when its tables were made).
const timespec g_started = [] {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return now;
}();

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

// A mapped name: a dialog name as it stands, or the components of a path below root.
struct Mapped {
    std::string path;
    bool dialog = false;
    std::string root;
    std::vector<std::string> parts;
};

bool Listed(const cARRAY_MEMORY<char>& list, const char* name)
{
    for (int i = 0; i < list.length; i++)
        if (list[i] && name && strcmp(list[i], name) == 0) return true;
    return false;
}

// A dialog name that ends in a separator, or is or holds one of the folders, names no file.
bool HoldsAFolder(const std::string& path)
{
    if (path.empty() || path.back() == '/' || path.back() == '\\') return true;
    for (const std::string* folder : {(const std::string*)&g_saveFolder, &ProgramFolder()})
        if (!folder->empty() && folder->compare(0, path.size() + 1, path + "/") == 0) return true;
    return false;
}

// Only a listing may name the folder itself (folderItself).
bool Map(const std::string& root, const cARRAY_MEMORY<char>& dialogList, const char* name, Mapped* out,
         bool folderItself = false)
{
    if (!name || root.empty()) return false;
    if (Listed(dialogList, name)) {
        out->path = name;
        out->dialog = true;
        return out->path.size() < (size_t)LOADSAVE_PATH_SIZE && !HoldsAFolder(out->path);
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
    for (const std::string& component : components)
        if (File_IsTemporaryName(component.c_str())) return false;
    if (!LoadSave_Resolve(root, components, out->path) || out->path.size() >= (size_t)LOADSAVE_PATH_SIZE) return false;
    out->root = root;
    LoadSave_Components(out->path.substr(root.size()), out->parts);
    return folderItself || !out->parts.empty();
}

bool MapToBuffer(const std::string& root, const cARRAY_MEMORY<char>& dialogList, char* out, int size, const char* name)
{
    if (out && size > 0) out[0] = 0;
    Mapped m;
    if (!out || size <= 0 || !Map(root, dialogList, name, &m) || m.path.size() + 1 > (size_t)size) return false;
    memcpy(out, m.path.c_str(), m.path.size() + 1);
    return true;
}

bool MapIn(LoadSaveFolder where, const char* name, Mapped* out, bool folderItself = false)
{
    if (where == LOADSAVE_SAVE) return Map(g_saveFolder, SaveDialogFiles, name, out, folderItself);
    return Map(ProgramFolder(), OpenDialogFiles, name, out, folderItself);
}

// The open dialog's names are read, never written.
bool MapForWriting(LoadSaveFolder where, const char* name, Mapped* out)
{
    return MapIn(where, name, out) && !(out->dialog && where == LOADSAVE_BUNDLE);
}

// Where an operation on the mapped name happens: a dialog name's folder opened by path, else the
// end of the walk below root.
bool Place(const Mapped& m, bool create, bool followLast, LoadSavePlace* place)
{
    if (m.dialog) return LoadSave_PlaceOfPath(m.path, create, place);
    return LoadSave_PlaceBeneath(m.root, m.parts, create, followLast, place);
}

// The regular file a mapped name names, for reading: a descriptor, or -1.
int Open(const Mapped& m)
{
    if (m.dialog) return File_OpenAt(AT_FDCWD, m.path.c_str(), true);
    LoadSavePlace place;
    return Place(m, false, true, &place) ? File_OpenAt(place.folder, place.name.c_str(), false) : -1;
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

bool LoadSave_FullPathOutside(const char* name, char* out, int size)
{
    std::string path = name ? name : "";
    for (char& c : path)
        if (c == '\\') c = '/';
    std::vector<std::string> absolute, rest;
    if (path.empty() || path[0] != '/' || path.size() >= (size_t)size || !LoadSave_Components(path, absolute))
        return false;
    for (const std::string* folder : {(const std::string*)&g_saveFolder, &ProgramFolder()})
        if (Under(absolute, *folder, rest)) return false;
    memcpy(out, path.c_str(), path.size() + 1);
    return true;
}

char* LoadSave_AdmitDialogFile(bool save, const char* name)
{
    std::string full = LoadSave_NormalisePath(name);
    if (full.empty()) return nullptr;
    cARRAY_MEMORY<char>& list = save ? SaveDialogFiles : OpenDialogFiles;
    if (!Listed(list, full.c_str())) list.Add(MemStrDup(full.c_str()));
    return MemStrDup(full.c_str());
}

bool LoadSave_IsDialogFile(bool save, const char* name)
{
    return Listed(save ? SaveDialogFiles : OpenDialogFiles, name);
}

void LoadSave_RemoveTemporaries()
{
    for (const std::string* folder : {(const std::string*)&g_saveFolder, &ProgramFolder()})
        if (!folder->empty()) File_RemoveTemporaries(folder->c_str(), g_started);
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
    return MapIn(LOADSAVE_SAVE, name, &m) && Openable(m);
}

bool LoadSave_BundleFileExists(const char* name)
{
    Mapped m;
    return MapIn(LOADSAVE_BUNDLE, name, &m) && Openable(m);
}

unsigned char* LoadSave_ReadSaveFile(const char* name, int64_t* size)
{
    Mapped m;
    if (size) *size = 0;
    return MapIn(LOADSAVE_SAVE, name, &m) ? ReadWhole(m, size) : nullptr;
}

unsigned char* LoadSave_ReadBundleFile(const char* name, int64_t* size)
{
    Mapped m;
    if (size) *size = 0;
    return MapIn(LOADSAVE_BUNDLE, name, &m) ? ReadWhole(m, size) : nullptr;
}

int LoadSave_OpenFile(LoadSaveFolder where, const char* name)
{
    Mapped m;
    return MapIn(where, name, &m) ? Open(m) : -1;
}

bool LoadSave_WriteFile(const char* name, const void* bytes, int64_t size)
{
    return LoadSave_WriteFileIn(LOADSAVE_SAVE, name, bytes, size);
}

bool LoadSave_WriteFileIn(LoadSaveFolder where, const char* name, const void* bytes, int64_t size)
{
    Mapped m;
    LoadSavePlace place;
    if (size < 0 || (size > 0 && !bytes) || !MapForWriting(where, name, &m)) return false;
    return Place(m, where == LOADSAVE_SAVE, false, &place) && LoadSave_WriteAt(place, bytes, size);
}

bool LoadSave_PrepareWrite(LoadSaveFolder where, const char* name, bool* existed)
{
    Mapped m;
    LoadSavePlace place;
    *existed = false;
    return MapForWriting(where, name, &m) && Place(m, where == LOADSAVE_SAVE, false, &place) &&
           LoadSave_PrepareAt(place, existed);
}

bool LoadSave_DeleteFile(const char* name)
{
    Mapped m;
    LoadSavePlace place;
    return MapIn(LOADSAVE_SAVE, name, &m) && Place(m, false, false, &place) && LoadSave_DeleteAt(place);
}

bool LoadSave_RenameFile(const char* from, const char* to)
{
    Mapped a, b;
    LoadSavePlace source, destination;
    return MapIn(LOADSAVE_SAVE, from, &a) && MapIn(LOADSAVE_SAVE, to, &b) && Place(a, false, false, &source) &&
           Place(b, false, false, &destination) && LoadSave_RenameAt(source, destination);
}

bool LoadSave_CreateFolder(const char* name)
{
    Mapped m;
    LoadSavePlace place;
    return MapIn(LOADSAVE_SAVE, name, &m) && Place(m, true, true, &place) && LoadSave_MakeFolderAt(place);
}

bool LoadSave_Stat(LoadSaveFolder where, const char* name, LoadSaveInfo* info)
{
    Mapped m;
    LoadSavePlace place;
    if (!MapIn(where, name, &m) || !Place(m, false, true, &place) || !LoadSave_StatAt(place, m.dialog, info)) return false;
    info->name = m.dialog ? m.path.substr(m.path.rfind('/') + 1) : m.parts.back();
    return true;
}

bool LoadSave_List(LoadSaveFolder where, const char* folder, std::vector<std::string>& names)
{
    Mapped m;
    names.clear();
    return MapIn(where, folder, &m, true) && !m.dialog && LoadSave_ListBeneath(m.root, m.parts, names);
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
