// INI text of any shape parses, and what was parsed can be looked up, changed and deleted.
#include "Support/IniFile.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    IniFile ini("fuzz.ini", (const char*)data, (int64_t)size);
    for (IniSection* s = ini.sections; s; s = s->next) {
        if (ini.FindSection(s->name) != s) abort();  // repeated sections were merged
        for (IniKey* k = s->keys; k; k = k->next) {
            if (ini.FindKey(s->name, k->name) != k) abort();  // duplicates were dropped
            if (strchr(k->value, '\r') || strchr(k->value, '\n')) abort();
        }
    }
    // A key named after the input's first letters and digits, written and read back.
    std::string key;
    for (size_t i = 0; i < size && key.size() < 8; i++)
        if (isalnum(data[i])) key += (char)data[i];
    if (key.empty()) key = "k";
    std::string value(data, data + size);
    if (!ini.WriteString("fuzz", key.c_str(), value.c_str())) abort();
    {
        IniKey* k = ini.FindKey("FUZZ", key.c_str());
        if (!k || strchr(k->value, '\r') || strchr(k->value, '\n')) abort();
        if (!ini.DeleteKey("fuzz", key.c_str()) || ini.FindKey("fuzz", key.c_str())) abort();
    }
    if (ini.sections) {
        std::string name = ini.sections->name;
        if (!ini.DeleteSection(name.c_str())) abort();
        if (ini.FindSection(name.c_str())) abort();
    }
    ini.changed = false;  // nothing is written
    return 0;
}
