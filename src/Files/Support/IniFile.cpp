#include "Support/IniFile.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Support/LoadSave.h"

#include <cstring>
#include <string>
#include <strings.h>

namespace {

char* CopyRange(const char* text, int64_t length)
{
    char* s = (char*)MemAlloc((size_t)length + 1);
    if (!s) return nullptr;
    memcpy(s, text, (size_t)length);
    s[length] = 0;
    return s;
}

// Narrows [*start, *end) to its bytes from 33 up.
void Trim(const char** start, const char** end)
{
    while (*start < *end && (unsigned char)**start < 33) (*start)++;
    while (*end > *start && (unsigned char)(*end)[-1] < 33) (*end)--;
}

bool SameName(const char* a, const char* b) { return strcasecmp(a, b) == 0; }

// A copy of the text without CR or LF, trimmed like parsed text.
std::string Clean(const char* text)
{
    std::string s;
    for (const char* p = text ? text : ""; *p; p++)
        if (*p != '\r' && *p != '\n') s += *p;
    const char* start = s.c_str();
    const char* end = start + s.size();
    Trim(&start, &end);
    return std::string(start, end);
}

void FreeKey(IniKey* key)
{
    MemFree(key->name);
    MemFree(key->value);
    delete key;
}

}  // namespace

IniFile::IniFile(const char* name)
{
    fileName = MemStrDup(name ? name : "");
    int64_t size = 0;
    unsigned char* bytes = LoadSave_ReadSaveFile(fileName, &size);
    if (!bytes) bytes = LoadSave_ReadBundleFile(fileName, &size);
    if (bytes) Parse((const char*)bytes, size);
    MemFree(bytes);
}

IniFile::IniFile(const char* name, const char* text, int64_t size)
{
    fileName = MemStrDup(name ? name : "");
    if (text && size > 0) Parse(text, size);
}

IniFile::~IniFile()
{
    Flush();
    Clear();
    MemFree(fileName);
}

void IniFile::Clear()
{
    while (IniSection* s = sections) {
        sections = s->next;
        while (IniKey* k = s->keys) {
            s->keys = k->next;
            FreeKey(k);
        }
        MemFree(s->name);
        delete s;
    }
}

IniSection* IniFile::AddSection(const char* name, int64_t length)
{
    IniSection** link = &sections;
    while (*link) {
        if (strlen((*link)->name) == (size_t)length && strncasecmp((*link)->name, name, (size_t)length) == 0)
            return *link;  // a repeated section continues the first
        link = &(*link)->next;
    }
    char* copy = CopyRange(name, length);
    if (!copy) return nullptr;
    *link = new IniSection{nullptr, copy, nullptr};
    return *link;
}

void IniFile::Parse(const char* text, int64_t size)
{
    const char* p = text;
    const char* end = text + size;
    if (size >= 3 && memcmp(p, "\xEF\xBB\xBF", 3) == 0) p += 3;
    IniSection* section = nullptr;
    while (p < end) {
        const char* line = p;
        while (p < end && *p != '\r' && *p != '\n') p++;
        const char* lineEnd = p;
        if (p < end && *p == '\r') p++;
        if (p < end && *p == '\n') p++;

        Trim(&line, &lineEnd);
        if (line < lineEnd && *line == '[') {
            const char* nameStart = line + 1;
            const char* nameEnd = (const char*)memchr(nameStart, ']', (size_t)(lineEnd - nameStart));
            if (!nameEnd) nameEnd = lineEnd;
            Trim(&nameStart, &nameEnd);
            // A name with a NUL byte could not be looked up: its keys are ignored.
            bool readable = !memchr(nameStart, 0, (size_t)(nameEnd - nameStart));
            section = readable ? AddSection(nameStart, nameEnd - nameStart) : nullptr;
            continue;
        }
        const char* equals = (const char*)memchr(line, '=', (size_t)(lineEnd - line));
        if (!section || !equals) continue;
        const char* keyStart = line;
        const char* keyEnd = equals;
        const char* valueStart = equals + 1;
        const char* valueEnd = lineEnd;
        Trim(&keyStart, &keyEnd);
        Trim(&valueStart, &valueEnd);
        if (keyStart == keyEnd || memchr(keyStart, 0, (size_t)(keyEnd - keyStart))) continue;
        IniKey** link = &section->keys;
        bool duplicate = false;
        for (; *link; link = &(*link)->next) {
            if (strlen((*link)->name) == (size_t)(keyEnd - keyStart) &&
                strncasecmp((*link)->name, keyStart, (size_t)(keyEnd - keyStart)) == 0) {
                duplicate = true;
                break;
            }
        }
        if (duplicate) continue;
        char* name = CopyRange(keyStart, keyEnd - keyStart);
        char* value = CopyRange(valueStart, valueEnd - valueStart);
        if (!name || !value) {
            MemFree(name);
            MemFree(value);
            continue;
        }
        *link = new IniKey{nullptr, name, value};
    }
}

