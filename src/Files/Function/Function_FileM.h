// What the file built-ins need of the machine beyond the folder mapping (which does every file
// and folder operation on a name a script passes), done by their platform half.
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

// The runner's own command line, the program first; false when it cannot be read.
bool FileM_CommandLine(std::vector<std::string>& args);
