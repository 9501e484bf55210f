// The folder mapping: a game reads and writes only inside its save folder and its program folder,
// plus the exact names that a file dialog returned. Every file a game names goes through here.
//
// Mapping a name: "\" and "/" both separate. A relative name lives in the folder; "." is skipped,
// ".." goes up but never out of the folder (such a name is refused). A full path under the save
// folder, the program folder or the current directory is re-rooted into the folder. Any other full
// path (including drive-letter and "\\server" forms) is refused unless it equals a name of the
// dialog list of that folder (OpenDialogFiles for the program folder, SaveDialogFiles for the save
// folder), which is then used unchanged. A component missing as written is looked up
// case-insensitively (ASCII) in its folder; a symbolic link that leads out of the folder refuses
// the name. A name that means a folder itself (such as "", "." or "sub/..", or a dialog name that
// is or holds one of the folders) is refused too: the folder is not a file in it, and so is a name
// with a component of the runner's temporary files (File_IsTemporaryName), which listings leave
// out. A refused name, or a result longer than the buffer, gives an empty result and false.
//
// Every operation on a name (reading, writing, testing, deleting, renaming, making folders,
// listing) walks its checked path again one folder at a time, each opened relative to the one
// before and never through a link, and works relative to the last folder opened, so that a folder
// swapped for a link in between is refused rather than followed. Only regular files are read.
// Writes replace the name whole (a new file beside it takes the name), so a link of that name
// never passes the write on; new files are made 0666 and new folders 0777, less the umask. The
// names an open dialog returned are read, never written. Every descriptor is close-on-exec.
#pragma once
#include "Platform/Array.h"

#include <cstdint>
#include <string>
#include <vector>

// The two folders, for the operations that work in either.
enum LoadSaveFolder { LOADSAVE_SAVE, LOADSAVE_BUNDLE };

// What an entry is.
struct LoadSaveInfo {
    bool folder;       // else a file
    bool writable;     // the runner may change it
    uint64_t device;   // with inode, the same pair for the same file
    uint64_t inode;
    std::string name;  // its last component as mapped
};

// The save folder becomes $XDG_DATA_HOME/<name>/ (by default ~/.local/share/<name>/); separators
// and control characters of the name become "_". Until it is set, the save folder maps nothing.
void LoadSave_SetGameName(const char* name);
// The folder of the game data file. Until it is set, the program folder is the current directory.
void LoadSave_SetProgramFolder(const char* path);
// The folders with a trailing "/" ("" when unset).
const char* LoadSave_GetSaveFolder();
const char* LoadSave_GetProgramFolder();

// The longest mapped name, with its ending zero: a buffer of this size holds any.
constexpr int LOADSAVE_PATH_SIZE = 4096;

bool LoadSave_SavePath(char* out, int size, const char* name);
bool LoadSave_BundlePath(char* out, int size, const char* name);

