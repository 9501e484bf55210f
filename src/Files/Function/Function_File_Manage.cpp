// Files and folders by name: existence, deletion, renaming, copying, folders, attributes, and
// the search of both folders.
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Code/Arguments.h"
#include "Function/Function_File_Internal.h"
#include "Function/Linux/Function_FileM.h"
#include "Support/File.h"

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

// The folder the name is in the save folder, else in the program folder.
bool FindFolder(char* out, const char* name)
{
    return (File_SavePath(out, name) && Directory_Exists(out)) || (File_BundlePath(out, name) && Directory_Exists(out));
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

// Adds the entries of one folder (the mapping given) that match the pattern and pass the
// attribute test, once each.
void SearchFolder(bool (*map)(char*, int, const char*), const char* root, const std::string& folderPart,
                  const char* pattern, int wanted)
{
    char folder[FILE_PATH_SIZE];
    if (folderPart.empty()) snprintf(folder, sizeof folder, "%s", root);
    else if (!map(folder, sizeof folder, folderPart.c_str())) return;
    std::vector<std::string> names;
    if (!*root || !Directory_Exists(folder) || !FileM_List(folder, names)) return;
    for (const std::string& name : names) {
        char path[FILE_PATH_SIZE];
        // Through the mapping again, so an entry that leads out of the folder is left out.
        if (!MatchName(pattern, name) || !map(path, sizeof path, (folderPart + name).c_str())) continue;
        int bits = FileM_Attributes(path);
        if (bits < 0) continue;
        bits &= 0x37;
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
    char path[FILE_PATH_SIZE];
    bool inSave;
    SetBool(result, File_FindForReading(path, Arg_S(args[0]), &inSave));
}

void F_file_delete(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    const char* name = Arg_S(args[0]);
    char path[FILE_PATH_SIZE];
    if (LoadSave_SaveFileExists(name) && File_SavePath(path, name)) FileM_Delete(path);
}

// Never replaces a file that has the new name.
void F_file_rename(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    const char* name = Arg_S(args[0]);
    char from[FILE_PATH_SIZE], to[FILE_PATH_SIZE];
    if (LoadSave_SaveFileExists(name) && File_SavePath(from, name) && File_SavePath(to, Arg_S(args[1])))
        FileM_Rename(from, to);
}

// A copy onto the source itself leaves it as it is.
void F_file_copy(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(-1.0);
    const char* source = Arg_S(args[0]);
    const char* destination = Arg_S(args[1]);
    char from[FILE_PATH_SIZE], to[FILE_PATH_SIZE];
    bool inSave;
    if (!File_FindForReading(from, source, &inSave)) {
        Console_Warnings->Output("Unable to open source file %s\n", source);
        return;
    }
    if (!File_SavePath(to, destination)) {
        Console_Warnings->Output("Unable to open destination file %s\n", destination);
        return;
    }
    if (strcmp(from, to) == 0 || FileM_SameFile(from, to)) {
        result->SetReal(0.0);
        return;
    }
    LoadSaveFile* in = File_OpenForReading(source, "rb");
    if (!in) {
        Console_Warnings->Output("Unable to open source file %s\n", source);
        return;
    }
    CWriteFile* out = CWriteFile::Open(to, in, true);
    if (!out) Console_Warnings->Output("Unable to open destination file %s\n", destination);
    else if (out->Commit()) result->SetReal(0.0);
    delete out;
}

void F_directory_exists(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    char path[FILE_PATH_SIZE];
    SetBool(result, FindFolder(path, Arg_S(args[0])));
}

void F_directory_create(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    char path[FILE_PATH_SIZE];
    if (File_SavePath(path, Arg_S(args[0]))) Directory_CreateAll(path);
}

// 1 when the file or folder (the save folder's first) has every attribute bit asked for.
void F_file_attributes(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    const char* name = Arg_S(args[0]);
    char path[FILE_PATH_SIZE];
    bool inSave;
    if (!File_FindForReading(path, name, &inSave) && !FindFolder(path, name)) return;
    int wanted = Arg_I(args[1]);
    int bits = FileM_Attributes(path);
    SetBool(result, bits >= 0 && (bits & wanted) == wanted);
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
        SearchFolder(LoadSave_SavePath, LoadSave_GetSaveFolder(), folderPart, pattern, wanted);
        SearchFolder(LoadSave_BundlePath, LoadSave_GetProgramFolder(), folderPart, pattern, wanted);
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
