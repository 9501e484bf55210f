// Files and folders of the machine, by full path. Names from games go through LoadSave first.
#pragma once
#include <cstdint>

// True for an existing file that is neither a folder nor a device.
bool File_Exists(const char* path);
bool Directory_Exists(const char* path);
// Creates every missing folder of the path; true when the whole path is a folder afterwards.
bool Directory_CreateAll(const char* path);
// Writes a whole file so that it is either the old file or the new one, never a part: the bytes go
// to a new temporary file beside it, which then takes the name. False (the old file untouched) on
// failure.
bool File_WriteWhole(const char* path, const void* bytes, int64_t size);
// Whether a name (one component) is that of such a temporary file: ".~", then (the first bytes of)
// the name written, then "." and 16 hexadecimal digits (either case). A write that was cut short
// (the runner killed) leaves one behind; the folder mapping never names, lists or makes one, and
// the next start removes those older than itself (LoadSave_RemoveTemporaries).
bool File_IsTemporaryName(const char* name);
// New copies (the caller frees them with MemFree).
char* File_CurrentDirectory();
// The temporary folder ($TMPDIR, else /tmp) with a trailing separator, or null when it is not
// a folder.
char* File_TempDirectory();

// The parts of a path; "/" and "\" both separate. New strings, null for a null path.
char* File_ExtractName(const char* path);   // after the last separator
char* File_ExtractPath(const char* path);   // up to and including the last separator
char* File_ExtractExt(const char* path);    // the extension of the name with its dot, or ""
char* File_ExtractDrive(const char* path);  // "C:" or "\\server\share", else ""
