// Extension packages: each holds files (shared libraries whose functions are defined as external
// functions, script files, or other files), and each file its functions.
#pragma once
#include "Runner/GameFile.h"

#include <memory>
#include <string>
#include <vector>

constexpr int EXTENSION_MAX_KINDS = 16;
// Function ids index the tables of extension functions; a file that gives more is damaged.
constexpr int EXTENSION_MAX_ID = 999999;
// Argument and result kinds of extension functions.
enum { EXTENSION_KIND_STRING = 1, EXTENSION_KIND_REAL = 2 };
// File kinds.
enum { EXTENSION_FILE_LIBRARY = 1, EXTENSION_FILE_SCRIPT = 2 };
// The convention of an extension function that means cdecl; every other value means stdcall.
constexpr int EXTENSION_CDECL = 12;

class CExtensionFunction {
public:
    std::string name;          // what scripts call it
    std::string externalName;  // what the library exports
    int convention = 0;
    int id = 0;                // its extension function id
    int argc = -1;             // -1: any number
    int resultKind = EXTENSION_KIND_REAL;
    // The kind of argument i; past the 16th every argument is a real.
    int GetKind(int i) const { return i >= 0 && i < EXTENSION_MAX_KINDS ? m_kinds[i] : EXTENSION_KIND_REAL; }
    void SetKind(int i, int kind)
    {
        if (i >= 0 && i < EXTENSION_MAX_KINDS) m_kinds[i] = kind;
    }

private:
    int m_kinds[EXTENSION_MAX_KINDS] = {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2};
};

class CExtensionFile {
public:
    std::string fileName;
    int kind = 0;
    std::string initName;   // run when the game starts ("" none)
    std::string finalName;  // run when the game ends ("" none)
    std::vector<CExtensionFunction> functions;
};

class CExtensionPackage {
public:
    // A new package draws one number from the game's random generator for its folder.
    CExtensionPackage();
    std::string name;
    std::string folder;
    std::vector<CExtensionFile> files;
};

// Reads the packages of the EXTN chunk (a list of packages; an empty entry gives an empty slot).
// False, with nothing read, when an offset, count or name is bad or an id is out of range.
bool Extension_ReadChunk(GameFileReader chunk, std::vector<std::unique_ptr<CExtensionPackage>>* packages);
