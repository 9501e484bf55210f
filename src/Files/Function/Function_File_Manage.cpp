// Files and folders by name: existence, deletion, renaming, copying, folders, attributes, and
// the search of both folders.
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Function/Function_FileM.h"
#include "Function/Function_File_Internal.h"
#include "Support/File.h"
#include "Variable/Arguments.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Search {
    std::vector<std::string> names;
    size_t index = 0;
    bool active = false;
};

Search g_search;

void SetBool(TaggedValue* result, bool value)
{
    result->SetReal(value ? 1.0 : 0.0);
}

// The name as a folder of the save folder, else of the program folder.
bool FindFolder(const char* name, LoadSaveInfo* info)
{
    for (LoadSaveFolder where : {LOADSAVE_SAVE, LOADSAVE_BUNDLE})
        if (LoadSave_Stat(where, name, info) && info->folder) return true;
    return false;
}

// The attribute bits of an entry: read-only when it cannot be changed, hidden when its name
// begins with ".", folder, and archive for every file.
int Attributes(const LoadSaveInfo& info)
{
    int bits = info.writable ? 0 : FILE_ATTR_READONLY;
    if (info.name[0] == '.') bits |= FILE_ATTR_HIDDEN;
    return bits | (info.folder ? FILE_ATTR_FOLDER : FILE_ATTR_ARCHIVE);
}

// "*" and "?" wildcards, ignoring ASCII case.
bool Match(const char* pattern, const char* name)
{
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name) {
        if (*pattern == '?' || (*pattern && *pattern != '*' && tolower((unsigned char)*pattern) == tolower((unsigned char)*name))) {
            pattern++;
            name++;
        } else if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*') pattern++;
    return !*pattern;
}

// A pattern ending in ".*" also matches names without an extension ("*.*" matches every name).
bool MatchName(const char* pattern, const std::string& name)
{
    if (Match(pattern, name.c_str())) return true;
    size_t n = strlen(pattern);
    return n >= 2 && strcmp(pattern + n - 2, ".*") == 0 && Match(pattern, (name + ".").c_str());
}

// Adds the entries of one folder that match the pattern and pass the attribute test, once each.
void SearchFolder(LoadSaveFolder where, const std::string& folderPart, const char* pattern, int wanted)
{
    std::vector<std::string> names;
    if (!LoadSave_List(where, folderPart.c_str(), names)) return;
    for (const std::string& name : names) {
        LoadSaveInfo info;
        // Through the mapping again, so an entry that leads out of the folder is left out.
        if (!MatchName(pattern, name) || !LoadSave_Stat(where, (folderPart + name).c_str(), &info)) continue;
        int bits = Attributes(info) & 0x37;
        bool passes = (bits & FILE_ATTR_FOLDER) ? (wanted & FILE_ATTR_FOLDER) != 0
                                                 : (wanted & ~FILE_ATTR_FOLDER) == 0 || (wanted & bits) != 0;
        if (!passes) continue;
        bool listed = false;
        for (const std::string& seen : g_search.names) listed = listed || seen == name;
        if (!listed) g_search.names.push_back(name);
    }
}

}  // namespace

void File_Search_Free()
{
    g_search = Search{};
}

void F_file_exists(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    LoadSaveFolder where;
    SetBool(result, File_Locate(Arg_S(args[0]), &where));
}

void F_file_delete(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    const char* name = Arg_S(args[0]);
    if (LoadSave_SaveFileExists(name)) LoadSave_DeleteFile(name);
}

// Never replaces a file that has the new name.
void F_file_rename(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    const char* name = Arg_S(args[0]);
    if (LoadSave_SaveFileExists(name)) LoadSave_RenameFile(name, Arg_S(args[1]));
}

// A copy onto the source itself leaves it as it is.
void F_file_copy(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(-1.0);
    const char* source = Arg_S(args[0]);
    const char* destination = Arg_S(args[1]);
    LoadSaveFolder from;
    LoadSaveInfo a, b;
    LoadSaveFile* in = File_Locate(source, &from) ? File_OpenForReading(source, "rb") : nullptr;
    if (!in) {
        Console_Warnings->Output("Unable to open source file %s\n", source);
        return;
    }
    if (LoadSave_Stat(from, source, &a) && LoadSave_Stat(LOADSAVE_SAVE, destination, &b) && a.device == b.device &&
        a.inode == b.inode) {
        LoadSave_FClose(in);
        result->SetReal(0.0);
        return;
    }
    CWriteFile* out = CWriteFile::Open(LOADSAVE_SAVE, destination, in, true);
    if (!out) Console_Warnings->Output("Unable to open destination file %s\n", destination);
    else if (out->Commit()) result->SetReal(0.0);
    delete out;
}

void F_directory_exists(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    LoadSaveInfo info;
    SetBool(result, FindFolder(Arg_S(args[0]), &info));
}

void F_directory_create(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    LoadSave_CreateFolder(Arg_S(args[0]));
}

// 1 when the file or folder (the save folder's first) has every attribute bit asked for.
void F_file_attributes(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    const char* name = Arg_S(args[0]);
    LoadSaveFolder where;
    LoadSaveInfo info;
    bool found = File_Locate(name, &where) ? LoadSave_Stat(where, name, &info) : FindFolder(name, &info);
    int wanted = Arg_I(args[1]);
    SetBool(result, found && (Attributes(info) & wanted) == wanted);
}

void F_file_find_first(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    g_search = Search{};
    result->SetString("");
    const char* mask = Arg_S(args[0]);
    int wanted = Arg_I(args[1]);
    char* folderPart = File_ExtractPath(mask);
    char* pattern = File_ExtractName(mask);
    if (*pattern) {
        SearchFolder(LOADSAVE_SAVE, folderPart, pattern, wanted);
        SearchFolder(LOADSAVE_BUNDLE, folderPart, pattern, wanted);
    }
    MemFree(folderPart);
    MemFree(pattern);
    if (g_search.names.empty()) return;
    g_search.active = true;
    result->SetString(g_search.names[0].c_str());
}

void F_file_find_next(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetString("");
    if (!g_search.active || ++g_search.index >= g_search.names.size()) return;
    result->SetString(g_search.names[g_search.index].c_str());
}

void F_file_find_close(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*)
{
    if (g_search.active) g_search = Search{};
}
