// Descriptor-level files, done by the POSIX half. Every descriptor is opened close-on-exec.
#pragma once
#include <cstdint>
#include <ctime>

// Opens a regular file for reading, relative to the open folder `folder` (or by full path with
// AT_FDCWD), without following a link in its last component unless `follow`; never waits on a
// pipe or a device. A descriptor, or -1 when the name is missing, a link, or not a regular file.
int File_OpenAt(int folder, const char* name, bool follow);
// Reads a whole descriptor into a new memory-manager buffer ending in a zero byte (not counted in
// *size) and closes it; null when it cannot be read.
unsigned char* File_ReadAll(int fd, int64_t* size);
// Writes a whole file in the open folder so that it is either the old file or the new one: the
// bytes go to a new file beside it (mode 0666 less the umask), which then takes the name. Taking
// the name replaces the entry itself, so a link (symbolic or hard) of that name never passes the
// write on to its target. False (the old file untouched) on failure.
bool File_WriteWholeAt(int folder, const char* name, const void* bytes, int64_t size);
// Removes the temporary files of such writes (File_IsTemporaryName) last changed before `before`
// from the folder and the folders in it, at most 16 deep and 100,000 entries in all, never
// through a link. A write under way (of another runner) holds its file locked and keeps it.
void File_RemoveTemporaries(const char* folder, const timespec& before);