IniSection* IniFile::FindSection(const char* section)
{
    if (!section) return nullptr;
    for (IniSection* s = sections; s; s = s->next)
        if (SameName(s->name, section)) return s;
    return nullptr;
}

IniKey* IniFile::FindKey(const char* section, const char* key)
{
    IniSection* s = FindSection(section);
    if (!s || !key) return nullptr;
    for (IniKey* k = s->keys; k; k = k->next)
        if (SameName(k->name, key)) return k;
    return nullptr;
}

bool IniFile::WriteString(const char* section, const char* key, const char* value)
{
    if (section && key && value && strcmp(section, "SYSTEM_COMMAND") == 0 && strcmp(key, "INI_FILE_FLUSH") == 0 &&
        strcmp(value, "NOW") == 0)
        return Flush();
    std::string sectionName = Clean(section);
    std::string keyName = Clean(key);
    if (keyName.empty() || keyName.find('=') != std::string::npos || keyName[0] == '[' ||
        sectionName.find(']') != std::string::npos)
        return false;
    char* newValue = MemStrDup(Clean(value).c_str());
    if (!newValue) return false;
    IniSection* s = FindSection(sectionName.c_str());
    if (!s) s = AddSection(sectionName.c_str(), (int64_t)sectionName.size());
    if (!s) {
        MemFree(newValue);
        return false;
    }
    IniKey* k = FindKey(sectionName.c_str(), keyName.c_str());
    if (k) {
        MemFree(k->value);
        k->value = newValue;
    } else {
        IniKey** link = &s->keys;
        while (*link) link = &(*link)->next;
        char* name = MemStrDup(keyName.c_str());
        if (!name) {
            MemFree(newValue);
            return false;
        }
        *link = new IniKey{nullptr, name, newValue};
    }
    changed = true;
    return true;
}

bool IniFile::DeleteKey(const char* section, const char* key)
{
    IniSection* s = FindSection(section);
    if (!s || !key) return false;
    for (IniKey** link = &s->keys; *link; link = &(*link)->next) {
        if (SameName((*link)->name, key)) {
            IniKey* gone = *link;
            *link = gone->next;
            FreeKey(gone);
            changed = true;
            return true;
        }
    }
    return false;
}

bool IniFile::DeleteSection(const char* section)
{
    if (!section) return false;
    for (IniSection** link = &sections; *link; link = &(*link)->next) {
        if (!SameName((*link)->name, section)) continue;
        IniSection* gone = *link;
        *link = gone->next;
        while (IniKey* k = gone->keys) {
            gone->keys = k->next;
            FreeKey(k);
        }
        MemFree(gone->name);
        delete gone;
        changed = true;
        return true;
    }
    return false;
}

bool IniFile::Flush()
{
    if (!changed) return true;
    std::string text;
    for (IniSection* s = sections; s; s = s->next) {
        text += "[";
        text += s->name;
        text += "]\r\n";
        for (IniKey* k = s->keys; k; k = k->next) {
            text += k->name;
            text += "=";
            text += k->value;
            text += "\r\n";
        }
    }
    if (!LoadSave_WriteFile(fileName, text.data(), (int64_t)text.size())) {
        Console_Warnings->Output("Could not write the INI file %s\n", fileName);
        return false;
    }
    changed = false;
    return true;
}
