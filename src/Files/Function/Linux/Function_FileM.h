// The platform half of the file built-ins: what they need of the machine's files, folders and
// process beyond the folder mapping. Every path here is one the mapping gave.
#pragma once
#include <string>
#include <vector>

// File attribute bits as games see them.
enum : int {
    FILE_ATTR_READONLY = 0x01,
    FILE_ATTR_HIDDEN = 0x02,
    FILE_ATTR_SYSTEM = 0x04,
    FILE_ATTR_FOLDER = 0x10,
    FILE_ATTR_ARCHIVE = 0x20,
};

// The attribute bits of a file or folder: read-only when it cannot be written, hidden when its
// name begins with ".", folder, and archive for every file; -1 when it does not exist.
int FileM_Attributes(const char* path);
// True when a file may be written at the path: its folder takes new files and an existing entry
// there is a writable file (not a folder, device or link).
bool FileM_Writable(const char* path);
// Deletes a file (never a folder).
bool FileM_Delete(const char* path);
// Renames a file or folder; false, changing nothing, when the new name exists.
bool FileM_Rename(const char* from, const char* to);
// True when both paths name the same existing file.
bool FileM_SameFile(const char* a, const char* b);
// The names in a folder except "." and "..", sorted ignoring ASCII case; false when the folder
// cannot be read.
bool FileM_List(const char* folder, std::vector<std::string>& names);
// The runner's own command line, the program first; false when it cannot be read.
bool FileM_CommandLine(std::vector<std::string>& args);
