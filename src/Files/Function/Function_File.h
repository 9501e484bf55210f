// The file built-ins (binary and text files, file management and search, file names, programs,
// the command line and the environment) with the run's registry and the current INI file.
#pragma once

void Function_File_Init();
// At shut-down: writes and closes every file scripts left open, flushes and closes the current
// INI file, and frees the registry and the file search.
void Function_File_Free();