// True when the name opens for reading as a file in that folder.
bool LoadSave_SaveFileExists(const char* name);
bool LoadSave_BundleFileExists(const char* name);
// The whole file, NUL-ended for convenience (not counted in *size), or null when missing or
// unreadable; the caller frees it with MemFree.
unsigned char* LoadSave_ReadSaveFile(const char* name, int64_t* size);
unsigned char* LoadSave_ReadBundleFile(const char* name, int64_t* size);
// A close-on-exec descriptor open for reading on the regular file the name names there, for a
// reader that takes a descriptor (the caller closes it), or -1.
int LoadSave_OpenFile(LoadSaveFolder where, const char* name);
// Writes the bytes to the name in the save folder ("wb"), creating missing folders; false when
// the name is refused or the file cannot be written. A size of 0 writes an empty file.
bool LoadSave_WriteFile(const char* name, const void* bytes, int64_t size);
// The same in either folder; the program folder's missing folders are not made.
bool LoadSave_WriteFileIn(LoadSaveFolder where, const char* name, const void* bytes, int64_t size);
// True when the name may be written there: an existing entry is a regular file (not a link) that
// may be changed, in a folder that takes new files; a missing one is made empty at once (with its
// folders in the save folder). *existed tells which.
bool LoadSave_PrepareWrite(LoadSaveFolder where, const char* name, bool* existed);
// Deletes the name in the save folder, unless it is a folder.
bool LoadSave_DeleteFile(const char* name);
// Renames a file or folder of the save folder; false, changing nothing, when the new name is taken
// or its folder is missing.
bool LoadSave_RenameFile(const char* from, const char* to);
// Makes the name a folder of the save folder, with the missing folders above it; true when it is
// one afterwards.
bool LoadSave_CreateFolder(const char* name);
// What the name is in that folder (through links that stay inside); false when missing.
bool LoadSave_Stat(LoadSaveFolder where, const char* name, LoadSaveInfo* info);
// The names in the folder that `folder` names there ("" for the folder itself) except "." and ".."
// and the runner's temporary files, sorted ignoring ASCII case; false when it cannot be read.
bool LoadSave_List(LoadSaveFolder where, const char* folder, std::vector<std::string>& names);

// A whole file held in memory for reading; bytes[size] is always 0.
struct LoadSaveFile {
    unsigned char* bytes;
    int64_t size;
    int64_t position;
};

// Reads the name from the program folder, else from the save folder; null when in neither or when
// the mode asks to write. A "t" in the mode skips a UTF-8 byte-order mark.
LoadSaveFile* LoadSave_FOpen(const char* name, const char* mode);
// The same from one folder only.
LoadSaveFile* LoadSave_FOpenSave(const char* name, const char* mode);
LoadSaveFile* LoadSave_FOpenBundle(const char* name, const char* mode);
void LoadSave_FClose(LoadSaveFile* file);
int64_t LoadSave_FTell(LoadSaveFile* file);
// origin 0 start, 1 current, 2 end; returns 0, or -1 (position unchanged) outside the file.
int LoadSave_FSeek(LoadSaveFile* file, int64_t offset, int origin);
bool LoadSave_FEof(LoadSaveFile* file);
// True at the end or on a CR or LF.
bool LoadSave_FEoln(LoadSaveFile* file);
// The next byte, or -1 past the end.
int LoadSave_FGetC(LoadSaveFile* file);
// Skips white space and reads a number (C locale), moving past it; 0 when there is none.
double LoadSave_FReadReal(LoadSaveFile* file);
// Copies up to `count` bytes; returns how many were copied.
int64_t LoadSave_FRead(LoadSaveFile* file, void* out, int64_t count);

// Removes from the save folder and the program folder the temporary files that whole-file writes
// cut short left behind (File_IsTemporaryName), those older than this process: a write of another
// runner under way is left alone. Folders inside are searched too (File_RemoveTemporaries).
void LoadSave_RemoveTemporaries();
// For a full path (with "/" or "\\" separators) that lies outside the save folder and the program
// folder: true, with the path in "/" form in out. False for any other name, or one longer than
// the buffer. For what the game may name outside its folders (external libraries).
bool LoadSave_FullPathOutside(const char* name, char* out, int size);

// Full names that the open and save file dialogs returned (memory-manager strings).
extern cARRAY_MEMORY<char> OpenDialogFiles;
extern cARRAY_MEMORY<char> SaveDialogFiles;
// The full form of a name: a relative name is taken from the current folder, and "/" runs, "."
// and ".." are folded without leaving "/". "" for an empty or null name.
std::string LoadSave_NormalisePath(const char* name);
// True when the name is one the save dialog (save) or the open dialog returned.
bool LoadSave_IsDialogFile(bool save, const char* name);
// Admits the full form of a name a file dialog returned to the list of that dialog (once) and
// returns that form as a new memory-manager string; null for an empty name.
char* LoadSave_AdmitDialogFile(bool save, const char* name);
