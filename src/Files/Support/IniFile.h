// INI files: "[section]" lines and "key=value" lines. Section and key names compare ignoring ASCII
// case, the first of duplicate keys wins (later ones are dropped), lines without "=" are ignored,
// a UTF-8 byte-order mark and CR LF are accepted, names and values are trimmed of white space.
// The file is read from the save folder when it is there, else from the program folder, and is
// written to the save folder.
#pragma once
#include <cstdint>

struct IniKey {
    IniKey* next;
    char* name;
    char* value;
};

struct IniSection {
    IniSection* next;
    char* name;
    IniKey* keys;
};

class IniFile {
public:
    explicit IniFile(const char* fileName);
    // Parses `text` as the content of the file instead of reading it.
    IniFile(const char* fileName, const char* text, int64_t size);
    // Flushes what changed.
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    IniSection* FindSection(const char* section);
    IniKey* FindKey(const char* section, const char* key);
    // Sets the value (CR and LF removed), adding the section and key when missing. Section
    // "SYSTEM_COMMAND", key "INI_FILE_FLUSH", value "NOW" flushes instead. False when a name could
    // not be read back ("=" in a key, "]" in a section, an empty key).
    bool WriteString(const char* section, const char* key, const char* value);
    bool DeleteKey(const char* section, const char* key);
    bool DeleteSection(const char* section);
    // Writes the file to the save folder when it changed; false when that fails.
    bool Flush();

    IniSection* sections = nullptr;
    char* fileName = nullptr;
    bool changed = false;

private:
    void Parse(const char* text, int64_t size);
    IniSection* AddSection(const char* name, int64_t length);
    void Clear();
};
